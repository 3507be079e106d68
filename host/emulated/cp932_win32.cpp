// Code page 932 through Windows' own tables, where there is no iconv.
#include <windows.h>

#include "host/emulated/emulated.h"

namespace {

constexpr UINT CODE_PAGE_SHIFT_JIS = 932;

// MultiByteToWideChar puts U+FFFD in place of each byte that starts no character.
std::wstring emu_utf16_from_cp932(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CODE_PAGE_SHIFT_JIS, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CODE_PAGE_SHIFT_JIS, 0, text.data(), size, wide.data(), units);
    return wide;
}

} // namespace

std::string emu_utf8_from_cp932(std::string_view text)
{
    const std::wstring wide = emu_utf16_from_cp932(text);
    if (wide.empty())
        return {};
    const int units = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

// Code page 932 has no character outside the basic plane, so each UTF-16 unit is one code point.
std::u32string emu_decode_cp932(std::string_view text)
{
    const std::wstring wide = emu_utf16_from_cp932(text);
    std::u32string codes;
    for (const wchar_t unit : wide)
        codes.push_back(static_cast<uint16_t>(unit));
    return codes;
}
