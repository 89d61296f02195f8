#pragma once

#include <array>
#include <cstdint>

namespace zip {

// One-byte collation tables behind the engine's byte comparisons. A locale
// with its own sort order (Turkish, locale 1055) gets its built-in tables;
// every other locale compares bytes in byte order and folds case for ASCII
// letters only, so that the result never depends on the C library's locale.
class TZAStringTables {
public:
    static constexpr uint32_t TurkishLocale = 1055;

    explicit TZAStringTables(uint32_t localeId);

    // The tables the engine compares names with, built once per process.
    static const TZAStringTables& Default();
    // The locale whose tables serve names: byte order with ASCII case (1033) under every
    // locale. Names are UTF-8 here; the Turkish tables fold the bytes of code page 1254, which
    // in UTF-8 are lead and continuation bytes of unrelated characters (0xE3 and 0xC3 would
    // match), and keep "i" and "I" apart in masks such as "*.GIF".
    static uint32_t UserDefaultLocaleId();

    bool CollationValid() const { return collationValid_; }
    uint8_t Weight(uint8_t b) const { return weight_[b]; }

    // Case-sensitive and case-insensitive comparison of at most n bytes of
    // two zero-terminated strings; nullptr stands for a missing string.
    int Compare(const char* a, const char* b, int n) const;
    int CompareIgnoreCase(const char* a, const char* b, int n) const;

    // One byte against one byte, the comparison the wildcard matcher uses.
    bool SameByte(uint8_t a, uint8_t b) const { return a == b; }
    bool SameByteIgnoreCase(uint8_t a, uint8_t b) const {
        const uint8_t wa = weight_[a], wb = weight_[b];
        return wa == wb || upper_[wa] == upper_[wb];
    }

private:
    int compare(const char* a, const char* b, int n, bool ignoreCase) const;

    bool collationValid_ = false;
    std::array<uint8_t, 256> weight_{};
    std::array<uint8_t, 256> upper_{};
};

} // namespace zip
