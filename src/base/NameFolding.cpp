#include "base/NameFolding.h"

#include "base/Utf8.h"

namespace lorvane {

namespace {

char32_t foldCodePoint(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;                 // Latin-1 capitals
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;  // Latin Extended-A pairs
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;              // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 32;                            // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;                          // full-width Latin
    return c;
}

}  // namespace

std::string foldName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        std::size_t start = i;
        char32_t cp = nextCodePoint(name, i);
        char32_t folded = foldCodePoint(cp);
        // Bytes that are no character are kept as they are, so distinct names stay distinct.
        if (folded == cp) out.append(name.substr(start, i - start));
        else appendUtf8(out, folded);
    }
    return out;
}

bool namesEqualIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (foldCodePoint(nextCodePoint(a, i)) != foldCodePoint(nextCodePoint(b, j))) return false;
    return i == a.size() && j == b.size();
}

}  // namespace lorvane
