#include "model/gbkpath.h"

size_t fileNameOffset(const char* path, size_t length) {
    size_t start = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c >= 0x81 && c <= 0xFE)
            ++i;  // a lead byte: the next byte belongs to this character
        else if (c == '\\')
            start = i + 1;
    }
    return start;
}
