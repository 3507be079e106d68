// The shell's sequences and quit paths, watched through the headless host's record of calls.
#include "demo/stars.h"
#include "platform/surface.h"
#include "platform/table_registry.h"
#include "resources/resource.h"
#include "scene/effect.h"
#include "scene/model.h"
#include "scene/pick.h"
#include "scene/scene_buffer.h"
#include "showcase/showcase.h"
#include "tests/support/program.h"
#include "text/text.h"

namespace {

constexpr uintptr_t ESCAPE = 27;
constexpr char ALLOCATION_FAILURE[] = "byteの領域の確保に失敗しました。";
constexpr char NO_FRAME_BUFFER[] = "画面バッファの作成に失敗しました。";

constexpr int64_t round_to_entries(int64_t bytes)
{
    return (bytes + SCENE_ENTRY_BYTES - 1) / SCENE_ENTRY_BYTES * SCENE_ENTRY_BYTES;
}

// The scene buffer's one block, region by region as its header lays it out: the buffer record,
// the gap of E entries, the packet area, the vertices, the spare tables of C, D and E entries and
// the C flat colours, every region but the last starting on an entry boundary.
constexpr int64_t SCENE_BUFFER_BYTES =
    round_to_entries(sizeof(SceneBuffer)) + SCENE_SPARE_ENTRIES * SCENE_ENTRY_BYTES +
    round_to_entries(SCENE_PACKET_BYTES) + SCENE_VERTICES * sizeof(ScreenVertex) +
    (SCENE_FLAT_COLOURS + 2 * SCENE_SPARE_ENTRIES) * SCENE_ENTRY_BYTES +
    SCENE_FLAT_COLOURS * sizeof(Pixel);

// The shell's start-up allocations, in order, with the bytes each module asks for: all of the
// demo's, and the first of the showcase's, whose own textures and meshes follow.
constexpr int64_t SHELL_ALLOCATIONS[] = {
    SURFACE_SLOTS * sizeof(SurfaceSlot),
    ANGLE_TURN * sizeof(int32_t),
    ANGLE_TURN * sizeof(int32_t),
    MATRIX_STACK_DEPTH * sizeof(Matrix),
    TABLE_TYPES * sizeof(TableEntry),
    OT_BUCKETS * sizeof(int32_t),
    SCENE_BUFFER_BYTES,
    PICK_POOL_BYTES,
    EFFECT_STEP_STORE_BYTES,
    EFFECT_INSTANCE_TABLE_BYTES,
    MODEL_TABLE_SIZE * sizeof(Model),
    int64_t{MODEL_ITEMS} * MODEL_ITEM_BYTES,
    MODEL_PACKET_STORE_BYTES,
    MSGWIN_COUNT * sizeof(MessageWindow),
    (sizeof(Vec3) + sizeof(ScreenVertex)) * STAR_COUNT,
};
constexpr uint32_t SHELL_ALLOCATION_COUNT = std::size(SHELL_ALLOCATIONS);

class SequenceTest : public ProgramTest {
protected:
    // A start-up that failed: its boxes, no frame, the quit code 0; teardown frees everything.
    void expect_stopped(const std::vector<std::string>& boxes)
    {
        std::vector<std::string> shown;
        for (const HeadlessErrorBox& box : headless_error_boxes()) {
            EXPECT_EQ(box.caption, "Error");
            shown.push_back(box.text_utf8);
        }
        EXPECT_EQ(shown, boxes);
        EXPECT_EQ(headless_frames_presented(), 0u);
        EXPECT_EQ(count("quit 0"), 1);
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
    EXPECT_FALSE(headless_window_alive());
}

// Each program's start-up allocations failing one at a time stop start-up there: one box (for
// the shell's own allocations with the exact byte count), no allocation after it, no frame.
TEST_F(SequenceTest, EveryStartupAllocationOfEitherProgramCanFailAlone)
{
    for (const AppProgram* each : {&APP_DEMO, &APP_SHOWCASE}) {
        program = each;
        headless_reset();
        const uint32_t before = mem_stats().calls;
        ASSERT_EQ(run(1), 0);
        const uint32_t allocations = mem_stats().calls - before;
        app_teardown();
        if (each == &APP_DEMO)
            EXPECT_EQ(allocations, SHELL_ALLOCATION_COUNT);
        else
            EXPECT_GT(allocations, SHELL_ALLOCATION_COUNT);
        for (uint32_t failing = 1; failing <= allocations; ++failing) {
            SCOPED_TRACE(std::string(each->title) + ", allocation " + std::to_string(failing));
            headless_reset();
            const uint32_t start = mem_stats().calls;
            mem_fail_call(failing);
            EXPECT_EQ(run(1), 0);
            EXPECT_EQ(mem_stats().calls - start, failing);
            ASSERT_EQ(headless_error_boxes().size(), 1u);
            if (failing <= SHELL_ALLOCATION_COUNT) {
                EXPECT_EQ(headless_error_boxes()[0].text_utf8,
                          std::to_string(SHELL_ALLOCATIONS[failing - 1]) + ALLOCATION_FAILURE);
            }
            expect_stopped({headless_error_boxes()[0].text_utf8});
        }
    }
}

// No font (whose box the host shows, naming the package to install), no frame buffer or no text
// layer (each a frame buffer's box): start-up stops before any frame, and a layer whose creation
// failed leaves its slot free.
TEST_F(SequenceTest, NoFontFrameBufferOrTextLayerStopsStartupBeforeAnyFrame)
{
    struct Case {
        const char* what;
        void (*fail)();
        const char* box;
        int32_t free_slot; // the layer's slot, or -1
    };
    const char* no_font = "No Japanese Mincho font was found. Install one with: sudo apt-get "
                          "install fonts-ipafont-mincho";
    // Bitmaps and memory DCs 1 and 2 are the frame buffers', 3 the colour layer's, 4 the mask's.
    constexpr int32_t COLOUR = SURFACE_FRAME_BUFFERS;
    const Case cases[] = {
        {"font", headless_fail_font, no_font, -1},
        {"frame buffer DC", [] { headless_fail_memory_dc(1); }, NO_FRAME_BUFFER, -1},
        {"frame buffer bitmap", [] { headless_fail_bitmap(2); }, NO_FRAME_BUFFER, -1},
        {"colour layer DC", [] { headless_fail_memory_dc(3); }, NO_FRAME_BUFFER, COLOUR},
        {"colour layer bitmap", [] { headless_fail_bitmap(3); }, NO_FRAME_BUFFER, COLOUR},
        {"mask layer DC", [] { headless_fail_memory_dc(4); }, NO_FRAME_BUFFER, COLOUR + 1},
        {"mask layer bitmap", [] { headless_fail_bitmap(4); }, NO_FRAME_BUFFER, COLOUR + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        headless_reset();
        c.fail();
        EXPECT_EQ(run(1), 0);
        if (c.free_slot >= 0) {
            EXPECT_EQ(surface_slot_dc(c.free_slot), nullptr);
            EXPECT_EQ(surface_slot_pixels(c.free_slot), nullptr);
        }
        expect_stopped({c.box});
    }
}

TEST_F(SequenceTest, NoClassOrNoWindowExitsWithFailureAndNoFrame)
{
    headless_fail_register_class();
    EXPECT_EQ(run(1), APP_EXIT_NO_WINDOW);
    ASSERT_EQ(headless_error_boxes().size(), 1u);
    EXPECT_EQ(headless_error_boxes()[0].text_utf8, "ウィンドウクラスの登録に失敗しました。");
    EXPECT_EQ(count("create window"), 0);
    EXPECT_EQ(headless_frames_presented(), 0u);

    headless_reset();
    headless_fail_create_window();
    EXPECT_NE(run(1), 0);
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
    EXPECT_EQ(run(10), 0);
    EXPECT_EQ(headless_frames_presented(), 3u);
    EXPECT_EQ(count("delete bitmap"), 0);
    EXPECT_EQ(count("destroy menu"), 0);
    EXPECT_TRUE(headless_window_alive());

    app_teardown();
    headless_reset();
    actions.clear();
    at_frame(2, [] { headless_post(HOST_WM_COMMAND, (7u << 16) | ID_QUIT); });
    EXPECT_EQ(run(10), 0);
    EXPECT_EQ(headless_frames_presented(), 2u);
    EXPECT_EQ(count("delete bitmap"), 0);
}

TEST_F(SequenceTest, DialogInputQuitsOrClosesOnlyTheDialog)
{
    // What the user does in the dialog opened after frame 1, through the dialog manager to the
    // dialog procedure. A quit exits 0 with no further frame; a close lets frames resume. Input
    // to the main window behind the dialog is dropped, so its Escape never quits.
    struct Input {
        bool behind;
        uint32_t message;
        uintptr_t wparam;
    };
    struct Case {
        const char* what;
        std::vector<Input> inputs;
        bool quits;
    };
    const Case cases[] = {
        {"Escape", {{false, HOST_WM_KEYDOWN, HOST_VK_ESCAPE}}, true},
        {"close box", {{false, HOST_WM_CLOSE, 0}}, true},
        {"IDCANCEL", {{false, HOST_WM_COMMAND, HOST_IDCANCEL}}, true},
        {"WM_CHAR 27", {{false, HOST_WM_CHAR, 'x'}, {false, HOST_WM_CHAR, ESCAPE}}, true},
        {"Return", {{false, HOST_WM_KEYDOWN, HOST_VK_RETURN}}, false},
        {"button",
         {{false, HOST_WM_COMMAND, IDC_CLOSE + 1}, {false, HOST_WM_COMMAND, IDC_CLOSE}},
         false},
        {"Escape behind",
         {{true, HOST_WM_CHAR, ESCAPE},
          {true, HOST_WM_COMMAND, ID_QUIT},
          {false, HOST_WM_KEYDOWN, HOST_VK_RETURN}},
         false},
    };
    for (const Case& c : cases) {
        app_teardown();
        headless_reset(config);
        actions.clear();
        at_frame(1, [&c] {
            headless_post(HOST_WM_COMMAND, ID_SHOW_DIALOG);
            for (const Input& input : c.inputs) {
                if (input.behind)
                    headless_post_behind_dialog(input.message, input.wparam);
                else
                    headless_post_dialog(input.message, input.wparam);
            }
        });
        EXPECT_EQ(run(3), 0) << c.what;
        const long dialog = position("dialog " + std::to_string(IDD_DIALOG));
        EXPECT_LT(position("present", 0), dialog) << c.what;
        if (c.quits) {
            EXPECT_EQ(headless_frames_presented(), 1u) << c.what;
            EXPECT_LT(dialog, position("quit 0")) << c.what;
            EXPECT_EQ(count("end dialog 0"), 0) << c.what;
        } else {
            EXPECT_EQ(headless_frames_presented(), 3u) << c.what;
            EXPECT_LT(dialog, position("end dialog 0")) << c.what;
            EXPECT_LT(position("end dialog 0"), position("present", 1)) << c.what;
        }
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
    EXPECT_EQ(events_named("check"), (std::vector<std::string>{"check 40003 1", "check 40003 0"}));
}

TEST_F(SequenceTest, NoFrameStartsWhileAMessageWaits)
{
    at_frame(1, [] {
        for (int i = 0; i < 5; ++i)
            headless_move_cursor(i, i);
    });
    at_frame(2, [] { headless_post(HOST_WM_LBUTTONDOWN); });
    EXPECT_EQ(run(3), 0);
    const std::string move = "dispatch " + std::to_string(HOST_WM_MOUSEMOVE);
    EXPECT_LT(position("present", 0), position(move, 0));
    EXPECT_LT(position(move, 4), position("present", 1));
    const std::string down = "dispatch " + std::to_string(HOST_WM_LBUTTONDOWN);
    EXPECT_LT(position("present", 1), position(down));
    EXPECT_LT(position(down), position("present", 2));
}

} // namespace
