#include "text/text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/host.h"
#include "platform/error_box.h"
#include "platform/mem.h"
#include "platform/pixel.h"
#include "platform/surface.h"
#include "text/msgwin.h"

namespace {

struct Text {
    HostFont* font;
    int32_t colour_layer;
    int32_t mask_layer;
    MessageWindow* windows;
};

Text text;

int32_t text_length(const char* line)
{
    return static_cast<int32_t>(std::strlen(line));
}

void text_clear_layer(Pixel* layer, int32_t x, int32_t y, int32_t w, int32_t h)
{
    const int32_t pitch = surface_width() >> 1;
    const int32_t first_row = y < 0 ? 0 : y;
    // The bottom in 64 bits: a rectangle may reach past the 32-bit range.
    const auto end_row = static_cast<int32_t>(std::min<int64_t>(int64_t{y} + h, surface_height()));
    const int32_t first_pair = (x >> 1) < 0 ? 0 : x >> 1;
    const int32_t end_pair = (x >> 1) + w / 2 < pitch ? (x >> 1) + w / 2 : pitch;
    for (int32_t row = first_row; row < end_row; ++row) {
        for (int32_t pair = first_pair; pair < end_pair; ++pair)
            rgb555_store_pair(layer + 2 * (row * pitch + pair), 0);
    }
}

bool text_fits(int64_t position)
{
    return position >= INT32_MIN && position <= INT32_MAX;
}

} // namespace

int32_t text_init()
{
    const int32_t width = surface_width();
    const int32_t height = surface_height();
    text = {};
    msgwin_reset_passes();
    text.windows = static_cast<MessageWindow*>(mem_alloc(MSGWIN_COUNT * sizeof(MessageWindow)));
    if (!text.windows)
        return -2;
    for (int32_t i = 0; i < MSGWIN_COUNT; ++i) {
        text.windows[i].id = MSGWIN_FREE;
        text.windows[i].text[0] = '\0';
    }
    // A layer that cannot be made stops start-up like a frame buffer that cannot: with a box, so
    // that the program never just ends without a word.
    text.colour_layer = surface_create_offscreen();
    if (text.colour_layer < 0) {
        app_error_box("%s", SURFACE_FAILURE_TEXT);
        return -1;
    }
    text.mask_layer = surface_create_offscreen();
    if (text.mask_layer < 0) {
        app_error_box("%s", SURFACE_FAILURE_TEXT);
        return -2;
    }
    text_clear_rect(0, 0, width, height);
    text.font = host_create_font(-TEXT_LINE_HEIGHT, TEXT_FONT_WEIGHT, TEXT_CHARSET_SHIFTJIS,
                                 TEXT_FACE_NAME);
    if (!text.font)
        return -3;
    host_select_font(surface_slot_dc(text.colour_layer), text.font);
    host_select_font(surface_slot_dc(text.mask_layer), text.font);
    return 0;
}

void text_shutdown()
{
    if (text.font)
        host_delete_font(text.font);
    if (text.colour_layer >= SURFACE_FRAME_BUFFERS)
        surface_release_slot(text.colour_layer);
    mem_free(text.windows);
    text = {};
}

int32_t text_clear_rect(int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (h <= 0 || w / 2 <= 0)
        return 0;
    text_clear_layer(surface_slot_pixels(text.colour_layer), x, y, w, h);
    text_clear_layer(surface_slot_pixels(text.mask_layer), x, y, w, h);
    return 0;
}

void text_out(int32_t slot, int32_t x, int32_t y, const char* format, ...)
{
    char buffer[TEXT_OUT_BUFFER_SIZE];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    host_text_out(surface_slot_dc(slot), x, y, buffer, text_length(buffer));
}

// Lines are drawn literally and whole: a "%" is a character like any other, and a line longer
// than text_out's buffer still covers the same pixels in both layers.
int32_t text_draw_mask(int32_t x, int32_t y, const char* line)
{
    HostDc* mask = surface_slot_dc(text.mask_layer);
    host_set_transparent_background(mask);
    host_set_text_colour(mask, TEXT_WHITE);
    host_text_out(mask, x, y, line, text_length(line));
    return 0;
}

int32_t text_draw_coloured(int32_t x, int32_t y, const char* line, const TextColour* colours)
{
    text_draw_mask(x, y, line);
    HostDc* colour = surface_slot_dc(text.colour_layer);
    host_set_transparent_background(colour);
    // One character at a time, each advancing by its measured width less the one pixel that
    // emboldening hangs over, so that it lands where the same character of the mask pass did.
    // A pen that leaves the 32-bit range has left the layers for good: the rest cannot show.
    const int32_t length = text_length(line);
    int64_t pen = x;
    for (int32_t i = 0; i < length && text_fits(pen);) {
        const int32_t size = i + 1 < length ? text_character_length(line[i]) : 1;
        host_set_text_colour(colour, colours[i + size - 1]);
        host_text_out(colour, static_cast<int32_t>(pen), y, line + i, size);
        pen += host_text_width(colour, line + i, size) - 1;
        i += size;
    }
    return 0;
}

int32_t text_draw_line(int32_t window, int32_t dx, int32_t dy, const char* line,
                       const TextColour* colours)
{
    if (!text_valid_window(window))
        return -1;
    const MessageWindow& record = text.windows[window];
    // A window may lie anywhere: a line whose position leaves the 32-bit range is far off the
    // layers and draws nothing.
    const int64_t x = int64_t{record.x} + dx;
    const int64_t y = int64_t{record.y} + dy;
    if (!text_fits(x) || !text_fits(y))
        return 0;
    if (colours)
        return text_draw_coloured(static_cast<int32_t>(x), static_cast<int32_t>(y), line, colours);
    return text_draw_mask(static_cast<int32_t>(x), static_cast<int32_t>(y), line);
}

int32_t text_draw_line_centred(int32_t window, int32_t dy, const char* line,
                               const TextColour* colours)
{
    if (!text_valid_window(window))
        return -1;
    const MessageWindow& record = text.windows[window];
    const int32_t width =
        host_text_width(surface_slot_dc(text.colour_layer), line, text_length(line));
    // An arithmetic shift: a line wider than the window starts left of it. Any width fits: the
    // difference is halved in 64 bits.
    const auto dx = static_cast<int32_t>((int64_t{record.width} - width) >> 1);
    return text_draw_line(window, dx, dy, line, colours);
}

MessageWindow* text_windows()
{
    return text.windows;
}

int32_t text_colour_layer()
{
    return text.colour_layer;
}

int32_t text_mask_layer()
{
    return text.mask_layer;
}

bool text_valid_window(int32_t window)
{
    return window >= 0 && window < MSGWIN_COUNT && text.windows;
}

int32_t text_character_length(char lead)
{
    return (static_cast<uint8_t>(lead) & 0x80) ? 2 : 1;
}
