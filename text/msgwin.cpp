#include "text/msgwin.h"

#include "platform/surface.h"
#include "text/markup.h"
#include "text/text.h"

namespace {

MessageWindow* msgwin_record(int32_t window)
{
    return text_valid_window(window) ? &text_windows()[window] : nullptr;
}

// Keeps the window on the surface where it fits; one larger than the surface ends at 0 then at
// the far edge, and the composite pass clips what is left outside.
void msgwin_clamp(MessageWindow& record, int32_t x, int32_t y)
{
    x = x < 0 ? 0 : x;
    y = y < 0 ? 0 : y;
    // The far edge in 64 bits: a window may be as wide or as high as 32 bits go.
    if (int64_t{x} + record.width > surface_width())
        x = surface_width() - record.width;
    if (int64_t{y} + record.height > surface_height())
        y = surface_height() - record.height;
    record.x = x;
    record.y = y;
}

} // namespace

int32_t msgwin_create(int32_t x, int32_t y, int32_t width, int32_t height, int32_t flags)
{
    for (int32_t window = 0; window < MSGWIN_COUNT; ++window) {
        MessageWindow* record = msgwin_record(window);
        if (!record || record->id != MSGWIN_FREE)
            continue;
        record->id = window;
        record->x = x & ~1;
        record->y = y;
        record->width = width & ~1;
        record->height = height;
        record->flags = flags;
        record->counter = 0;
        record->text[0] = '\0';
        return window;
    }
    return -1;
}

int32_t msgwin_set_effect(int32_t window, int32_t value)
{
    MessageWindow* record = msgwin_record(window);
    if (!record)
        return -1;
    record->flags = (record->flags & ~MSGWIN_EFFECT_MASK) | value;
    record->counter = 0;
    return 0;
}

int32_t msgwin_clear_flags(int32_t window, int32_t value)
{
    MessageWindow* record = msgwin_record(window);
    if (!record)
        return -1;
    record->flags &= ~value & ~MSGWIN_EFFECT_MASK;
    record->counter = 0;
    return 0;
}

int32_t msgwin_set_tint(int32_t window, uint32_t tint)
{
    MessageWindow* record = msgwin_record(window);
    if (!record)
        return -1;
    record->tint = tint;
    return 0;
}

int32_t msgwin_set_text(int32_t window, const char* text)
{
    MessageWindow* record = msgwin_record(window);
    if (!record)
        return -1;
    // At most MSGWIN_TEXT_SIZE - 1 bytes, and never half a two-byte character.
    int32_t length = 0;
    while (text && text[length]) {
        const int32_t size = text_character_length(text[length]);
        if (length + size > MSGWIN_TEXT_SIZE - 1 || (size == 2 && !text[length + 1]))
            break;
        length += size;
    }
    for (int32_t i = 0; i < length; ++i)
        record->text[i] = text[i];
    record->text[length] = '\0';
    record->counter = 0;
    markup_layout(window);
    return 0;
}

int32_t msgwin_move(int32_t window, int32_t x, int32_t y)
{
    MessageWindow* record = msgwin_record(window);
    if (!record)
        return -1;
    msgwin_clear_area(window);
    msgwin_clamp(*record, x, y);
    markup_layout(window);
    return 0;
}

int32_t msgwin_set_position(int32_t window, int32_t x, int32_t y)
{
    MessageWindow* record = msgwin_record(window);
    if (!record)
        return -1;
    msgwin_clamp(*record, x, y);
    return 0;
}

int32_t msgwin_clear_area(int32_t window)
{
    const MessageWindow* record = msgwin_record(window);
    if (!record)
        return -1;
    return text_clear_rect(record->x, record->y, record->width, record->height);
}
