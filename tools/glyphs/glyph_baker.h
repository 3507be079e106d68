// luma-glyph-baker: renders every character the demo and the showcase can draw with the system
// face (FreeType through fontconfig, as the sdl and headless hosts draw), and writes them as a C++
// source defining BAKED_FACE (host/emulated/baked_face.h) for the hosts that have no FreeType.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

struct EmuFace;

// The Shift-JIS codes to bake, ascending: printable ASCII, which the showcase's formatted lines
// are made of, and every character of the programs' own texts.
std::vector<uint32_t> glyph_baker_codes();

// Writes the source of BAKED_FACE: face's glyph for each code, and its glyph for U+FFFD as the
// unknown character. False with the reason when a code is no single character of the face.
bool glyph_baker_write(const EmuFace& face, const std::vector<uint32_t>& codes, std::ostream& out,
                       std::string* error);
