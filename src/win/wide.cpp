#include "win/wide.h"

#include <cstring>

namespace win {

namespace {
const UINT kGbk = 936;

std::wstring toWide(UINT codePage, DWORD flags, const char* text, size_t length) {
    if (length == 0)
        return std::wstring();
    const int n = MultiByteToWideChar(codePage, flags, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, text, static_cast<int>(length), &wide[0], n);
    return wide;
}

// usedDefault is only asked of code pages that can answer it (not UTF-8).
std::string fromWide(UINT codePage, const wchar_t* text, size_t length, BOOL* usedDefault) {
    if (length == 0)
        return std::string();
    const DWORD flags = usedDefault ? WC_NO_BEST_FIT_CHARS : 0;
    const char* fallback = usedDefault ? "?" : nullptr;
    const int n = WideCharToMultiByte(codePage, flags, text, static_cast<int>(length), nullptr, 0,
                                      fallback, usedDefault);
    if (n <= 0)
        return std::string();
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, text, static_cast<int>(length), &bytes[0], n, fallback,
                        usedDefault);
    return bytes;
}
}  // namespace

std::wstring wideFromGbk(const char* text, size_t length) { return toWide(kGbk, 0, text, length); }

std::wstring wideFromGbk(const char* text) { return text ? wideFromGbk(text, strlen(text)) : std::wstring(); }

std::string gbkFromWideLossy(const std::wstring& text, bool& lost) {
    // A character beyond the BMP (an emoji) is one "?", not one per half.
    std::wstring whole;
    whole.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const bool pair = IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]);
        whole += pair ? L'\xFFFD' : text[i];
        i += pair ? 1 : 0;
    }
    BOOL usedDefault = FALSE;
    std::string gbk = fromWide(kGbk, whole.data(), whole.size(), &usedDefault);
    // The round trip also catches a character mapped to a look-alike.
    lost = usedDefault || wideFromGbk(gbk) != text;
    return gbk;
}

bool gbkFromWide(const wchar_t* text, size_t length, std::string& gbk) {
    bool lost = false;
    gbk = gbkFromWideLossy(std::wstring(text, length), lost);
    if (lost)
        gbk.clear();
    return !lost;
}

std::string gbkFromUtf8(const std::string& utf8) {
    bool lost = false;
    return gbkFromWideLossy(toWide(CP_UTF8, 0, utf8.data(), utf8.size()), lost);
}

std::wstring widePath(const std::string& path) {
    // Bytes that are no UTF-8 name no file: nothing rather than a guess.
    return toWide(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), path.size());
}

std::string pathFromWide(const std::wstring& path) { return fromWide(CP_UTF8, path.data(), path.size(), nullptr); }

std::wstring windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void setWindowText(HWND hwnd, const char* gbk) { SetWindowTextW(hwnd, wideFromGbk(gbk).c_str()); }

}  // namespace win
