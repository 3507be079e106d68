// Shift-JIS codes read from the bytes alone, with no code-page conversion: a lead byte (0x81 to
// 0x9F, 0xE0 to 0xFC) and a trail byte (0x40 to 0x7E, 0x80 to 0xFC) form a two-byte code, lead x
// 256 + trail; any other byte is a code of its own. Characters split where code page 932 splits
// them, so a byte that starts no character stands alone as it does there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The text's codes, one per character.
std::u32string baked_codes_read(std::string_view text);
// The bytes of one code: one byte below 256, else the lead and the trail byte.
std::string baked_codes_bytes(uint32_t code);
