#include "model/dialogtext.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const int kRepeatItems[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
const int kLeadItems[6] = {0, 1, 5, 10, 15, 20};
const int kIntervalItems[5] = {1, 5, 10, 15, 20};

std::string numberText(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

std::string minutesText(int value) {
    char text[24];
    std::snprintf(text, sizeof text, "%d分钟", value);
    return text;
}

int leadingInteger(const char* text) {
    if (!text)
        return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    // Accumulated as a negative number, which reaches INT_MIN as well.
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 - (*p - '0');
        if (value < INT_MIN)
            value = INT_MIN - 1LL;  // saturated; keeps the loop from overflowing
    }
    if (negative)
        return value < INT_MIN ? INT_MIN : static_cast<int>(value);
    return -value > INT_MAX ? INT_MAX : static_cast<int>(-value);
}

int8_t comboNumber(const char* text) {
    const int value = leadingInteger(text);
    if (value > INT8_MAX)
        return INT8_MAX;
    if (value < INT8_MIN)
        return INT8_MIN;
    return static_cast<int8_t>(value);
}

WholeInteger wholeInteger(const char* text, int minValue, int maxValue, int& value) {
    const char* p = text ? text : "";
    while (*p == ' ' || *p == '\t')
        ++p;
    char* end = nullptr;
    const long long parsed = std::strtoll(p, &end, 10);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == p || *end != '\0')
        return WholeInteger::NotANumber;
    if (parsed < minValue || parsed > maxValue)
        return WholeInteger::OutOfRange;
    value = static_cast<int>(parsed);
    return WholeInteger::Ok;
}

void storeText(char* field, size_t width, const char* text) {
    if (!field || width == 0)
        return;
    size_t length = text ? std::strlen(text) : 0;
    if (length >= width)
        length = width - 1;
    if (length)
        std::memcpy(field, text, length);
    field[length] = '\0';
}

std::string fileFilter(const char* barSeparated) {
    std::string out;
    if (barSeparated) {
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(barSeparated); *p; ++p) {
            if (*p >= 0x81 && *p <= 0xFE && p[1]) {
                out += static_cast<char>(*p);
                out += static_cast<char>(*++p);
            } else {
                out += *p == '|' ? '\0' : static_cast<char>(*p);
            }
        }
    }
    // The list ends with an empty entry whether or not the text said so.
    while (out.size() >= 2 && out[out.size() - 1] == '\0' && out[out.size() - 2] == '\0')
        out.pop_back();
    if (out.empty() || out.back() != '\0')
        out += '\0';
    out += '\0';
    return out;
}
