#include <cerrno>
#include <iconv.h>

#include "host/emulated/emulated.h"

namespace {
constexpr char REPLACEMENT_UTF8[] = "\xef\xbf\xbd";
}

std::string emu_utf8_from_cp932(std::string_view text)
{
    iconv_t converter = iconv_open("UTF-8", "CP932");
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
            // An invalid or truncated character: replace one byte and go on.
            result += REPLACEMENT_UTF8;
            ++in;
            --in_left;
        }
    }
    iconv_close(converter);
    return result;
}
