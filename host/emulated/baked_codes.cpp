#include "host/emulated/baked_codes.h"

namespace {

constexpr uint32_t BYTE_BITS = 8;

bool baked_codes_is_lead(uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool baked_codes_is_trail(uint8_t byte)
{
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

} // namespace

std::u32string baked_codes_read(std::string_view text)
{
    std::u32string codes;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<uint8_t>(text[i]);
        if (baked_codes_is_lead(byte) && i + 1 < text.size() &&
            baked_codes_is_trail(static_cast<uint8_t>(text[i + 1]))) {
            codes.push_back(static_cast<char32_t>(byte) << BYTE_BITS |
                            static_cast<uint8_t>(text[i + 1]));
            ++i;
        } else {
            codes.push_back(byte);
        }
    }
    return codes;
}

std::string baked_codes_bytes(uint32_t code)
{
    if (code >> BYTE_BITS == 0)
        return std::string(1, static_cast<char>(code));
    return {static_cast<char>(code >> BYTE_BITS), static_cast<char>(code & 0xFF)};
}
