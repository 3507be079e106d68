// The shell's sequences and quit paths, watched through the headless host's record of calls.
#include "demo/stars.h"
#include "platform/surface.h"
#include "platform/table_registry.h"
#include "resources/resource.h"
#include "scene/effect.h"
#include "scene/model.h"
#include "scene/pick.h"
#include "scene/scene_buffer.h"
#include "tests/support/program.h"
#include "text/text.h"

namespace {

constexpr uintptr_t ESCAPE = 27;
constexpr char ALLOCATION_FAILURE[] = "byteの領域の確保に失敗しました。";

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

// Every allocation of start-up, in its order, with the bytes each module asks for.
struct StartupAllocation {
    const char* what;
    int64_t bytes;
};
constexpr StartupAllocation STARTUP_ALLOCATIONS[] = {
    {"surface slots", SURFACE_SLOTS * sizeof(SurfaceSlot)},
    {"sine table", ANGLE_TURN * sizeof(int32_t)},
    {"cosine table", ANGLE_TURN * sizeof(int32_t)},
    {"matrix stack", MATRIX_STACK_DEPTH * sizeof(Matrix)},
    {"table registry", TABLE_TYPES * sizeof(TableEntry)},
    {"ordering table", OT_BUCKETS * sizeof(int32_t)},
    {"scene buffer", SCENE_BUFFER_BYTES},
    {"pick pool", PICK_POOL_BYTES},
    {"effect steps", EFFECT_STEP_STORE_BYTES},
    {"effect instances", EFFECT_INSTANCE_TABLE_BYTES},
    {"model table", MODEL_TABLE_SIZE * sizeof(Model)},
    {"model items", int64_t{MODEL_ITEMS} * MODEL_ITEM_BYTES},
    {"model packets", MODEL_PACKET_STORE_BYTES},
    {"message windows", MSGWIN_COUNT * sizeof(MessageWindow)},
    {"point field", (sizeof(Vec3) + sizeof(ScreenVertex)) * STAR_COUNT},
};

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

TEST_F(SequenceTest, EveryStartupAllocationFailingAloneNamesItsBytesAndRunsNoFrame)
{
    // A whole start-up makes exactly these allocations.
    headless_close_after_frames(1);
    const uint32_t before = mem_stats().calls;
    ASSERT_EQ(run(), 0);
    ASSERT_EQ(mem_stats().calls - before, std::size(STARTUP_ALLOCATIONS));

    // Failing each one in turn stops start-up there: one box with its exact byte count, no
    // allocation after it, no frame, the quit code 0; teardown then frees every block and bitmap.
    uint32_t failing = 0;
    for (const StartupAllocation& allocation : STARTUP_ALLOCATIONS) {
        SCOPED_TRACE(allocation.what);
        headless_reset();
        const uint32_t start = mem_stats().calls;
        mem_fail_call(++failing);
        EXPECT_EQ(run(), 0);
        EXPECT_EQ(mem_stats().calls - start, failing);
        ASSERT_EQ(headless_error_boxes().size(), 1u);
        EXPECT_EQ(headless_error_boxes()[0].caption, "Error");
        EXPECT_EQ(headless_error_boxes()[0].text_utf8,
                  std::to_string(allocation.bytes) + ALLOCATION_FAILURE);
        EXPECT_EQ(headless_frames_presented(), 0u);
        EXPECT_EQ(count("quit 0"), 1);
        app_teardown();
        EXPECT_EQ(mem_stats().live_blocks, live_blocks_before);
        EXPECT_EQ(headless_live_bitmaps(), 0);
    }
}

// The text system's failures: no font (whose box the host shows, naming the package to install)
// or no text layer (no box). Either stops start-up before any frame, with the quit code 0, and
// a layer whose creation failed leaves its slot free.
TEST_F(SequenceTest, NoFontOrNoTextLayerStopsStartupBeforeAnyFrame)
{
    struct Case {
        const char* what;
        void (*fail)();
        std::vector<std::string> boxes;
        int32_t free_slot; // the layer's slot, or -1
    };
    const std::string no_font = "No Japanese Mincho font was found. Install one with: sudo "
                                "apt-get install fonts-ipafont-mincho";
    // A layer that cannot be made says so as a frame buffer does.
    const std::string no_layer = "画面バッファの作成に失敗しました。";
    // Bitmaps and memory DCs 1 and 2 are the frame buffers', 3 the colour layer's, 4 the mask's.
    const Case cases[] = {
        {"font", headless_fail_font, {no_font}, -1},
        {"colour layer DC", [] { headless_fail_memory_dc(3); }, {no_layer}, SURFACE_FRAME_BUFFERS},
        {"colour layer bitmap", [] { headless_fail_bitmap(3); }, {no_layer}, SURFACE_FRAME_BUFFERS},
        {"mask layer DC",
         [] { headless_fail_memory_dc(4); },
         {no_layer},
         SURFACE_FRAME_BUFFERS + 1},
        {"mask layer bitmap",
         [] { headless_fail_bitmap(4); },
         {no_layer},
         SURFACE_FRAME_BUFFERS + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        headless_reset();
        c.fail();
        EXPECT_EQ(run(), 0);
        std::vector<std::string> boxes;
        for (const HeadlessErrorBox& box : headless_error_boxes()) {
            EXPECT_EQ(box.caption, "Error");
            boxes.push_back(box.text_utf8);
        }
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(headless_frames_presented(), 0u);
        EXPECT_EQ(count("quit 0"), 1);
        if (c.free_slot >= 0) {
            EXPECT_EQ(surface_slot_dc(c.free_slot), nullptr);
            EXPECT_EQ(surface_slot_pixels(c.free_slot), nullptr);
        }
        app_teardown();
        EXPECT_EQ(mem_stats().live_blocks, live_blocks_before);
        EXPECT_EQ(headless_live_bitmaps(), 0);
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
        headless_close_after_frames(3);
        EXPECT_EQ(run(), 0) << c.what;
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
