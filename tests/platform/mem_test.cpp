// The allocator and the error box.
#include "platform/mem.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "host/headless/headless.h"
#include "platform/error_box.h"

namespace {

class MemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless_reset();
        mem_fail_call(0);
    }

    void TearDown() override
    {
        mem_fail_call(0);
    }
};

TEST_F(MemTest, BlocksAreZeroFilledAndCounted)
{
    const MemStats before = mem_stats();
    auto* block = static_cast<unsigned char*>(mem_alloc(4096));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ(block[i], 0) << "byte " << i;
    EXPECT_EQ(mem_stats().calls, before.calls + 1);
    EXPECT_EQ(mem_stats().live_blocks, before.live_blocks + 1);
    mem_free(block);
    mem_free(nullptr);
    EXPECT_EQ(mem_stats().live_blocks, before.live_blocks);
    EXPECT_TRUE(headless_error_boxes().empty());
}

TEST_F(MemTest, FailedRequestShowsOneBoxNamingTheByteCount)
{
    mem_fail_call(1);
    EXPECT_EQ(mem_alloc(2400), nullptr);
    ASSERT_EQ(headless_error_boxes().size(), 1u);
    EXPECT_EQ(headless_error_boxes()[0].caption, "Error");
    EXPECT_EQ(headless_error_boxes()[0].text_utf8, "2400byteの領域の確保に失敗しました。");

    // A negative size is refused, not wrapped into a huge request.
    EXPECT_EQ(mem_alloc(-5), nullptr);
    ASSERT_EQ(headless_error_boxes().size(), 2u);
    EXPECT_EQ(headless_error_boxes()[1].text_utf8, "-5byteの領域の確保に失敗しました。");
}

TEST_F(MemTest, InjectedFailureHitsExactlyTheChosenCall)
{
    // The third call alone fails: the injection is spent once it hits.
    mem_fail_call(3);
    std::vector<void*> blocks;
    for (int call = 1; call <= 4; ++call) {
        blocks.push_back(mem_alloc(8));
        EXPECT_EQ(blocks.back() == nullptr, call == 3) << call;
    }
    EXPECT_EQ(headless_error_boxes().size(), 1u);
    for (void* block : blocks)
        mem_free(block);
}

TEST_F(MemTest, ErrorBoxCutsLongTextAtItsBuffer)
{
    // The longest real message, an 11-character number, fits whole.
    mem_fail_call(1);
    EXPECT_EQ(mem_alloc(INT_MIN), nullptr);
    ASSERT_EQ(headless_error_boxes().size(), 1u);
    EXPECT_EQ(headless_error_boxes()[0].text_utf8, "-2147483648byteの領域の確保に失敗しました。");

    const std::string long_text(300, 'x');
    app_error_box("%s", long_text.c_str());
    ASSERT_EQ(headless_error_boxes().size(), 2u);
    EXPECT_EQ(headless_error_boxes()[1].text, std::string(ERROR_BOX_TEXT_SIZE - 1, 'x'));
}

} // namespace
