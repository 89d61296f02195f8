#pragma once
// The traditional PKWARE encryption.

#include <array>
#include <cstdint>
#include <string_view>

namespace zip {

class TZipCrypto {
public:
    // Keys fresh from password (ZipCryptoInitKeys).
    explicit TZipCrypto(std::string_view password);

    void UpdateKeys(uint8_t c);
    uint8_t StreamByte() const;
    uint8_t EncryptByte(uint8_t p);
    uint8_t DecryptByte(uint8_t c);
    void Encrypt(uint8_t* buffer, int64_t count);
    void Decrypt(uint8_t* buffer, int64_t count);

    // The 12-byte header written in front of an encrypted member: 10 random bytes, then bits
    // 16-23 and 24-31 of crc32, all encrypted with these keys (which advance).
    std::array<uint8_t, 12> MakeHeader(uint32_t crc32);
    // Decrypts a 12-byte header with these keys (which advance) and checks its last byte.
    bool CheckHeader(const uint8_t* header, uint8_t expectedCheckByte);

private:
    uint32_t keys_[3];
};

} // namespace zip
