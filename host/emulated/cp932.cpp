#include <cerrno>
#include <iconv.h>

#include "host/emulated/emulated.h"

namespace {

// Converts with iconv, replacing each byte that starts no valid character and going on.
std::string emu_convert_cp932(std::string_view text, const char* to, std::string_view replacement)
{
    iconv_t converter = iconv_open(to, "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::string(text);
    std::string result;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    size_t in_left = text.size();
    while (in_left > 0) {
        char* out = buffer;
        size_t out_left = sizeof buffer;
        const size_t converted = iconv(converter, &in, &in_left, &out, &out_left);
        result.append(buffer, out - buffer);
        if (converted == static_cast<size_t>(-1) && errno != E2BIG) {
            result += replacement;
            ++in;
            --in_left;
        }
    }
    iconv_close(converter);
    return result;
}

} // namespace

std::string emu_utf8_from_cp932(std::string_view text)
{
    return emu_convert_cp932(text, "UTF-8", "\xef\xbf\xbd");
}

std::u32string emu_decode_cp932(std::string_view text)
{
    constexpr char REPLACEMENT_UTF32LE[] = {'\xfd', '\xff', '\0', '\0'};
    const std::string bytes = emu_convert_cp932(
        text, "UTF-32LE", std::string_view(REPLACEMENT_UTF32LE, sizeof REPLACEMENT_UTF32LE));
    std::u32string codes;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        const auto byte = [&](size_t n) {
            return static_cast<char32_t>(static_cast<uint8_t>(bytes[i + n]));
        };
        codes.push_back(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
    }
    return codes;
}
