// The baked face against the system face it was baked from: every baked character, and what the
// table lacks, drawn and measured through the host's text calls with each font.
#include "host/emulated/baked_face.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "demo/demo_script.h"
#include "host/emulated/baked_codes.h"
#include "host/emulated/emulated.h"
#include "host/headless/headless.h"
#include "showcase/panel.h"
#include "text/text.h"

namespace {

// Wide enough for the longest of the programs' texts, drawn whole with its markup.
constexpr int32_t CANVAS_WIDTH = 1024;
constexpr int32_t CANVAS_HEIGHT = 48;
// Room to the left for ink that reaches before the pen.
constexpr int32_t PEN_X = 8;
constexpr int32_t PEN_Y = 4;

// What a text drew, and its width as measured.
using Drawn = std::pair<std::vector<uint16_t>, int32_t>;

HostFont* make_font()
{
    return host_create_font(-TEXT_LINE_HEIGHT, TEXT_FONT_WEIGHT, TEXT_CHARSET_SHIFTJIS,
                            TEXT_FACE_NAME);
}

TEST(BakedFaceTest, DrawsAndMeasuresEveryTextAsTheSystemFace)
{
    headless_reset();
    HostDc* dc = host_create_memory_dc(nullptr);
    uint16_t* pixels = nullptr;
    HostBitmap* bitmap = host_create_dib_section(dc, CANVAS_WIDTH, CANVAS_HEIGHT, 16, &pixels);
    ASSERT_NE(bitmap, nullptr);
    host_select_bitmap(dc, bitmap);
    host_set_text_colour(dc, TEXT_WHITE);
    HostFont* system_font = make_font();
    EmuFace baked_face;
    std::string error;
    ASSERT_TRUE(baked_face_open(BAKED_FACE, TEXT_FACE_NAME, TEXT_LINE_HEIGHT, &baked_face, &error))
        << error;
    headless_use_face(baked_face);
    HostFont* baked_font = make_font();
    ASSERT_TRUE(system_font && baked_font);
    const auto draw = [&](HostFont* font, const std::string& text) {
        std::fill(bitmap->pixels.begin(), bitmap->pixels.end(), 0);
        host_select_font(dc, font);
        const auto length = static_cast<int32_t>(text.size());
        host_text_out(dc, PEN_X, PEN_Y, text.data(), length);
        return Drawn{bitmap->pixels, host_text_width(dc, text.data(), length)};
    };

    // What the baked face draws, and what the system face draws the same: what the table lacks
    // as the system face's unknown character, "\xff".
    // clang-format off
    std::vector<std::pair<std::string, std::string>> rows = {
        {"A\x8a\xbf" "B", "A\xff" "B"}, // an unbaked kanji, "漢"
        {"\x82 A", "\x82 A"}, // a lead byte with a trail byte that is none: the lead alone
        {"A\x82", "A\x82"},   // a lead byte at the end
    };
    // clang-format on
    ASSERT_GT(BAKED_FACE.glyph_count, 0);
    for (int32_t i = 0; i < BAKED_FACE.glyph_count; ++i) {
        const std::string bytes = baked_codes_bytes(BAKED_FACE.glyphs[i].code);
        rows.emplace_back(bytes, bytes);
    }
    // And the programs' own texts, whole: none of their characters is missing from the table.
    std::vector<std::string> texts(demo_texts, demo_texts + DEMO_TEXT_COUNT);
    texts.insert(texts.end(), panel_filter_names, panel_filter_names + FILTER_CODES);
    texts.insert(texts.end(), {PANEL_CONTROLS, PANEL_STATUS_FORMAT});
    for (const std::string& text : texts)
        rows.emplace_back(text, text);
    for (const auto& [baked, system] : rows)
        EXPECT_EQ(draw(baked_font, baked), draw(system_font, system)) << system;
    // The demo's first line, which the system face draws with ink: the rows compare drawings.
    const Drawn now = draw(system_font, "\x8d\xa1");
    EXPECT_NE(std::count(now.first.begin(), now.first.end(), 0x7FFF), 0);

    EXPECT_FALSE(
        baked_face_open(BAKED_FACE, TEXT_FACE_NAME, TEXT_LINE_HEIGHT + 1, &baked_face, &error));
    EXPECT_FALSE(baked_face_open(BAKED_FACE, "Sans", TEXT_LINE_HEIGHT, &baked_face, &error));
    headless_reset();
}

} // namespace
