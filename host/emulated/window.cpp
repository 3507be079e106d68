#include <algorithm>
#include <string>

#include "host/emulated/emulated.h"
#include "resources/resource.h"
#include "scene/fixed.h"

namespace {

EmuState state;

// The dialog template's default button: Return presses it.
constexpr uint32_t EMU_DIALOG_DEFAULT_BUTTON = IDC_CLOSE;

HostMessage emu_dialog_command(uint32_t command)
{
    return {nullptr, HOST_WM_COMMAND, command, 0, 0, 0};
}

// What the dialog manager makes of the user's input before the dialog procedure sees it, as on
// Win32: Escape and the close box cancel, Return presses the default button.
HostMessage emu_dialog_translate(const HostMessage& input)
{
    if (input.message == HOST_WM_KEYDOWN && input.wparam == HOST_VK_ESCAPE)
        return emu_dialog_command(HOST_IDCANCEL);
    if (input.message == HOST_WM_KEYDOWN && input.wparam == HOST_VK_RETURN)
        return emu_dialog_command(EMU_DIALOG_DEFAULT_BUTTON);
    if (input.message == HOST_WM_CLOSE)
        return emu_dialog_command(HOST_IDCANCEL);
    return input;
}

} // namespace

EmuState& emu_state()
{
    return state;
}

void emu_reset()
{
    if (state.window && state.window->alive)
        emu_backend_destroy_window(state.window.get());
    state.window.reset();
    state.dialog = {};
    state.queue.clear();
    state.quit_pending = false;
    state.quit_code = 0;
    state.menus.clear();
    state.dcs.clear();
    state.bitmaps.clear();
    state.fonts.clear();
    state.class_proc = nullptr;
    state.class_name.clear();
    state.fail_memory_dc = 0;
    state.fail_bitmap = 0;
}

HostInstance* emu_instance()
{
    return &state.instance;
}

void emu_post(const HostMessage& message)
{
    state.queue.push_back(message);
}

bool emu_key_message(bool was_down, bool down, uint32_t* message, intptr_t* lparam)
{
    if (!down && !was_down)
        return false;
    *message = down ? HOST_WM_KEYDOWN : HOST_WM_KEYUP;
    *lparam = down ? (was_down ? HOST_KEY_WAS_DOWN : 0) : HOST_KEY_WAS_DOWN | HOST_KEY_RELEASED;
    return true;
}

bool host_register_class(HostInstance*, const char* class_name, const char*, HostProc window_proc)
{
    if (!emu_backend_register_class())
        return false;
    state.class_name = class_name;
    state.class_proc = window_proc;
    emu_backend_note("register class");
    return true;
}

HostWindow* host_create_window(HostInstance* instance, const char* class_name, const char* title,
                               int32_t outer_width, int32_t outer_height)
{
    if (!state.class_proc || state.class_name != class_name)
        return nullptr;
    auto window = std::make_unique<HostWindow>();
    window->proc = state.class_proc;
    window->dc.window = window.get();
    if (!emu_backend_create_window(window.get(), title, outer_width, outer_height))
        return nullptr;
    window->alive = true;
    state.window = std::move(window);
    emu_backend_note("create window");
    // The creation record carries only the instance, which is all the program reads of it.
    HostWindow* created = state.window.get();
    created->proc(created, HOST_WM_CREATE, 0, reinterpret_cast<std::intptr_t>(instance));
    return created;
}

HostInstance* host_creation_instance(std::intptr_t create_lparam)
{
    return reinterpret_cast<HostInstance*>(create_lparam);
}

void host_show_window(HostWindow* window, int)
{
    if (window && window->alive) {
        emu_backend_show_window(window);
        emu_backend_note("show window");
    }
}

void host_update_window(HostWindow*) {}

std::intptr_t host_def_window_proc(HostWindow* window, std::uint32_t message, std::uintptr_t,
                                   std::intptr_t)
{
    // Closing destroys the window, and destroying it tells its procedure first.
    if (message == HOST_WM_CLOSE && window && window->alive) {
        emu_backend_note("destroy window");
        window->proc(window, HOST_WM_DESTROY, 0, 0);
        window->alive = false;
        emu_backend_destroy_window(window);
    }
    return 0;
}

bool host_peek_message(HostMessage* message)
{
    emu_backend_poll_events();
    if (!state.queue.empty()) {
        *message = state.queue.front();
        state.queue.pop_front();
        return true;
    }
    // As on Win32, the quit message comes once the posted messages before it are gone.
    if (state.quit_pending) {
        state.quit_pending = false;
        *message = {};
        message->message = HOST_WM_QUIT;
        message->wparam = static_cast<std::uintptr_t>(state.quit_code);
        return true;
    }
    return false;
}

void host_dispatch_message(const HostMessage* message)
{
    emu_backend_note("dispatch " + std::to_string(message->message));
    // The program has one window: a message posted before it existed goes to it.
    HostWindow* window = message->window ? message->window : state.window.get();
    if (window && window->alive)
        window->proc(window, message->message, message->wparam, message->lparam);
}

void host_post_quit(int exit_code)
{
    state.quit_pending = true;
    state.quit_code = exit_code;
    emu_backend_note("quit " + std::to_string(exit_code));
}

HostMenu* host_load_menu(HostInstance*, int)
{
    auto menu = std::make_unique<HostMenu>();
    menu->submenu = std::make_unique<HostMenu>();
    state.menus.push_back(std::move(menu));
    return state.menus.back().get();
}

HostMenu* host_sub_menu(HostMenu* menu, int position)
{
    return menu && position == 0 ? menu->submenu.get() : nullptr;
}

void host_check_menu_item(HostMenu* menu, int item_id, bool checked)
{
    if (!menu)
        return;
    menu->checked[item_id] = checked;
    emu_backend_note("check " + std::to_string(item_id) + " " + (checked ? "1" : "0"));
}

void host_destroy_menu(HostMenu* menu)
{
    if (!menu)
        return;
    menu->destroyed = true;
    emu_backend_note("destroy menu");
}

void host_set_topmost(HostWindow* window, bool topmost)
{
    if (!window)
        return;
    window->topmost = topmost;
    emu_backend_set_topmost(window, topmost);
    emu_backend_note(std::string("topmost ") + (topmost ? "1" : "0"));
}

std::intptr_t host_dialog_box(HostInstance*, int resource_id, HostWindow* owner,
                              HostProc dialog_proc)
{
    HostWindow& dialog = state.dialog;
    dialog = {};
    dialog.proc = dialog_proc;
    dialog.alive = true;
    dialog.dialog_result = -1;
    emu_backend_note("dialog " + std::to_string(resource_id));
    // The owner is disabled while its modal dialog runs: whatever the host posts for it in the
    // meantime is the dialog's time, and is dropped when the dialog ends.
    const size_t queued_before = state.queue.size();
    emu_backend_dialog_open(owner);
    dialog_proc(&dialog, HOST_WM_INITDIALOG, 0, 0);
    // The dialog's own modal loop: no frame runs until it ends, and a posted quit ends it too.
    HostMessage input;
    while (dialog.alive && !state.quit_pending && emu_backend_dialog_input(&input)) {
        const HostMessage translated = emu_dialog_translate(input);
        dialog_proc(&dialog, translated.message, translated.wparam, translated.lparam);
    }
    dialog.alive = false;
    emu_backend_dialog_close();
    state.queue.resize(std::min(state.queue.size(), queued_before));
    return dialog.dialog_result;
}

void host_end_dialog(HostWindow* dialog, std::intptr_t result)
{
    if (!dialog)
        return;
    dialog->alive = false;
    dialog->dialog_result = result;
    emu_backend_note("end dialog " + std::to_string(result));
}

void host_screen_to_client(HostWindow* window, int32_t* x, int32_t* y)
{
    int32_t origin_x = 0;
    int32_t origin_y = 0;
    if (window)
        emu_backend_client_origin(window, &origin_x, &origin_y);
    // Any point converts, as on Windows: the difference wraps rather than overflows, so the
    // conversion undoes the host's own client-to-screen sum for every point.
    *x = wrap_sub(*x, origin_x);
    *y = wrap_sub(*y, origin_y);
}
