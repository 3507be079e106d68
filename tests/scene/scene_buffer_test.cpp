// The scene buffer: its layout and allocation, the header save stack, registration and colour
// conversion.
#include "scene/scene_buffer.h"

#include <string>

#include "platform/table_registry.h"
#include "tests/support/scene_fixture.h"

namespace {

using SceneBufferTest = SceneFixture;

std::ptrdiff_t distance(const void* from, const void* to)
{
    return static_cast<const uint8_t*>(to) - static_cast<const uint8_t*>(from);
}

TEST_F(SceneBufferTest, HeaderAfterCreationDescribesTheSixRegions)
{
    const SceneBuffer* buffer = scene_current();
    const SceneHeader& h = buffer->header;
    const std::ptrdiff_t record = (sizeof(SceneBuffer) + 15) / 16 * 16;
    EXPECT_EQ(h.packet_count | h.vertex_count | h.colour_count | h.texcoord_count, 0);
    EXPECT_EQ(h.packet_write, h.first_packet);
    EXPECT_EQ(std::tuple(
                  distance(buffer, h.first_packet), distance(h.first_packet, h.vertices),
                  distance(h.vertices, h.spare_first), distance(h.spare_first, h.spare_second),
                  distance(h.spare_second, h.spare_third), distance(h.spare_third, h.flat_colours)),
              std::tuple(record + 10 * 16, 60000, 1500 * 16, 1200 * 16, 10 * 16, 10 * 16));
    // Types 0, 1 and 2 were registered; type 3 only on request.
    EXPECT_EQ(std::tuple(h.colour_entries, h.texcoords, h.spare_3_table),
              std::tuple(table_address(TABLE_TYPE_COLOURS), table_address(TABLE_TYPE_TEXCOORDS),
                         nullptr));
    int table = 0;
    EXPECT_EQ(scene_register_table(&table, 3), 0);
    EXPECT_EQ(scene_register_table(&table, 6), -1);
    EXPECT_EQ(h.spare_3_table, &table);
    for (int i = 0; i < OT_BUCKETS; ++i)
        ASSERT_EQ(scene_ordering_table()->heads[i], OT_EMPTY) << i;

    // One allocation covers all six regions, up to the last flat colour.
    mem_fail_call(1);
    EXPECT_EQ(scene_buffer_create(60000, 1500, 1200, 10, 10), nullptr);
    const std::ptrdiff_t total = record + 160 + 60000 + 1500 * 16 + 1220 * 16 + 1200 * 2;
    ASSERT_EQ(headless_error_boxes().size(), 1u);
    EXPECT_EQ(headless_error_boxes()[0].text_utf8,
              std::to_string(total) + "byteの領域の確保に失敗しました。");
}

TEST_F(SceneBufferTest, RestoreBringsBackTheSavedHeadersInTurnAndSavesStopAtSixteen)
{
    const ColourEntry colours[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    const uint8_t packet[44] = {3};
    scene_add_packets(packet, 44, 1);
    scene_reserve_vertices(5);
    scene_add_colours(colours, 2);
    const SceneHeader saved = scene_header();
    for (int32_t level = 0; level <= HEADER_SAVE_DEPTH; ++level) {
        EXPECT_EQ(scene_save_header(), level < HEADER_SAVE_DEPTH ? 0 : -1) << level;
        EXPECT_EQ(scene_add_packets(packet, 44, 1), 44 * (level + 1));
        EXPECT_EQ(scene_reserve_vertices(1), 5 + level);
        EXPECT_EQ(scene_add_colours(colours, 1), 2 + level);
    }
    for (int32_t level = HEADER_SAVE_DEPTH - 1; level >= 1; --level) {
        scene_restore_header();
        ASSERT_EQ(scene_header().packet_count, 1 + level) << level;
    }
    scene_restore_header();
    EXPECT_TRUE(test_same(scene_header(), saved));
    // At depth 0 a restore copies level 0 again.
    scene_header().packet_count = 99;
    scene_restore_header();
    EXPECT_TRUE(test_same(scene_header(), saved));
}

TEST_F(SceneBufferTest, ColourConversionFollowsTheRegisteredCount)
{
    ColourEntry* entries = scene_header().colour_entries;
    entries[0] = {255, 255, 255, 0};
    entries[1] = {8, 16, 248, 0};
    const Pixel* flat = scene_convert_colours();
    EXPECT_EQ(flat, scene_header().flat_colours);
    EXPECT_EQ(flat[0], 0); // the registry counts nothing yet
    table_set_count(TABLE_TYPE_COLOURS, 2);
    scene_convert_colours();
    EXPECT_EQ(std::tuple(flat[0], flat[1]), std::tuple(0x7FFF, 0x045F));
}

// Each addition returns where it went, or -1 with nothing added when it does not fit.
TEST_F(SceneBufferTest, AdditionsStopAtTheTableEnds)
{
    static ColourEntry colours[1500];
    static uint8_t packets[60000];
    colours[1] = {248, 0, 8, 0};
    // clang-format off
    const std::pair<int32_t (*)(), int32_t> rows[] = {
        {[] { return scene_reserve_vertices(-1); }, -1},
        {[] { return scene_reserve_vertices(1000); }, 0},
        {[] { return scene_reserve_vertices(501); }, -1},
        {[] { return scene_reserve_vertices(500); }, 1000},
        {[] { return scene_add_colours(colours, 2); }, 0},
        {[] { return scene_add_colours(colours, 1499); }, -1},
        {[] { return scene_add_colours(colours, 1498); }, 2},
        {[] { return scene_add_packets(packets, 59990, 1000); }, 0},
        {[] { return scene_add_packets(packets, 11, 1); }, -1},
        {[] { return scene_add_packets(packets, 10, 1); }, 59990},
    };
    // clang-format on
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(rows[i].first(), rows[i].second) << "row " << i;
    EXPECT_EQ(scene_vertex_slot(1500), nullptr);
    EXPECT_EQ(std::pair(table_count(TABLE_TYPE_COLOURS), scene_header().packet_count),
              std::pair(1500, 1001));
    EXPECT_EQ(scene_header().flat_colours[1], (31 << 10) | 1);
    // A write position that a restore left outside the area is refused, not trusted.
    scene_header().packet_write = nullptr;
    EXPECT_EQ(scene_add_packets(packets, 1, 1), -1);
}

} // namespace
