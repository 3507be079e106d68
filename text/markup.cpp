#include "text/markup.h"

#include <cstring>

#include "text/text.h"

namespace {

struct MarkupLine {
    char bytes[MSGWIN_TEXT_SIZE];
    TextColour colours[MSGWIN_TEXT_SIZE];
    int32_t length;
    bool centred;
    int32_t top;
};

struct MarkupColour {
    int32_t red = 0xFF;
    int32_t green = 0xFF;
    int32_t blue = 0xFF;
};

void markup_add(MarkupLine& line, char byte, TextColour colour)
{
    if (line.length < MSGWIN_TEXT_SIZE - 1) {
        line.colours[line.length] = colour;
        line.bytes[line.length++] = byte;
    }
}

void markup_draw(int32_t window, MarkupLine& line)
{
    line.bytes[line.length] = '\0';
    if (line.centred)
        text_draw_line_centred(window, line.top, line.bytes, line.colours);
    else
        text_draw_line(window, 0, line.top, line.bytes, line.colours);
}

bool markup_space(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads a decimal as scanf's "%d" does (white space, a sign, digits), wrapping modulo 2^32 where
// the number is too large, so that its low byte is still the number's own. Null if no digit.
const char* markup_scan_int(const char* at, int32_t* value)
{
    while (markup_space(*at))
        ++at;
    const bool negative = *at == '-';
    if (*at == '-' || *at == '+')
        ++at;
    if (*at < '0' || *at > '9')
        return nullptr;
    uint32_t number = 0;
    for (; *at >= '0' && *at <= '9'; ++at)
        number = number * 10 + static_cast<uint32_t>(*at - '0');
    *value = static_cast<int32_t>(negative ? 0u - number : number);
    return at;
}

// "%d,%d,%d": each component read gets its new value; the scan stops at the first mismatch.
void markup_scan_colour(const char* at, MarkupColour* colour)
{
    int32_t* components[] = {&colour->red, &colour->green, &colour->blue};
    for (int32_t i = 0; i < 3; ++i) {
        if (i > 0 && *at++ != ',')
            return;
        at = markup_scan_int(at, components[i]);
        if (!at)
            return;
    }
}

TextColour markup_text_colour(const MarkupColour& colour)
{
    return static_cast<TextColour>((colour.red & 0xFF) | (colour.green & 0xFF) << 8 |
                                   (colour.blue & 0xFF) << 16);
}

} // namespace

int32_t markup_layout(int32_t window)
{
    if (!text_valid_window(window))
        return -1;
    // A private, always terminated copy: the layout never reads past the text.
    char text[MSGWIN_TEXT_SIZE];
    std::memcpy(text, text_windows()[window].text, sizeof text);
    text[MSGWIN_TEXT_SIZE - 1] = '\0';

    MarkupLine line{};
    MarkupColour components;
    TextColour colour = TEXT_WHITE;
    const char* at = text;
    while (*at) {
        if (text_character_length(*at) == 2) {
            // A lead byte right before the end has no second byte: it is dropped.
            if (at[1]) {
                markup_add(line, at[0], colour);
                markup_add(line, at[1], colour);
                at += 2;
            } else {
                ++at;
            }
            continue;
        }
        if (*at != '\\') {
            markup_add(line, *at++, colour);
            continue;
        }
        const char escape = at[1];
        if (!escape)
            break;
        at += 2;
        if (escape == 'c') {
            line.centred = true;
        } else if (escape == 'n') {
            markup_draw(window, line);
            line.centred = false;
            line.top += TEXT_LINE_HEIGHT;
            line.length = 0;
        } else if (escape == 'i') {
            // The byte after "i" is the "[", skipped whatever it is.
            if (*at)
                ++at;
            markup_scan_colour(at, &components);
            colour = markup_text_colour(components);
            const char* close = std::strchr(at, ']');
            // No "]": the pending line is dropped and the layout ends.
            if (!close)
                return 0;
            at = close + 1;
        }
    }
    if (line.length > 0)
        markup_draw(window, line);
    return 0;
}
