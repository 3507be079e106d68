#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>

#include "host/emulated/emulated.h"

// fontconfig keeps a few blocks of its own (its configuration, read once) to the end of the
// process. They are not ours, so a sanitized build of any program here suppresses them itself:
// a tool run by hand passes LeakSanitizer as it does under ctest.
#if defined(__SANITIZE_ADDRESS__)
#define EMU_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define EMU_LEAK_CHECKED 1
#endif
#endif

#ifdef EMU_LEAK_CHECKED
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" const char* __lsan_default_options()
{
    return "print_suppressions=0";
}
#endif

namespace {

// Every character of the program's own texts: a face that lacks one of them is not the face the
// program needs, however fontconfig ranks it.
constexpr char PROGRAM_CHARACTERS[] =
    "今から表示テストを行います。ゆらびりてきとーキ適当す本にあっ！「・」なところで終了下さい";

struct FreeTypeFace {
    FT_Face face = nullptr;
    ~FreeTypeFace()
    {
        if (face)
            FT_Done_Face(face);
    }
};

FT_Library freetype_library()
{
    // One library for the process; it stays reachable until exit.
    static FT_Library library = [] {
        FT_Library created = nullptr;
        return FT_Init_FreeType(&created) == 0 ? created : nullptr;
    }();
    return library;
}

bool fontconfig_covers(FcPattern* match)
{
    FcCharSet* characters = nullptr;
    if (FcPatternGetCharSet(match, FC_CHARSET, 0, &characters) != FcResultMatch)
        return false;
    const std::string utf8 = PROGRAM_CHARACTERS;
    for (size_t i = 0; i < utf8.size();) {
        FcChar32 code = 0;
        const int used = FcUtf8ToUcs4(reinterpret_cast<const FcChar8*>(utf8.data() + i), &code,
                                      static_cast<int>(utf8.size() - i));
        if (used <= 0 || !FcCharSetHasChar(characters, code))
            return false;
        i += static_cast<size_t>(used);
    }
    return true;
}

// The file and face index fontconfig answers for the name with lang=ja, if it covers the text.
bool fontconfig_find(const std::string& family, std::string* file, int* index, std::string* error)
{
    if (!FcInit()) {
        *error = "fontconfig could not start";
        return false;
    }
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    bool found = false;
    FcChar8* path = nullptr;
    if (match && fontconfig_covers(match) &&
        FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        *file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch)
            *index = 0;
        found = true;
    } else {
        *error = "fontconfig knows no face with Japanese for \"" + family + "\"";
    }
    if (match)
        FcPatternDestroy(match);
    return found;
}

// FreeType's 1-bit rows, most significant bit first, as one byte per pixel.
bool freetype_glyph(FT_Face face, char32_t code, EmuGlyph* glyph)
{
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0)
        return false;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph->advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    glyph->left = slot->bitmap_left;
    glyph->top = slot->bitmap_top;
    glyph->width = static_cast<int32_t>(bitmap.width);
    glyph->height = static_cast<int32_t>(bitmap.rows);
    glyph->ink.assign(static_cast<size_t>(glyph->width) * glyph->height, 0);
    for (int32_t row = 0; row < glyph->height; ++row) {
        const unsigned char* bits = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        for (int32_t column = 0; column < glyph->width; ++column) {
            const bool on = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                                ? (bits[column >> 3] >> (7 - (column & 7))) & 1
                                : bits[column] >= 128;
            glyph->ink[static_cast<size_t>(row) * glyph->width + column] = on;
        }
    }
    return true;
}

} // namespace

bool emu_open_system_face(std::string_view face_name, int32_t pixel_height, EmuFace* face,
                          std::string* error)
{
    std::string file;
    int index = 0;
    if (!fontconfig_find(emu_utf8_from_cp932(face_name), &file, &index, error))
        return false;
    FT_Library library = freetype_library();
    auto holder = std::make_shared<FreeTypeFace>();
    if (!library || FT_New_Face(library, file.c_str(), index, &holder->face) != 0 ||
        FT_Set_Pixel_Sizes(holder->face, 0, static_cast<FT_UInt>(pixel_height)) != 0) {
        *error = "FreeType could not open " + file;
        return false;
    }
    face->ascent = static_cast<int32_t>((holder->face->size->metrics.ascender + 63) >> 6);
    face->characters = emu_decode_cp932;
    face->glyph = [holder](char32_t code, EmuGlyph* glyph) {
        return freetype_glyph(holder->face, code, glyph);
    };
    return true;
}
