// Texture slots: the creator, freeing, and the accessors on empty and unknown slots.
#include "platform/texture.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "host/headless/headless.h"
#include "platform/mem.h"

namespace {

TEST(TextureTest, CreatorFillsTheLowestEmptySlotAndFreeingEmptiesIt)
{
    headless_reset();
    const int32_t live_blocks = mem_stats().live_blocks;
    tex_init();
    ASSERT_EQ(tex_create(7, 7), 0);
    EXPECT_EQ(std::pair(tex_log2_width(0), tex_log2_height(0)), std::pair(7, 7));
    tex_pixels(0)[128 * 128 - 1] = 0x7FFF; // the last pixel lies inside the block
    EXPECT_EQ(mem_stats().live_blocks, live_blocks + 2);
    // Sizes run from 2^0 to 2^10 each way; freed slots are taken again first.
    EXPECT_EQ(
        (std::vector{tex_create(3, 0), tex_create(0, 10), tex_create(11, 0), tex_create(0, -1)}),
        (std::vector{1, 2, -1, -1}));
    tex_free(1);
    EXPECT_EQ(tex_pixels(1), nullptr);
    EXPECT_EQ(tex_create(0, 0), 1);
    for (int32_t slot = 3; slot < TEXTURE_SLOTS; ++slot)
        ASSERT_EQ(tex_create(0, 0), slot);
    EXPECT_EQ(tex_create(0, 0), -1);
    EXPECT_NE(tex_pixels(TEXTURE_SLOTS - 1), nullptr);

    // Empty and unknown slots read as nothing and free nothing.
    tex_free(5);
    for (const int32_t slot : {5, -1, TEXTURE_SLOTS, INT32_MIN}) {
        tex_free(slot);
        EXPECT_EQ(tex_pixels(slot), nullptr) << slot;
        EXPECT_EQ(tex_log2_width(slot) | tex_log2_height(slot), 0) << slot;
    }
    tex_free_all();
    EXPECT_EQ(mem_stats().live_blocks, live_blocks);

    // A failed pixel block (2^3 x 2^2 pixels of 2 bytes) takes its record back with it.
    mem_fail_call(2);
    EXPECT_EQ(tex_create(3, 2), -2);
    ASSERT_EQ(headless_error_boxes().size(), 1u);
    EXPECT_EQ(headless_error_boxes()[0].text_utf8, "64byteの領域の確保に失敗しました。");
    EXPECT_EQ(mem_stats().live_blocks, live_blocks);
    EXPECT_EQ(tex_pixels(0), nullptr);
}

} // namespace
