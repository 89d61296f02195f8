#include "zip/codec/ZipCrypto.h"

#include <sys/random.h>

#include <random>

#include "zip/codec/Crc32.h"

namespace zip {

TZipCrypto::TZipCrypto(std::string_view password) : keys_{0x12345678, 0x23456789, 0x34567890} {
    for (const char c : password)
        UpdateKeys(static_cast<uint8_t>(c));
}

void TZipCrypto::UpdateKeys(uint8_t c) {
    keys_[0] = Crc32Step(keys_[0], c);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = Crc32Step(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

uint8_t TZipCrypto::StreamByte() const {
    const uint32_t t = (keys_[2] | 2) & 0xFFFF;
    return static_cast<uint8_t>(((t * (t ^ 1)) >> 8) & 0xFF);
}

uint8_t TZipCrypto::EncryptByte(uint8_t p) {
    const uint8_t c = p ^ StreamByte();
    UpdateKeys(p);
    return c;
}

uint8_t TZipCrypto::DecryptByte(uint8_t c) {
    const uint8_t p = c ^ StreamByte();
    UpdateKeys(p);
    return p;
}

void TZipCrypto::Encrypt(uint8_t* buffer, int64_t count) {
    for (int64_t i = 0; i < count; ++i)
        buffer[i] = EncryptByte(buffer[i]);
}

void TZipCrypto::Decrypt(uint8_t* buffer, int64_t count) {
    for (int64_t i = 0; i < count; ++i)
        buffer[i] = DecryptByte(buffer[i]);
}

std::array<uint8_t, 12> TZipCrypto::MakeHeader(uint32_t crc32) {
    std::array<uint8_t, 12> header{};
    // Random bytes from the system, so that two members encrypted at once differ.
    if (getrandom(header.data(), 10, 0) != 10) {
        std::random_device device;
        for (int i = 0; i < 10; ++i)
            header[i] = static_cast<uint8_t>(device());
    }
    header[10] = static_cast<uint8_t>(crc32 >> 16);
    header[11] = static_cast<uint8_t>(crc32 >> 24);
    Encrypt(header.data(), 12);
    return header;
}

bool TZipCrypto::CheckHeader(const uint8_t* header, uint8_t expectedCheckByte) {
    uint8_t plain[12];
    for (int i = 0; i < 12; ++i)
        plain[i] = DecryptByte(header[i]);
    return plain[11] == expectedCheckByte;
}

} // namespace zip
