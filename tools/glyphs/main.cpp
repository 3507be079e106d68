#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/emulated/emulated.h"
#include "text/text.h"
#include "tools/glyphs/glyph_baker.h"

// luma-glyph-baker OUTPUT: writes the baked face's source to OUTPUT, whole or not at all.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: luma-glyph-baker OUTPUT.cpp\n");
        return 2;
    }
    const std::filesystem::path output = argv[1];
    EmuFace face;
    std::string error;
    if (!emu_open_system_face(TEXT_FACE_NAME, TEXT_LINE_HEIGHT, &face, &error)) {
        std::fprintf(stderr,
                     "luma-glyph-baker: %s (the glyphs are baked from fonts-ipafont-mincho; "
                     "scripts/install-deps installs it)\n",
                     error.c_str());
        return 1;
    }
    std::filesystem::path partial = output;
    partial += ".partial";
    {
        std::ofstream out(partial, std::ios::binary);
        if (!glyph_baker_write(face, glyph_baker_codes(), out, &error)) {
            std::fprintf(stderr, "luma-glyph-baker: %s\n",
                         error.empty() ? "cannot write the output" : error.c_str());
            out.close();
            std::filesystem::remove(partial);
            return 1;
        }
    }
    std::error_code failure;
    std::filesystem::rename(partial, output, failure);
    if (failure) {
        std::fprintf(stderr, "luma-glyph-baker: cannot write %s: %s\n", output.string().c_str(),
                     failure.message().c_str());
        return 1;
    }
    return 0;
}
