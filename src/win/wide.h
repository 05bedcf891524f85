// The one place where text crosses between the program's GBK and the UTF-16
// of the wide Windows functions. Code page 936 is always named: the system's
// code page for non-Unicode programs may be anything.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace win {

std::wstring wideFromGbk(const char* text, size_t length);
inline std::wstring wideFromGbk(const std::string& text) { return wideFromGbk(text.data(), text.size()); }
std::wstring wideFromGbk(const char* text);

// Exact: false, and gbk left empty, when GBK lacks a character of the text.
bool gbkFromWide(const wchar_t* text, size_t length, std::string& gbk);
inline bool gbkFromWide(const std::wstring& text, std::string& gbk) {
    return gbkFromWide(text.data(), text.size(), gbk);
}
// Lossy: what GBK lacks becomes "?"; lost tells whether anything did.
std::string gbkFromWideLossy(const std::wstring& text, bool& lost);

// Text from a UTF-8 file (the official schedule's names) as GBK; what GBK
// lacks becomes "?".
std::string gbkFromUtf8(const std::string& utf8);

// Paths handed to the core's file functions are UTF-8, so that the program's
// own folder may have any name; they are never stored.
std::wstring widePath(const std::string& path);
std::string pathFromWide(const std::wstring& path);

std::wstring windowText(HWND hwnd);
void setWindowText(HWND hwnd, const char* gbk);

}  // namespace win
