// The allocator and the error box.
#include "platform/mem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include "host/headless/headless.h"
#include "platform/error_box.h"

namespace {

// The third call alone fails: the injection is spent once it hits. A negative size is refused,
// not wrapped into a huge request; the longest real message, an 11-character number, fits whole,
// and a longer text is cut at the box's buffer.
TEST(MemTest, BlocksAreZeroFilledAndCountedAndAFailedCallShowsItsSizeInABox)
{
    headless_reset();
    const MemStats before = mem_stats();
    auto* block = static_cast<unsigned char*>(mem_alloc(4096));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::count(block, block + 4096, 0), 4096);
    EXPECT_EQ(std::pair(mem_stats().calls, mem_stats().live_blocks),
              std::pair(before.calls + 1, before.live_blocks + 1));
    mem_free(block);
    mem_free(nullptr);
    EXPECT_EQ(mem_stats().live_blocks, before.live_blocks);
    EXPECT_TRUE(headless_error_boxes().empty());
    mem_fail_call(3);
    for (int32_t call = 1; call <= 4; ++call) {
        void* next = mem_alloc(call == 3 ? 2400 : 8);
        EXPECT_EQ(next == nullptr, call == 3) << call;
        mem_free(next);
    }
    EXPECT_EQ(mem_alloc(-5), nullptr);
    EXPECT_EQ(mem_alloc(INT_MIN), nullptr);
    app_error_box("%s", std::string(300, 'x').c_str());
    ASSERT_EQ(headless_error_boxes().size(), 4u);
    EXPECT_EQ(headless_error_boxes()[0].caption, "Error");
    EXPECT_EQ(headless_error_boxes()[0].text_utf8, "2400byteの領域の確保に失敗しました。");
    EXPECT_EQ(headless_error_boxes()[1].text_utf8, "-5byteの領域の確保に失敗しました。");
    EXPECT_EQ(headless_error_boxes()[2].text_utf8, "-2147483648byteの領域の確保に失敗しました。");
    EXPECT_EQ(headless_error_boxes()[3].text, std::string(ERROR_BOX_TEXT_SIZE - 1, 'x'));
}

} // namespace
