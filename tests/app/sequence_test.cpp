// The shell's sequences and quit paths, watched through the headless host's record of calls.
#include "platform/surface.h"
#include "resources/resource.h"
#include "tests/support/program.h"

namespace {

constexpr uintptr_t ESCAPE = 27;

using SequenceTest = ProgramTest;

TEST_F(SequenceTest, StartupRunsInOrderAndClosingRunsTeardownThenQuits)
{
    headless_close_after_frames(3);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(headless_frames_presented(), 3u);
    EXPECT_TRUE(headless_error_boxes().empty());

    // Start-up runs inside window creation, before the window is shown.
    EXPECT_LT(position("register class"), position("create window"));
    EXPECT_LT(position("create window"), position("chdir data"));
    EXPECT_LT(position("chdir data"), position("create bitmap", 0));
    const long bitmaps = count("create bitmap");
    EXPECT_GE(bitmaps, 2);
    EXPECT_LT(position("create bitmap", bitmaps - 1), position("show window"));
    EXPECT_LT(position("show window"), position("present"));

    // Closing: teardown frees the frame buffers, then the menu goes, then the quit; no frame after.
    const long destroyed = position("destroy window");
    ASSERT_GE(destroyed, 0);
    EXPECT_LT(position("present", 2), destroyed);
    EXPECT_LT(destroyed, position("delete bitmap", 0));
    EXPECT_EQ(count("delete bitmap"), bitmaps);
    EXPECT_LT(position("delete bitmap", bitmaps - 1), position("destroy menu"));
    EXPECT_LT(position("destroy menu"), position("quit 0"));
    EXPECT_EQ(position("present", 3), -1);
    EXPECT_EQ(headless_live_bitmaps(), 0);
    EXPECT_FALSE(headless_window_alive());
}

TEST_F(SequenceTest, FailedAllocationAtStartupShowsOneBoxAndRunsNoFrame)
{
    mem_fail_call(1);
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(headless_error_boxes().size(), 1u);
    EXPECT_EQ(headless_error_boxes()[0].caption, "Error");
    const size_t slot_table = SURFACE_SLOTS * sizeof(SurfaceSlot);
    EXPECT_EQ(headless_error_boxes()[0].text_utf8,
              std::to_string(slot_table) + "byteの領域の確保に失敗しました。");
    EXPECT_EQ(headless_frames_presented(), 0u);
    // Start-up stopped at the failing step: the frame buffers were never made.
    EXPECT_EQ(count("create bitmap"), 0);
    EXPECT_EQ(count("quit 0"), 1);
}

TEST_F(SequenceTest, EveryStartupAllocationCanFailAlone)
{
    // A whole start-up, to count its allocations.
    headless_close_after_frames(1);
    const uint32_t before = mem_stats().calls;
    ASSERT_EQ(run(), 0);
    const uint32_t allocations = mem_stats().calls - before;
    ASSERT_GE(allocations, 2u);

    // Failing each one in turn stops start-up there: one box, no frame, the quit code 0, and no
    // allocation after the failing one.
    for (uint32_t failing = 1; failing <= allocations; ++failing) {
        headless_reset();
        const uint32_t start = mem_stats().calls;
        mem_fail_call(failing);
        EXPECT_EQ(run(), 0) << "allocation " << failing;
        EXPECT_EQ(mem_stats().calls - start, failing) << "allocation " << failing;
        ASSERT_EQ(headless_error_boxes().size(), 1u) << "allocation " << failing;
        EXPECT_NE(headless_error_boxes()[0].text_utf8.find("byteの領域の確保に失敗しました。"),
                  std::string::npos);
        EXPECT_EQ(headless_frames_presented(), 0u) << "allocation " << failing;
        app_teardown();
    }
}

TEST_F(SequenceTest, FrameBufferFailureShowsItsBoxAndRunsNoFrame)
{
    for (const auto fail :
         {+[] { headless_fail_bitmap(2); }, +[] { headless_fail_memory_dc(1); }}) {
        headless_reset();
        fail();
        EXPECT_EQ(run(), 0);
        ASSERT_EQ(headless_error_boxes().size(), 1u);
        EXPECT_EQ(headless_error_boxes()[0].caption, "Error");
        EXPECT_EQ(headless_error_boxes()[0].text_utf8, "画面バッファの作成に失敗しました。");
        EXPECT_EQ(headless_frames_presented(), 0u);
        app_teardown();
    }
}

TEST_F(SequenceTest, NoClassOrNoWindowExitsWithFailureAndNoFrame)
{
    headless_fail_register_class();
    EXPECT_EQ(run(), APP_EXIT_NO_WINDOW);
    ASSERT_EQ(headless_error_boxes().size(), 1u);
    EXPECT_EQ(headless_error_boxes()[0].text_utf8, "ウィンドウクラスの登録に失敗しました。");
    EXPECT_EQ(count("create window"), 0);
    EXPECT_EQ(headless_frames_presented(), 0u);

    headless_reset();
    headless_fail_create_window();
    EXPECT_NE(run(), 0);
    ASSERT_EQ(headless_error_boxes().size(), 1u);
    EXPECT_EQ(headless_error_boxes()[0].text_utf8, "ウィンドウの作成に失敗しました。");
    EXPECT_EQ(count("chdir data"), 0);
    EXPECT_EQ(headless_frames_presented(), 0u);
}

TEST_F(SequenceTest, EscapeAndQuitCommandQuitWithoutTeardown)
{
    // Other characters and unknown commands do nothing; the command is the low word.
    at_frame(1, [] { headless_post(HOST_WM_CHAR, 'a'); });
    at_frame(2, [] { headless_post(HOST_WM_COMMAND, ID_ALWAYS_ON_TOP + 1); });
    at_frame(3, [] { headless_post(HOST_WM_CHAR, ESCAPE); });
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(headless_frames_presented(), 3u);
    EXPECT_EQ(count("delete bitmap"), 0);
    EXPECT_EQ(count("destroy menu"), 0);
    EXPECT_TRUE(headless_window_alive());

    app_teardown();
    headless_reset();
    actions.clear();
    at_frame(2, [] { headless_post(HOST_WM_COMMAND, (7u << 16) | ID_QUIT); });
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(headless_frames_presented(), 2u);
    EXPECT_EQ(count("delete bitmap"), 0);
}

TEST_F(SequenceTest, EscapeInTheDialogQuitsAndNoFrameRunsWhileItIsOpen)
{
    at_frame(1, [] {
        headless_post(HOST_WM_COMMAND, ID_SHOW_DIALOG);
        headless_post_dialog(HOST_WM_CHAR, 'x');
        headless_post_dialog(HOST_WM_CHAR, ESCAPE);
    });
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(headless_frames_presented(), 1u);
    EXPECT_LT(position("dialog " + std::to_string(IDD_DIALOG)), position("quit 0"));
    EXPECT_EQ(count("end dialog 0"), 0);
    EXPECT_EQ(count("delete bitmap"), 0);
}

TEST_F(SequenceTest, DialogButtonClosesOnlyTheDialog)
{
    at_frame(1, [] {
        headless_post(HOST_WM_COMMAND, ID_SHOW_DIALOG);
        headless_post_dialog(HOST_WM_COMMAND, IDC_CLOSE + 1);
        headless_post_dialog(HOST_WM_COMMAND, IDC_CLOSE);
    });
    headless_close_after_frames(3);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(headless_frames_presented(), 3u);
    const long dialog = position("dialog " + std::to_string(IDD_DIALOG));
    EXPECT_LT(position("present", 0), dialog);
    EXPECT_LT(dialog, position("end dialog 0"));
    EXPECT_LT(position("end dialog 0"), position("present", 1));
}

TEST_F(SequenceTest, AlwaysOnTopChecksThenUnchecks)
{
    bool topmost_after_first = false;
    bool checked_after_first = false;
    at_frame(1, [] { headless_post(HOST_WM_COMMAND, ID_ALWAYS_ON_TOP); });
    at_frame(2, [&] {
        topmost_after_first = headless_topmost();
        checked_after_first = headless_menu_item_checked(ID_ALWAYS_ON_TOP);
        headless_post(HOST_WM_COMMAND, ID_ALWAYS_ON_TOP);
    });
    headless_close_after_frames(3);
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(topmost_after_first);
    EXPECT_TRUE(checked_after_first);
    EXPECT_FALSE(headless_topmost());
    EXPECT_FALSE(headless_menu_item_checked(ID_ALWAYS_ON_TOP));
    EXPECT_EQ(events_named("check"), (std::vector<std::string>{"check 40003 1", "check 40003 0"}));
}

TEST_F(SequenceTest, NoFrameStartsWhileAMessageWaits)
{
    at_frame(1, [] {
        for (int i = 0; i < 5; ++i)
            headless_move_cursor(i, i);
    });
    at_frame(2, [] { headless_post(HOST_WM_LBUTTONDOWN); });
    headless_close_after_frames(3);
    EXPECT_EQ(run(), 0);
    const std::string move = "dispatch " + std::to_string(HOST_WM_MOUSEMOVE);
    EXPECT_LT(position("present", 0), position(move, 0));
    EXPECT_LT(position(move, 4), position("present", 1));
    const std::string down = "dispatch " + std::to_string(HOST_WM_LBUTTONDOWN);
    EXPECT_LT(position("present", 1), position(down));
    EXPECT_LT(position(down), position("present", 2));
}

} // namespace
