#include "app/app.h"
#include "app/input.h"
#include "app/shell.h"
#include "platform/error_box.h"
#include "resources/resource.h"

namespace {

constexpr uintptr_t KEY_ESCAPE = 27;

// "ウィンドウクラスの登録に失敗しました。" and "ウィンドウの作成に失敗しました。" in code page 932.
constexpr char APP_CLASS_FAILURE_TEXT[] = "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x83\x4e\x83\x89"
                                          "\x83\x58\x82\xcc\x93\x6f\x98\x5e\x82\xc9\x8e\xb8\x94\x73"
                                          "\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
constexpr char APP_WINDOW_FAILURE_TEXT[] =
    "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xcc\x8d\xec"
    "\x90\xac\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5"
    "\x82\xbd\x81\x42";

AppShell shell;

uint32_t low_word(uintptr_t value)
{
    return static_cast<uint32_t>(value & 0xFFFF);
}

void app_on_create(HostWindow* window, intptr_t lparam)
{
    shell.instance = host_creation_instance(lparam);
    shell.menu = host_sub_menu(host_load_menu(shell.instance, IDR_MENU), 0);
    if (app_startup(window) < 0)
        host_post_quit(0);
}

void app_toggle_always_on_top(HostWindow* window)
{
    shell.always_on_top ^= 1;
    host_check_menu_item(shell.menu, ID_ALWAYS_ON_TOP, shell.always_on_top != 0);
    host_set_topmost(window, shell.always_on_top != 0);
}

void app_on_command(HostWindow* window, uint32_t command)
{
    switch (command) {
    case ID_QUIT:
        host_post_quit(0);
        break;
    case ID_SHOW_DIALOG:
        host_dialog_box(shell.instance, IDD_DIALOG, window, app_dialog_proc);
        break;
    case ID_ALWAYS_ON_TOP:
        app_toggle_always_on_top(window);
        break;
    default:
        break;
    }
}

} // namespace

AppShell& app_shell()
{
    return shell;
}

HostWindow* app_create_main_window(HostInstance* instance, const char* class_name,
                                   const char* title)
{
    // Without a class or a window start-up has not run, so the loop must never see a frame.
    if (!host_register_class(instance, class_name, class_name, app_window_proc)) {
        app_error_box("%s", APP_CLASS_FAILURE_TEXT);
        return nullptr;
    }
    HostWindow* window =
        host_create_window(instance, class_name, title, APP_WINDOW_WIDTH, APP_WINDOW_HEIGHT);
    if (!window)
        app_error_box("%s", APP_WINDOW_FAILURE_TEXT);
    return window;
}

intptr_t app_window_proc(HostWindow* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    switch (message) {
    case HOST_WM_CREATE:
        app_on_create(window, lparam);
        break;
    case HOST_WM_DESTROY:
        app_teardown();
        host_destroy_menu(shell.menu);
        host_post_quit(0);
        break;
    case HOST_WM_CHAR:
        if (wparam == KEY_ESCAPE)
            host_post_quit(0);
        break;
    case HOST_WM_COMMAND:
        app_on_command(window, low_word(wparam));
        break;
    case HOST_WM_KEYDOWN:
        // A held key's auto-repeat is the same press.
        if (!(lparam & HOST_KEY_WAS_DOWN))
            input_key_press(static_cast<int>(wparam));
        break;
    case HOST_WM_LBUTTONDOWN:
        input_button_down(INPUT_BUTTON_LEFT);
        break;
    case HOST_WM_LBUTTONUP:
        input_button_up(INPUT_BUTTON_LEFT);
        break;
    case HOST_WM_RBUTTONDOWN:
        input_button_down(INPUT_BUTTON_RIGHT);
        break;
    case HOST_WM_RBUTTONUP:
        input_button_up(INPUT_BUTTON_RIGHT);
        break;
    default:
        break;
    }
    // Every message, handled or not, goes on to the default procedure, so creation proceeds
    // even when start-up failed: the posted quit ends the loop before any frame.
    return host_def_window_proc(window, message, wparam, lparam);
}

intptr_t app_dialog_proc(HostWindow* dialog, uint32_t message, uintptr_t wparam, intptr_t)
{
    switch (message) {
    case HOST_WM_INITDIALOG:
        return 1;
    case HOST_WM_COMMAND:
        if (low_word(wparam) == IDC_CLOSE) {
            host_end_dialog(dialog, 0);
            return 1;
        }
        // The dialog manager turns Escape and the close box into this command before any
        // WM_CHAR 27 could reach the procedure, so it quits as Escape in the dialog must.
        if (low_word(wparam) == HOST_IDCANCEL) {
            host_post_quit(0);
            return 1;
        }
        return 0;
    case HOST_WM_CHAR:
        if (wparam == KEY_ESCAPE)
            host_post_quit(0);
        return 0;
    default:
        return 0;
    }
}
