// The readers of the two kinds of holiday file the user adds, and the
// rewrite of holidays.txt. Both files come from outside: every length is
// checked before use, and a file or line that is not exactly right is refused.
#include <cstring>

#include "calendar/workcalendar.h"

namespace {

// The marks of holidays.txt in GBK, spelled as bytes so that the fuzz build,
// which compiles without the GBK conversion, reads the same file.
const char kOffGbk[] = "\xD0\xDD";   // 休
const char kWorkGbk[] = "\xB0\xE0";  // 班
const uint8_t kBom[] = {0xEF, 0xBB, 0xBF};

constexpr size_t kMaxNameBytes = 64;    // 32 Chinese characters in GBK
constexpr size_t kMaxJsonNameBytes = 96;  // the same in UTF-8
constexpr int kMaxJsonDepth = 32;
constexpr size_t kMaxJsonDays = 1000;
constexpr int32_t kMaxRangeDays = 366;

bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// "YYYY-MM-DD" of a real date in the years the files may name.
bool parseIsoDate(const uint8_t* p, size_t n, int32_t& day) {
    if (n != 10 || p[4] != '-' || p[7] != '-') return false;
    int value[3] = {0, 0, 0};
    const int start[3] = {0, 5, 8}, width[3] = {4, 2, 2};
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < width[f]; ++i) {
            if (!isDigit(p[start[f] + i])) return false;
            value[f] = value[f] * 10 + (p[start[f] + i] - '0');
        }
    if (value[0] < kFirstHolidayFileYear || value[0] > kLastHolidayFileYear) return false;
    // A day past its month's end comes back as another date.
    day = dayNumber(value[0], value[1], value[2]);
    int y, m, d;
    dateOfDay(day, y, m, d);
    return y == value[0] && m == value[1] && d == value[2];
}

void appendIsoDate(std::string& out, int32_t day) {
    int y, m, d;
    dateOfDay(day, y, m, d);
    const char text[] = {static_cast<char>('0' + y / 1000 % 10), static_cast<char>('0' + y / 100 % 10),
                         static_cast<char>('0' + y / 10 % 10),   static_cast<char>('0' + y % 10),
                         '-',
                         static_cast<char>('0' + m / 10),        static_cast<char>('0' + m % 10),
                         '-',
                         static_cast<char>('0' + d / 10),        static_cast<char>('0' + d % 10)};
    out.append(text, sizeof(text));
}

// ---- JSON --------------------------------------------------------------------

// A strict reader of the JSON grammar over a byte range; every call either
// consumes one complete token or fails, leaving the whole parse failed.
class JsonReader {
public:
    JsonReader(const uint8_t* p, size_t n) : p_(p), end_(p + n) {}

    void skipSpace() {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) ++p_;
    }
    bool atEnd() const { return p_ == end_; }
    bool peek(char c) {
        skipSpace();
        return p_ < end_ && *p_ == static_cast<uint8_t>(c);
    }
    bool take(char c) {
        if (!peek(c)) return false;
        ++p_;
        return true;
    }

    // A string; its UTF-8 goes to out when out is not null.
    bool string(std::string* out) {
        if (!take('"')) return false;
        while (p_ < end_) {
            const uint8_t c = *p_++;
            if (c == '"') return true;
            if (c < 0x20) return false;
            if (c == '\\') {
                if (!escape(out)) return false;
            } else if (c < 0x80) {
                if (out) out->push_back(static_cast<char>(c));
            } else if (!utf8Sequence(c, out)) {
                return false;
            }
        }
        return false;
    }

    bool number() {
        skipSpace();
        if (p_ < end_ && *p_ == '-') ++p_;
        if (p_ == end_) return false;
        if (*p_ == '0') {
            ++p_;
        } else if (!digits()) {
            return false;
        }
        if (p_ < end_ && *p_ == '.') {
            ++p_;
            if (!digits()) return false;
        }
        if (p_ < end_ && (*p_ == 'e' || *p_ == 'E')) {
            ++p_;
            if (p_ < end_ && (*p_ == '+' || *p_ == '-')) ++p_;
            if (!digits()) return false;
        }
        return true;
    }

    // true or false into value.
    bool boolean(bool& value) {
        skipSpace();
        if (word("true")) return value = true, true;
        if (word("false")) return value = false, true;
        return false;
    }

    // Any value, read and dropped.
    bool value(int depth) {
        if (depth > kMaxJsonDepth) return false;
        skipSpace();
        if (p_ == end_) return false;
        switch (*p_) {
        case '{':
            return members(depth, [&](const std::string&) { return value(depth + 1); });
        case '[':
            return elements(depth, [&]() { return value(depth + 1); });
        case '"':
            return string(nullptr);
        case 't':
            return word("true");
        case 'f':
            return word("false");
        case 'n':
            return word("null");
        default:
            return number();
        }
    }

    // An object; member(key) reads each member's value.
    template <typename Member>
    bool members(int depth, Member member) {
        if (depth > kMaxJsonDepth || !take('{')) return false;
        if (take('}')) return true;
        do {
            std::string key;
            if (!string(&key) || !take(':') || !member(key)) return false;
        } while (take(','));
        return take('}');
    }

    // An array; element() reads each element.
    template <typename Element>
    bool elements(int depth, Element element) {
        if (depth > kMaxJsonDepth || !take('[')) return false;
        if (take(']')) return true;
        do {
            if (!element()) return false;
        } while (take(','));
        return take(']');
    }

private:
    bool digits() {
        const uint8_t* start = p_;
        while (p_ < end_ && isDigit(*p_)) ++p_;
        return p_ != start;
    }

    bool word(const char* w) {
        const size_t n = std::strlen(w);
        if (static_cast<size_t>(end_ - p_) < n || std::memcmp(p_, w, n) != 0) return false;
        p_ += n;
        return true;
    }

    bool hex4(uint32_t& v) {
        if (end_ - p_ < 4) return false;
        v = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t c = *p_++;
            const int d = isDigit(c) ? c - '0' : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : -1;
            if (d < 0) return false;
            v = v * 16 + static_cast<uint32_t>(d);
        }
        return true;
    }

    bool escape(std::string* out) {
        if (p_ == end_) return false;
        const uint8_t c = *p_++;
        static const char kFrom[] = "\"\\/bfnrt", kTo[] = "\"\\/\b\f\n\r\t";
        if (const char* at = std::strchr(kFrom, c); at && c) {
            if (out) out->push_back(kTo[at - kFrom]);
            return true;
        }
        if (c != 'u') return false;
        uint32_t cp;
        if (!hex4(cp)) return false;
        if (cp >= 0xDC00 && cp <= 0xDFFF) return false;  // a low surrogate alone
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            uint32_t low;
            if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u') return false;
            p_ += 2;
            if (!hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        }
        if (out) appendUtf8(*out, cp);
        return true;
    }

    static void appendUtf8(std::string& out, uint32_t cp) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | cp >> 6));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | cp >> 12));
            out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | cp >> 18));
            out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }

    // The rest of a UTF-8 sequence whose lead byte was read: no overlong
    // forms, no surrogates, nothing past U+10FFFF.
    bool utf8Sequence(uint8_t lead, std::string* out) {
        int more;
        uint32_t cp, min;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1, cp = lead & 0x1F, min = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2, cp = lead & 0x0F, min = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3, cp = lead & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (end_ - p_ < more) return false;
        for (int i = 0; i < more; ++i) {
            if ((p_[i] & 0xC0) != 0x80) return false;
            cp = cp << 6 | (p_[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (out) out->append(reinterpret_cast<const char*>(p_ - 1), static_cast<size_t>(more) + 1);
        p_ += more;
        return true;
    }

    const uint8_t* p_;
    const uint8_t* end_;
};

// One element of "days": {"name": "...", "date": "YYYY-MM-DD", "isOffDay": bool}.
bool readJsonDay(JsonReader& json, NameToGbk toGbk, std::vector<MarkedDay>& days) {
    std::string date, name;
    bool haveDate = false, haveOff = false, off = false;
    const bool ok = json.members(3, [&](const std::string& key) {
        if (key == "date") return haveDate = json.string(&date);
        if (key == "name") return json.string(&name) && name.size() <= kMaxJsonNameBytes;
        if (key == "isOffDay") return haveOff = json.boolean(off);
        return json.value(4);
    });
    int32_t day;
    if (!ok || !haveDate || !haveOff || days.size() >= kMaxJsonDays ||
        !parseIsoDate(reinterpret_cast<const uint8_t*>(date.data()), date.size(), day))
        return false;
    std::string gbk = toGbk && !name.empty() ? toGbk(name) : std::string();
    if (gbk.size() > kMaxNameBytes || gbk.find('\0') != std::string::npos) return false;
    days.push_back({day, off ? DayMark::Off : DayMark::Work, std::move(gbk)});
    return true;
}

}  // namespace

bool parseHolidayJson(const uint8_t* data, size_t size, NameToGbk toGbk, std::vector<MarkedDay>& out) {
    if (size > kMaxHolidayJsonBytes) return false;
    if (size >= sizeof(kBom) && std::memcmp(data, kBom, sizeof(kBom)) == 0) {
        data += sizeof(kBom);
        size -= sizeof(kBom);
    }
    JsonReader json(data, size);
    std::vector<MarkedDay> days;
    bool haveDays = false;
    const bool ok = json.members(1, [&](const std::string& key) {
        if (key == "days") {
            if (haveDays) return false;
            haveDays = true;
            return json.elements(2, [&]() { return readJsonDay(json, toGbk, days); });
        }
        if (key == "year") return json.number();
        return json.value(2);
    });
    json.skipSpace();
    if (!ok || !haveDays || !json.atEnd()) return false;
    out.insert(out.end(), std::make_move_iterator(days.begin()), std::make_move_iterator(days.end()));
    return true;
}

// ---- holidays.txt ------------------------------------------------------------

namespace {

struct TxtLine {
    int32_t first;
    int32_t last;
    DayMark mark;
    std::string name;
};

// Where a line's text begins: past a byte order mark, which editors write at
// the start of a file and pasting files together moves inside one.
size_t lineStart(const uint8_t* p, size_t n) {
    return n >= sizeof(kBom) && std::memcmp(p, kBom, sizeof(kBom)) == 0 ? sizeof(kBom) : 0;
}

// Blanks between the fields: spaces, tabs and the GBK full-width space.
size_t blanks(const uint8_t* p, size_t n, size_t i) {
    for (;;) {
        if (i < n && (p[i] == ' ' || p[i] == '\t')) {
            ++i;
        } else if (i + 1 < n && p[i] == 0xA1 && p[i + 1] == 0xA1) {
            i += 2;
        } else {
            return i;
        }
    }
}

bool isCommentOrBlank(const uint8_t* p, size_t n) {
    size_t i = blanks(p, n, lineStart(p, n));
    while (i < n && p[i] == '\r') ++i;
    return i == n || p[i] == '#';
}

// One line without its line end: "DATE[~DATE] 休|班[ name]".
bool parseTxtLine(const uint8_t* p, size_t n, TxtLine& out) {
    size_t i = blanks(p, n, lineStart(p, n));
    while (n > i && (p[n - 1] == ' ' || p[n - 1] == '\t' || p[n - 1] == '\r')) --n;
    if (n - i < 10 || !parseIsoDate(p + i, 10, out.first)) return false;
    i += 10;
    out.last = out.first;
    const size_t afterDate = blanks(p, n, i);
    if (afterDate < n && p[afterDate] == '~') {
        i = blanks(p, n, afterDate + 1);
        if (n - i < 10 || !parseIsoDate(p + i, 10, out.last)) return false;
        i += 10;
        if (out.last < out.first || out.last - out.first >= kMaxRangeDays) return false;
    }
    const size_t markAt = blanks(p, n, i);
    if (markAt == i || n - markAt < 2) return false;
    if (std::memcmp(p + markAt, kOffGbk, 2) == 0) {
        out.mark = DayMark::Off;
    } else if (std::memcmp(p + markAt, kWorkGbk, 2) == 0) {
        out.mark = DayMark::Work;
    } else {
        return false;
    }
    i = markAt + 2;
    const size_t nameAt = blanks(p, n, i);
    if (nameAt == i && i < n) return false;  // the mark runs into the name
    out.name.assign(reinterpret_cast<const char*>(p + nameAt), n - nameAt);
    return out.name.size() <= kMaxNameBytes && out.name.find('\0') == std::string::npos;
}

// Calls line(begin, length, lineEndLength) for each line of the text.
template <typename Line>
void forEachLine(const uint8_t* data, size_t size, Line line) {
    size_t start = 0;
    while (start < size) {
        const void* nl = std::memchr(data + start, '\n', size - start);
        const size_t end = nl ? static_cast<size_t>(static_cast<const uint8_t*>(nl) - data) : size;
        const size_t content = end > start && data[end - 1] == '\r' ? end - 1 - start : end - start;
        line(start, content, (nl ? end + 1 : end) - start - content);
        start = nl ? end + 1 : size;
    }
}

void appendTxtLine(std::string& out, int32_t first, int32_t last, DayMark mark, const std::string& name) {
    appendIsoDate(out, first);
    if (last != first) {
        out.push_back('~');
        appendIsoDate(out, last);
    }
    out.push_back(' ');
    out.append(mark == DayMark::Off ? kOffGbk : kWorkGbk, 2);
    if (!name.empty()) out.append(" ").append(name);
}

}  // namespace

void parseHolidaysTxt(const uint8_t* data, size_t size, std::vector<MarkedDay>& out, std::vector<int>* badLines) {
    int number = 0;
    size_t total = 0;
    forEachLine(data, size, [&](size_t start, size_t length, size_t) {
        ++number;
        if (isCommentOrBlank(data + start, length)) return;
        TxtLine line;
        if (!parseTxtLine(data + start, length, line) ||
            total + static_cast<size_t>(line.last - line.first) + 1 > kMaxUserDays) {
            if (badLines) badLines->push_back(number);
            return;
        }
        total += static_cast<size_t>(line.last - line.first) + 1;
        for (int32_t d = line.first; d <= line.last; ++d) out.push_back({d, line.mark, line.name});
    });
}

std::string withUserMark(const std::string& text, int32_t day, DayMark mark, const std::string& name) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(text.data());
    const size_t nl = text.find('\n');
    const char* eol = nl == std::string::npos || (nl > 0 && text[nl - 1] == '\r') ? "\r\n" : "\n";
    const bool setting = mark == DayMark::Off || mark == DayMark::Work;
    std::string out;
    bool placed = false;
    // The new line takes the place of the first line that held the day.
    auto place = [&](const char* end) {
        if (placed || !setting) return;
        appendTxtLine(out, day, day, mark, name);
        out.append(end);
        placed = true;
    };
    size_t copied = 0;
    forEachLine(data, text.size(), [&](size_t start, size_t length, size_t endLength) {
        TxtLine line;
        if (isCommentOrBlank(data + start, length) || !parseTxtLine(data + start, length, line) ||
            day < line.first || day > line.last) {
            out.append(text, copied, start + length + endLength - copied);
        } else {
            out.append(text, copied, start - copied);
            const std::string end = text.substr(start + length, endLength);
            if (line.first < day) {
                appendTxtLine(out, line.first, day - 1, line.mark, line.name);
                out.append(day < line.last || (setting && !placed) ? eol : end.c_str());
            }
            place(day < line.last ? eol : end.c_str());
            if (day < line.last) {
                appendTxtLine(out, day + 1, line.last, line.mark, line.name);
                out.append(end);
            }
        }
        copied = start + length + endLength;
    });
    out.append(text, copied, std::string::npos);
    if (setting && !placed) {
        if (!out.empty() && out.back() != '\n') out.append(eol);
        place(eol);
    }
    return out;
}
