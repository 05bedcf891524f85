// note.txt reader: the memo is the bytes before the first NUL, and what the
// program saves of it loads back the same.
#include <cstring>
#include <string>

#include "model/datafiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string memo = parseMemoFile(data, size);
    if (memo.size() > size) __builtin_trap();
    if (memo.size() > 0 && std::memcmp(memo.data(), data, memo.size()) != 0) __builtin_trap();
    if (memo.find('\0') != std::string::npos) __builtin_trap();
    if (memo.size() < size && data[memo.size()] != 0) __builtin_trap();

    std::string again = parseMemoFile(reinterpret_cast<const uint8_t*>(memo.data()), memo.size());
    if (again != memo) __builtin_trap();
    return 0;
}
