// The shell's sequences and quit paths, watched through the headless host's record of calls.
#include <string_view>
#include <tuple>

#include "resources/resource.h"
#include "showcase/showcase.h"
#include "tests/support/program.h"

namespace {

constexpr uintptr_t ESCAPE = 27;
constexpr char NO_FRAME_BUFFER[] = "画面バッファの作成に失敗しました。";

// The demo's start-up allocations: the surface slots, the sine and cosine tables, the matrix
// stack, the table registry, the ordering table, the scene buffer, the pick pool, the effect
// steps and instances, the model table, items and packets, the message windows and the stars.
constexpr uint32_t DEMO_ALLOCATIONS = 15;
constexpr std::string_view ALLOCATION_FAILURE = "byteの領域の確保に失敗しました。";

class SequenceTest : public ProgramTest {
protected:
    // A start-up that failed: the one box, no frame, the exit code, and (in the window) the quit
    // code 0; teardown frees everything. Without a text the box is the allocator's: the byte
    // count, then the message.
    void expect_stopped(const std::string& box, int exit_code = 0)
    {
        EXPECT_EQ(run(1), exit_code);
        ASSERT_EQ(headless_error_boxes().size(), 1u);
        const std::string& shown = headless_error_boxes()[0].text_utf8;
        EXPECT_EQ(headless_error_boxes()[0].caption, "Error");
        EXPECT_TRUE(box.empty() ? shown.ends_with(ALLOCATION_FAILURE) && std::stol(shown) > 0
                                : shown == box)
            << shown;
        EXPECT_EQ(headless_frames_presented(), 0u);
        EXPECT_EQ(count("quit 0"), exit_code == 0 ? 1 : 0);
        app_teardown();
        EXPECT_EQ(headless_live_bitmaps(), 0);
        EXPECT_EQ(mem_stats().live_blocks, live_blocks_before);
    }
};

TEST_F(SequenceTest, StartupRunsInOrderAndClosingRunsTeardownThenQuits)
{
    EXPECT_EQ(run(3), 0);
    EXPECT_EQ(headless_frames_presented(), 3u);
    EXPECT_TRUE(headless_error_boxes().empty());
    // Start-up runs inside window creation, before the window is shown. Closing: teardown frees
    // the frame buffers, then the menu goes, then the quit; no frame after.
    const long bitmaps = count("create bitmap");
    EXPECT_GE(bitmaps, 2);
    EXPECT_EQ(count("delete bitmap"), bitmaps);
    // clang-format off
    expect_in_order({{"register class", 0}, {"create window", 0}, {"chdir data", 0},
                     {"create bitmap", 0}, {"create bitmap", bitmaps - 1}, {"show window", 0},
                     {"present", 2}, {"destroy window", 0}, {"delete bitmap", 0},
                     {"delete bitmap", bitmaps - 1}, {"destroy menu", 0}, {"quit 0", 0}});
    // clang-format on
    EXPECT_EQ(count("present"), 3);
    EXPECT_FALSE(headless_window_alive());
}

// Each program's start-up allocations failing one at a time stop start-up there: one box that
// names the byte count, no allocation after it, no frame.
TEST_F(SequenceTest, EveryStartupAllocationOfEitherProgramCanFailAlone)
{
    for (const AppProgram* each : {&APP_DEMO, &APP_SHOWCASE}) {
        program = each;
        restart();
        const uint32_t before = mem_stats().calls;
        ASSERT_EQ(run(1), 0);
        const uint32_t allocations = mem_stats().calls - before;
        EXPECT_TRUE(each == &APP_DEMO ? allocations == DEMO_ALLOCATIONS
                                      : allocations > DEMO_ALLOCATIONS)
            << allocations;
        for (uint32_t failing = 1; failing <= allocations; ++failing) {
            SCOPED_TRACE(std::string(each->title) + ", allocation " + std::to_string(failing));
            restart();
            const uint32_t start = mem_stats().calls;
            mem_fail_call(failing);
            expect_stopped("");
            EXPECT_EQ(mem_stats().calls - start, failing);
        }
    }
}

// No class, no window, no font (whose box names the package to install), no frame buffer or no
// text layer (each a frame buffer's box): start-up stops before any frame.
TEST_F(SequenceTest, EachFailingHostResourceStopsStartupBeforeAnyFrame)
{
    struct Case {
        void (*fail)();
        const char* box;
        int exit_code = 0;
        const char* skipped = "present"; // a later step that never runs
    };
    // Bitmaps and memory DCs 1 and 2 are the frame buffers', 3 the colour layer's, 4 the mask's.
    const Case cases[] = {
        {headless_fail_register_class, "ウィンドウクラスの登録に失敗しました。", APP_EXIT_NO_WINDOW,
         "create window"},
        {headless_fail_create_window, "ウィンドウの作成に失敗しました。", APP_EXIT_NO_WINDOW,
         "chdir data"},
        {headless_fail_font,
         "No Japanese Mincho font was found. Install one with: sudo apt-get install "
         "fonts-ipafont-mincho"},
        {[] { headless_fail_memory_dc(1); }, NO_FRAME_BUFFER},
        {[] { headless_fail_bitmap(2); }, NO_FRAME_BUFFER},
        {[] { headless_fail_bitmap(3); }, NO_FRAME_BUFFER},
        {[] { headless_fail_memory_dc(4); }, NO_FRAME_BUFFER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        restart();
        c.fail();
        expect_stopped(c.box, c.exit_code);
        EXPECT_EQ(count(c.skipped), 0);
    }
}

// What the user does after frame 1: in the main window, or in the dialog opened then, through the
// dialog manager to the dialog procedure. A quit exits 0 at once, with no further frame and no
// teardown; a close of the dialog lets frames resume. Input to the main window behind the
// dialog is dropped, so its Escape never quits.
TEST_F(SequenceTest, EscapeAndQuitEndTheProgramAtOnceAndTheDialogsCloseOnlyIt)
{
    using Post = void (*)(uint32_t, uintptr_t, intptr_t);
    const Post win = headless_post;
    const Post dlg = headless_post_dialog;
    const Post behind = headless_post_behind_dialog;
    struct Case {
        const char* what;
        std::vector<std::tuple<Post, uint32_t, uintptr_t>> inputs; // message, wparam
        bool quits;
    };
    // clang-format off
    const Case cases[] = {
        {"other keys and commands",
         {{win, HOST_WM_CHAR, 'a'}, {win, HOST_WM_COMMAND, ID_ALWAYS_ON_TOP + 1}}, false},
        {"Escape", {{win, HOST_WM_CHAR, ESCAPE}}, true},
        {"Quit, the low word", {{win, HOST_WM_COMMAND, 7u << 16 | ID_QUIT}}, true},
        {"dialog Escape", {{dlg, HOST_WM_KEYDOWN, HOST_VK_ESCAPE}}, true},
        {"close box", {{dlg, HOST_WM_CLOSE, 0}}, true},
        {"IDCANCEL", {{dlg, HOST_WM_COMMAND, HOST_IDCANCEL}}, true},
        {"WM_CHAR 27", {{dlg, HOST_WM_CHAR, 'x'}, {dlg, HOST_WM_CHAR, ESCAPE}}, true},
        {"Return", {{dlg, HOST_WM_KEYDOWN, HOST_VK_RETURN}}, false},
        {"button", {{dlg, HOST_WM_COMMAND, IDC_CLOSE + 1}, {dlg, HOST_WM_COMMAND, IDC_CLOSE}},
         false},
        {"Escape behind", {{behind, HOST_WM_CHAR, ESCAPE}, {behind, HOST_WM_COMMAND, ID_QUIT},
                           {dlg, HOST_WM_KEYDOWN, HOST_VK_RETURN}}, false},
    };
    // clang-format on
    const std::string shown = "dialog " + std::to_string(IDD_DIALOG);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        restart();
        const bool opens = std::get<0>(c.inputs.back()) != win;
        at_frame(1, [&c, opens] {
            if (opens)
                headless_post(HOST_WM_COMMAND, ID_SHOW_DIALOG);
            for (const auto& [post, message, wparam] : c.inputs)
                post(message, wparam, 0);
        });
        EXPECT_EQ(run(3), 0);
        EXPECT_EQ(headless_frames_presented(), c.quits ? 1u : 3u);
        EXPECT_EQ(headless_window_alive(), c.quits);
        EXPECT_EQ(count("delete bitmap") + count("destroy menu") == 0, c.quits);
        EXPECT_EQ(count("end dialog 0"), opens && !c.quits ? 1 : 0);
        if (opens && c.quits)
            expect_in_order({{"present", 0}, {shown, 0}, {"quit 0", 0}});
        if (opens && !c.quits)
            expect_in_order({{"present", 0}, {shown, 0}, {"end dialog 0", 0}, {"present", 1}});
    }
}

TEST_F(SequenceTest, AlwaysOnTopChecksThenUnchecks)
{
    bool topmost_after_first = false;
    at_frame(1, [] { headless_post(HOST_WM_COMMAND, ID_ALWAYS_ON_TOP); });
    at_frame(2, [&] {
        topmost_after_first = headless_topmost() && headless_menu_item_checked(ID_ALWAYS_ON_TOP);
        headless_post(HOST_WM_COMMAND, ID_ALWAYS_ON_TOP);
    });
    EXPECT_EQ(run(3), 0);
    EXPECT_TRUE(topmost_after_first);
    EXPECT_FALSE(headless_topmost());
    expect_in_order({{"check 40003 1", 0}, {"check 40003 0", 0}});
    EXPECT_EQ(count("check 40003 1") + count("check 40003 0"), 2);
}

} // namespace
