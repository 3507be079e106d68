// The win32 host: each call of host.h is the Win32 call it was modelled on.
#include <direct.h>
#include <windows.h>

#include "host/host.h"

static_assert(HOST_WM_CREATE == WM_CREATE && HOST_WM_DESTROY == WM_DESTROY &&
              HOST_WM_CLOSE == WM_CLOSE && HOST_WM_QUIT == WM_QUIT && HOST_WM_CHAR == WM_CHAR &&
              HOST_WM_INITDIALOG == WM_INITDIALOG && HOST_WM_COMMAND == WM_COMMAND &&
              HOST_WM_MOUSEMOVE == WM_MOUSEMOVE && HOST_WM_LBUTTONDOWN == WM_LBUTTONDOWN &&
              HOST_WM_LBUTTONUP == WM_LBUTTONUP && HOST_WM_RBUTTONDOWN == WM_RBUTTONDOWN &&
              HOST_WM_RBUTTONUP == WM_RBUTTONUP && HOST_WM_KEYDOWN == WM_KEYDOWN &&
              HOST_WM_KEYUP == WM_KEYUP);
static_assert(HOST_VK_F1 == VK_F1 && HOST_VK_F2 == VK_F2 && HOST_VK_F3 == VK_F3 &&
              HOST_VK_RETURN == VK_RETURN && HOST_VK_ESCAPE == VK_ESCAPE);
static_assert(HOST_IDCANCEL == IDCANCEL);
static_assert(HOST_SW_SHOWDEFAULT == SW_SHOWDEFAULT);

namespace {

// Win32 calls procedures with its own calling convention; these forward to the portable ones.
HostProc window_proc;
HostProc dialog_proc;

HWND to_hwnd(HostWindow* window)
{
    return reinterpret_cast<HWND>(window);
}

HostWindow* to_window(HWND window)
{
    return reinterpret_cast<HostWindow*>(window);
}

HDC to_hdc(HostDc* dc)
{
    return reinterpret_cast<HDC>(dc);
}

HostDc* to_dc(HDC dc)
{
    return reinterpret_cast<HostDc*>(dc);
}

HMENU to_hmenu(HostMenu* menu)
{
    return reinterpret_cast<HMENU>(menu);
}

HostMenu* to_menu(HMENU menu)
{
    return reinterpret_cast<HostMenu*>(menu);
}

HINSTANCE to_hinstance(HostInstance* instance)
{
    return reinterpret_cast<HINSTANCE>(instance);
}

LRESULT CALLBACK win32_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return window_proc(to_window(window), message, wparam, lparam);
}

INT_PTR CALLBACK win32_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    return dialog_proc(to_window(dialog), message, wparam, lparam);
}

} // namespace

bool host_register_class(HostInstance* instance, const char* class_name, const char* menu_name,
                         HostProc proc)
{
    window_proc = proc;
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = win32_window_proc;
    window_class.hInstance = to_hinstance(instance);
    window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    window_class.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszMenuName = menu_name;
    window_class.lpszClassName = class_name;
    return RegisterClassExA(&window_class) != 0;
}

HostWindow* host_create_window(HostInstance* instance, const char* class_name, const char* title,
                               int32_t outer_width, int32_t outer_height)
{
    return to_window(CreateWindowExA(0, class_name, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                     CW_USEDEFAULT, outer_width, outer_height, nullptr, nullptr,
                                     to_hinstance(instance), nullptr));
}

void host_show_window(HostWindow* window, int show_command)
{
    ShowWindow(to_hwnd(window), show_command);
}

void host_update_window(HostWindow* window)
{
    UpdateWindow(to_hwnd(window));
}

HostInstance* host_creation_instance(intptr_t create_lparam)
{
    return reinterpret_cast<HostInstance*>(
        reinterpret_cast<const CREATESTRUCTA*>(create_lparam)->hInstance);
}

intptr_t host_def_window_proc(HostWindow* window, uint32_t message, uintptr_t wparam,
                              intptr_t lparam)
{
    return DefWindowProcA(to_hwnd(window), message, wparam, lparam);
}

bool host_peek_message(HostMessage* message)
{
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    *message = {to_window(msg.hwnd), msg.message, msg.wParam, msg.lParam, msg.pt.x, msg.pt.y};
    return true;
}

void host_dispatch_message(const HostMessage* message)
{
    MSG msg{};
    msg.hwnd = to_hwnd(message->window);
    msg.message = message->message;
    msg.wParam = message->wparam;
    msg.lParam = message->lparam;
    msg.time = static_cast<DWORD>(GetMessageTime());
    msg.pt = {message->pt_x, message->pt_y};
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void host_post_quit(int exit_code)
{
    PostQuitMessage(exit_code);
}

HostMenu* host_load_menu(HostInstance* instance, int resource_id)
{
    return to_menu(LoadMenuA(to_hinstance(instance), MAKEINTRESOURCEA(resource_id)));
}

HostMenu* host_sub_menu(HostMenu* menu, int position)
{
    return to_menu(GetSubMenu(to_hmenu(menu), position));
}

void host_check_menu_item(HostMenu* menu, int item_id, bool checked)
{
    CheckMenuItem(to_hmenu(menu), static_cast<UINT>(item_id), checked ? MF_CHECKED : MF_UNCHECKED);
}

void host_destroy_menu(HostMenu* menu)
{
    DestroyMenu(to_hmenu(menu));
}

void host_set_topmost(HostWindow* window, bool topmost)
{
    SetWindowPos(to_hwnd(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

intptr_t host_dialog_box(HostInstance* instance, int resource_id, HostWindow* owner, HostProc proc)
{
    dialog_proc = proc;
    return DialogBoxParamA(to_hinstance(instance), MAKEINTRESOURCEA(resource_id), to_hwnd(owner),
                           win32_dialog_proc, 0);
}

void host_end_dialog(HostWindow* dialog, intptr_t result)
{
    EndDialog(to_hwnd(dialog), result);
}

void host_message_box(const char* caption, const char* text)
{
    MessageBoxA(nullptr, text, caption, MB_OK);
}

uint32_t host_tick_count()
{
    return GetTickCount();
}

uint16_t host_async_key_state(int virtual_key)
{
    return static_cast<uint16_t>(GetAsyncKeyState(virtual_key));
}

void host_screen_to_client(HostWindow* window, int32_t* x, int32_t* y)
{
    POINT point{*x, *y};
    ScreenToClient(to_hwnd(window), &point);
    *x = point.x;
    *y = point.y;
}

void host_change_directory(const char* path)
{
    _chdir(path);
}

void host_client_size(HostWindow* window, int32_t* width, int32_t* height)
{
    RECT client{};
    GetClientRect(to_hwnd(window), &client);
    *width = client.right;
    *height = client.bottom;
}

HostDc* host_get_dc(HostWindow* window)
{
    return to_dc(GetDC(to_hwnd(window)));
}

void host_release_dc(HostWindow* window, HostDc* dc)
{
    ReleaseDC(to_hwnd(window), to_hdc(dc));
}

HostDc* host_create_memory_dc(HostDc* reference)
{
    return to_dc(CreateCompatibleDC(to_hdc(reference)));
}

void host_delete_dc(HostDc* dc)
{
    DeleteDC(to_hdc(dc));
}

HostBitmap* host_create_dib_section(HostDc* dc, int32_t width, int32_t height, int32_t depth,
                                    uint16_t** pixels)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(depth);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(to_hdc(dc), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    *pixels = static_cast<uint16_t*>(bits);
    return reinterpret_cast<HostBitmap*>(bitmap);
}

void host_select_bitmap(HostDc* dc, HostBitmap* bitmap)
{
    SelectObject(to_hdc(dc), reinterpret_cast<HBITMAP>(bitmap));
}

void host_delete_bitmap(HostBitmap* bitmap)
{
    DeleteObject(reinterpret_cast<HBITMAP>(bitmap));
}

void host_blit(HostDc* destination, int32_t width, int32_t height, HostDc* source)
{
    BitBlt(to_hdc(destination), 0, 0, width, height, to_hdc(source), 0, 0, SRCCOPY);
}

HostFont* host_create_font(int32_t height, int32_t weight, int32_t charset, const char* face_name)
{
    return reinterpret_cast<HostFont*>(CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE,
                                                   static_cast<DWORD>(charset), 0, 0, 0, 0,
                                                   face_name));
}

void host_delete_font(HostFont* font)
{
    DeleteObject(reinterpret_cast<HFONT>(font));
}

void host_select_font(HostDc* dc, HostFont* font)
{
    SelectObject(to_hdc(dc), reinterpret_cast<HFONT>(font));
}

void host_set_transparent_background(HostDc* dc)
{
    SetBkMode(to_hdc(dc), TRANSPARENT);
}

void host_set_text_colour(HostDc* dc, uint32_t colour)
{
    SetTextColor(to_hdc(dc), colour);
}

void host_text_out(HostDc* dc, int32_t x, int32_t y, const char* text, int32_t length)
{
    TextOutA(to_hdc(dc), x, y, text, length);
}

int32_t host_text_width(HostDc* dc, const char* text, int32_t length)
{
    SIZE size{};
    GetTextExtentPoint32A(to_hdc(dc), text, length, &size);
    return size.cx;
}
