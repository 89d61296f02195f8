#include "zip/names/ZAStringTables.h"

#include <cstddef>
#include <vector>

namespace zip {

namespace {

uint8_t asciiUpper(uint8_t b) {
    return (b >= 'a' && b <= 'z') ? uint8_t(b - 32) : b;
}

// Sort order of code page 1254 under the Turkish locale: control bytes after
// the blank, punctuation, then each letter with its accented forms, small
// before capital; whatever remains keeps byte order.
std::array<uint8_t, 256> turkishWeights() {
    std::vector<uint8_t> order;
    order.push_back(0x00);
    order.push_back(0x20);
    for (int b = 0x01; b <= 0x1F; ++b)
        order.push_back(uint8_t(b));
    for (int b = 0x21; b <= 0x40; ++b)
        order.push_back(uint8_t(b));
    const std::vector<std::vector<uint8_t>> letters = {
        {0x61, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0x41, 0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xE6,
         0xC6},
        {0x62, 0x42},
        {0x63, 0xE7, 0x43, 0xC7},
        {0x64, 0x44},
        {0x65, 0xE8, 0xE9, 0xEA, 0xEB, 0x45, 0xC8, 0xC9, 0xCA, 0xCB},
        {0x66, 0x46},
        {0x67, 0xF0, 0x47, 0xD0},
        {0x68, 0x48},
        {0xFD, 0x49, 0x69, 0xEC, 0xED, 0xEE, 0xEF, 0xDD, 0xCC, 0xCD, 0xCE, 0xCF},
        {0x6A, 0x4A},
        {0x6B, 0x4B},
        {0x6C, 0x4C},
        {0x6D, 0x4D},
        {0x6E, 0xF1, 0x4E, 0xD1},
        {0x6F, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF8, 0x4F, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD8},
        {0x70, 0x50},
        {0x71, 0x51},
        {0x72, 0x52},
        {0x73, 0xFE, 0xDF, 0x53, 0xDE},
        {0x74, 0x54},
        {0x75, 0xF9, 0xFA, 0xFB, 0xFC, 0x55, 0xD9, 0xDA, 0xDB, 0xDC},
        {0x76, 0x56},
        {0x77, 0x57},
        {0x78, 0x58},
        {0x79, 0xFF, 0x59, 0x9F},
        {0x7A, 0x5A},
    };
    for (const auto& group : letters)
        order.insert(order.end(), group.begin(), group.end());
    bool placed[256] = {};
    for (uint8_t b : order)
        placed[b] = true;
    placed[0x80] = placed[0x81] = true;
    for (int b = 0; b < 256; ++b)
        if (!placed[b])
            order.push_back(uint8_t(b));
    order.insert(order.begin() + 248, {0x80, 0x81});
    std::array<uint8_t, 256> weight{};
    for (size_t i = 0; i < order.size() && i < 256; ++i)
        weight[order[i]] = uint8_t(i);
    return weight;
}

uint8_t turkishUpper(uint8_t b) {
    if (b == 'i')
        return 0xDD;
    if (b >= 'a' && b <= 'z')
        return uint8_t(b - 32);
    if (b == 0xFD)
        return 'I';
    if (b == 0x20)
        return 0x00;
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7 && b != 0xF8)
        return uint8_t(b - 32);
    return b;
}

} // namespace

TZAStringTables::TZAStringTables(uint32_t localeId) {
    const bool turkish = localeId == TurkishLocale;
    if (turkish) {
        weight_ = turkishWeights();
    } else {
        for (int b = 0; b < 256; ++b)
            weight_[b] = uint8_t(b);
    }
    bool seen[256] = {};
    for (int b = 0; b < 256; ++b)
        seen[weight_[b]] = true;
    collationValid_ = true;
    for (bool s : seen)
        collationValid_ = collationValid_ && s;
    for (int b = 0; b < 256; ++b) {
        const uint8_t u = turkish ? turkishUpper(uint8_t(b)) : asciiUpper(uint8_t(b));
        if (collationValid_) {
            upper_[weight_[b]] = weight_[u];
        } else {
            upper_[b] = u;
        }
    }
}

const TZAStringTables& TZAStringTables::Default() {
    static const TZAStringTables tables(UserDefaultLocaleId());
    return tables;
}

uint32_t TZAStringTables::UserDefaultLocaleId() {
    return 1033;
}

int TZAStringTables::Compare(const char* a, const char* b, int n) const {
    return compare(a, b, n, false);
}

int TZAStringTables::CompareIgnoreCase(const char* a, const char* b, int n) const {
    return compare(a, b, n, true);
}

int TZAStringTables::compare(const char* a, const char* b, int n, bool ignoreCase) const {
    if (n <= 0)
        return 0;
    if (!a)
        return (!b || !*b) ? 0 : -1;
    if (!b)
        return *a ? 1 : 0;
    for (int i = 0; i < n; ++i) {
        const uint8_t wa = weight_[uint8_t(a[i])];
        const uint8_t wb = weight_[uint8_t(b[i])];
        if (wa != wb) {
            if (!ignoreCase)
                return int(wa) - int(wb);
            if (upper_[wa] != upper_[wb])
                return int(upper_[wa]) - int(upper_[wb]);
        }
        if (a[i] == 0 || b[i] == 0)
            break;
    }
    return 0;
}

} // namespace zip
