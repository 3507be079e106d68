// The whole of what the core asks of an operating system.
//
// Every call is modelled on the Win32 call the program would otherwise make, with the same meaning
// and results, so the win32 host is a thin pass-through and the sdl and headless hosts imitate it.
// Message numbers, key codes and show commands are the Win32 values, so the window procedure is
// one portable function. Exactly one host is linked into each program.
#pragma once

#include <cstdint>

// Opaque handles: on Win32 these are the HINSTANCE, HWND, HDC, HBITMAP and HMENU themselves.
struct HostInstance;
struct HostWindow;
struct HostDc;
struct HostBitmap;
struct HostMenu;
struct HostFont;

// A window or dialog procedure (WNDPROC, DLGPROC).
using HostProc = intptr_t (*)(HostWindow* window, uint32_t message, uintptr_t wparam,
                              intptr_t lparam);

// One removed message (MSG): pt is the cursor's screen position when the message was posted.
struct HostMessage {
    HostWindow* window;
    uint32_t message;
    uintptr_t wparam;
    intptr_t lparam;
    int32_t pt_x;
    int32_t pt_y;
};

constexpr uint32_t HOST_WM_CREATE = 0x0001;
constexpr uint32_t HOST_WM_DESTROY = 0x0002;
constexpr uint32_t HOST_WM_CLOSE = 0x0010;
constexpr uint32_t HOST_WM_QUIT = 0x0012;
constexpr uint32_t HOST_WM_KEYDOWN = 0x0100;
constexpr uint32_t HOST_WM_KEYUP = 0x0101;
constexpr uint32_t HOST_WM_CHAR = 0x0102;
constexpr uint32_t HOST_WM_INITDIALOG = 0x0110;
constexpr uint32_t HOST_WM_COMMAND = 0x0111;
constexpr uint32_t HOST_WM_MOUSEMOVE = 0x0200;
constexpr uint32_t HOST_WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t HOST_WM_LBUTTONUP = 0x0202;
constexpr uint32_t HOST_WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t HOST_WM_RBUTTONUP = 0x0205;

// A key message's lparam: bit 30 says the key was already down, so a key-down with it set is the
// keyboard's auto-repeat; an up message also has bit 31, the transition.
constexpr intptr_t HOST_KEY_WAS_DOWN = intptr_t{1} << 30;
constexpr intptr_t HOST_KEY_RELEASED = intptr_t{1} << 31;
// The command a dialog receives when the user cancels it (IDCANCEL): the dialog manager turns
// Escape and the dialog's close box into it.
constexpr uint32_t HOST_IDCANCEL = 2;

constexpr int HOST_VK_RETURN = 0x0D;
constexpr int HOST_VK_ESCAPE = 0x1B;
constexpr int HOST_VK_F1 = 0x70;
constexpr int HOST_VK_F2 = 0x71;
constexpr int HOST_VK_F3 = 0x72;
// Digits and letters are their ASCII capitals.
constexpr int HOST_VK_0 = '0';
constexpr int HOST_VK_9 = '9';
constexpr int HOST_VK_R = 'R';

constexpr int HOST_SW_SHOWDEFAULT = 10;

// GetAsyncKeyState: this bit is set while the key is down.
constexpr uint16_t HOST_KEY_DOWN = 0x8000;

// Window class and window (RegisterClassExA, CreateWindowExA, ShowWindow, UpdateWindow).
// The class has the program's fixed style, icon, cursor and white background; false or null on
// failure. Creating the window sends HOST_WM_CREATE to the class procedure before it returns.
bool host_register_class(HostInstance* instance, const char* class_name, const char* menu_name,
                         HostProc window_proc);
HostWindow* host_create_window(HostInstance* instance, const char* class_name, const char* title,
                               int32_t outer_width, int32_t outer_height);
void host_show_window(HostWindow* window, int show_command);
void host_update_window(HostWindow* window);
// The instance in the creation record that HOST_WM_CREATE carries in its lparam.
HostInstance* host_creation_instance(intptr_t create_lparam);
intptr_t host_def_window_proc(HostWindow* window, uint32_t message, uintptr_t wparam,
                              intptr_t lparam);

// Message queue (PeekMessageA with PM_REMOVE, TranslateMessage + DispatchMessageA,
// PostQuitMessage). Peeking never blocks.
bool host_peek_message(HostMessage* message);
void host_dispatch_message(const HostMessage* message);
void host_post_quit(int exit_code);

// Menus (LoadMenuA, GetSubMenu, CheckMenuItem, DestroyMenu) and the topmost band (SetWindowPos).
HostMenu* host_load_menu(HostInstance* instance, int resource_id);
HostMenu* host_sub_menu(HostMenu* menu, int position);
void host_check_menu_item(HostMenu* menu, int item_id, bool checked);
void host_destroy_menu(HostMenu* menu);
void host_set_topmost(HostWindow* window, bool topmost);

// Modal boxes (DialogBoxParamA, EndDialog, MessageBoxA with no owner and MB_OK). Text reaching
// them is Shift-JIS; each returns when the user has closed it.
intptr_t host_dialog_box(HostInstance* instance, int resource_id, HostWindow* owner,
                         HostProc dialog_proc);
void host_end_dialog(HostWindow* dialog, intptr_t result);
void host_message_box(const char* caption, const char* text);

// Time, keys, cursor, directory (GetTickCount, GetAsyncKeyState, ScreenToClient, chdir).
uint32_t host_tick_count();
uint16_t host_async_key_state(int virtual_key);
void host_screen_to_client(HostWindow* window, int32_t* x, int32_t* y);
void host_change_directory(const char* path);

// Surfaces (GetClientRect, GetDC, ReleaseDC, CreateCompatibleDC, DeleteDC, CreateDIBSection,
// SelectObject, DeleteObject, BitBlt with SRCCOPY). A DIB section is top-down with
// width x height pixels of depth bits; *pixels receives its memory, null on failure.
void host_client_size(HostWindow* window, int32_t* width, int32_t* height);
HostDc* host_get_dc(HostWindow* window);
void host_release_dc(HostWindow* window, HostDc* dc);
HostDc* host_create_memory_dc(HostDc* reference);
void host_delete_dc(HostDc* dc);
HostBitmap* host_create_dib_section(HostDc* dc, int32_t width, int32_t height, int32_t depth,
                                    uint16_t** pixels);
void host_select_bitmap(HostDc* dc, HostBitmap* bitmap);
void host_delete_bitmap(HostBitmap* bitmap);
// Copies width x height pixels from (0, 0) of source to (0, 0) of destination.
void host_blit(HostDc* destination, int32_t width, int32_t height, HostDc* source);

// Text (CreateFontA, DeleteObject, SelectObject, SetBkMode TRANSPARENT, SetTextColor, TextOutA,
// GetTextExtentPoint32A). Text is Shift-JIS bytes; (x, y) is the top-left of the character cell;
// a colour has red in bits 0-7, green in bits 8-15 and blue in bits 16-23. The font is created
// with the given character height (negative: the em, leading excluded), weight, character set
// and face name, every other argument 0; null on failure, after telling the user what to do.
HostFont* host_create_font(int32_t height, int32_t weight, int32_t charset, const char* face_name);
void host_delete_font(HostFont* font);
void host_select_font(HostDc* dc, HostFont* font);
void host_set_transparent_background(HostDc* dc);
void host_set_text_colour(HostDc* dc, uint32_t colour);
void host_text_out(HostDc* dc, int32_t x, int32_t y, const char* text, int32_t length);
// The width in pixels that drawing the text would advance.
int32_t host_text_width(HostDc* dc, const char* text, int32_t length);
