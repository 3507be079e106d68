#include <charconv>
#include <cstring>
#include <string_view>

#include "showcase/showcase.h"
#include "tools/capture/capture.h"

const char CAPTURE_USAGE[] = R"(Usage: luma-capture [options]

Runs the Luma Stage demo or showcase on the headless host (no window; a
virtual clock that advances 20 ms a frame, so every run gives the same frames)
and writes chosen frames as PNG files.

Options:
  --program NAME         demo (the display test, default) or showcase
  --frames N             run N frames; frames count from 1 (default 1)
  --save LIST            the frames to write: numbers and ranges separated by
                         commas, such as 1,61,100-110 (default: the last frame)
  --out DIR              write frame N to DIR/frame-NNNNN.png (default: capture)
  --hold KEY:FIRST-LAST  hold KEY from frame FIRST to frame LAST; KEY is F1, F2,
                         F3, a digit 0 to 9, R, LBUTTON or RBUTTON (repeatable)
  --cursor X,Y@FRAME     from frame FRAME on, the cursor is at client point
                         (X, Y) (repeatable)
  --size WxH             the client size in pixels (default 512x462)
  --checksums            print a line for every presented frame:
                         frame NNNNN HHHHHHHHHHHHHHHH, the frame number in at
                         least five digits and, in sixteen lower-case hex
                         digits, the 64-bit FNV-1a hash of the presented
                         pixels (each RGB555 pixel's two bytes low byte
                         first, bit 15 included, rows top first)
  --help                 show this text

Exit status: 0 when every frame ran and was written, 1 when the program quit
early or a file could not be written, 2 for bad arguments.
)";

namespace {

constexpr uint32_t MAX_FRAMES = 100'000'000;
constexpr int32_t MIN_SIZE = 2;
constexpr int32_t MAX_SIZE = 4096;

struct NamedInput {
    std::string_view name;
    CaptureInput input;
};

constexpr NamedInput INPUT_NAMES[] = {
    {"F1", CaptureInput::F1},
    {"F2", CaptureInput::F2},
    {"F3", CaptureInput::F3},
    {"R", CaptureInput::R},
    {"LBUTTON", CaptureInput::LeftButton},
    {"RBUTTON", CaptureInput::RightButton},
};

struct NamedProgram {
    std::string_view name;
    const AppProgram* program;
};

constexpr NamedProgram PROGRAM_NAMES[] = {{"demo", &APP_DEMO}, {"showcase", &APP_SHOWCASE}};

// F1, F2, F3, R, a digit, LBUTTON or RBUTTON.
bool parse_input(std::string_view name, CaptureInput* input)
{
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') {
        *input = static_cast<CaptureInput>(HOST_VK_0 + (name[0] - '0'));
        return true;
    }
    for (const NamedInput& named : INPUT_NAMES) {
        if (named.name == name) {
            *input = named.input;
            return true;
        }
    }
    return false;
}

bool parse_program(std::string_view name, const AppProgram** program)
{
    for (const NamedProgram& named : PROGRAM_NAMES) {
        if (named.name == name) {
            *program = named.program;
            return true;
        }
    }
    return false;
}

// The whole text as one integer, nothing left over.
template <typename T> bool parse_number(std::string_view text, T* value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, *value);
    return !text.empty() && error == std::errc() && stop == end;
}

bool parse_frame(std::string_view text, uint32_t* frame)
{
    return parse_number(text, frame) && *frame >= 1;
}

// "N" or "FIRST-LAST".
bool parse_range(std::string_view text, CaptureRange* range)
{
    const size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        if (!parse_frame(text, &range->first))
            return false;
        range->last = range->first;
        return true;
    }
    return parse_frame(text.substr(0, dash), &range->first) &&
           parse_frame(text.substr(dash + 1), &range->last) && range->first <= range->last;
}

bool parse_save(std::string_view text, std::vector<CaptureRange>* save)
{
    for (;;) {
        const size_t comma = text.find(',');
        CaptureRange range;
        if (!parse_range(text.substr(0, comma), &range))
            return false;
        save->push_back(range);
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

bool parse_hold(std::string_view text, CaptureHold* hold)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    return parse_input(text.substr(0, colon), &hold->input) &&
           parse_range(text.substr(colon + 1), &hold->frames);
}

bool parse_cursor(std::string_view text, CaptureCursor* cursor)
{
    const size_t comma = text.find(',');
    const size_t at = text.find('@');
    if (comma == std::string_view::npos || at == std::string_view::npos || at < comma)
        return false;
    return parse_number(text.substr(0, comma), &cursor->x) &&
           parse_number(text.substr(comma + 1, at - comma - 1), &cursor->y) &&
           parse_frame(text.substr(at + 1), &cursor->frame);
}

bool parse_size(std::string_view text, int32_t* width, int32_t* height)
{
    const size_t cross = text.find('x');
    return cross != std::string_view::npos && parse_number(text.substr(0, cross), width) &&
           parse_number(text.substr(cross + 1), height) && *width >= MIN_SIZE &&
           *width <= MAX_SIZE && *height >= MIN_SIZE && *height <= MAX_SIZE;
}

bool parse_option(std::string_view name, std::string_view value, CaptureOptions* options,
                  std::string* error)
{
    bool valid = false;
    std::string expected;
    if (name == "--program") {
        valid = parse_program(value, &options->program);
        expected = "demo or showcase";
    } else if (name == "--frames") {
        valid = parse_frame(value, &options->frames) && options->frames <= MAX_FRAMES;
        expected = "a frame count from 1 to " + std::to_string(MAX_FRAMES);
    } else if (name == "--save") {
        valid = parse_save(value, &options->save);
        expected = "frame numbers and ranges from 1 up, such as 1,61,100-110";
    } else if (name == "--out") {
        options->out = value;
        valid = !value.empty();
        expected = "a directory";
    } else if (name == "--hold") {
        CaptureHold hold;
        valid = parse_hold(value, &hold);
        options->holds.push_back(hold);
        expected = "KEY:FIRST-LAST with KEY one of F1, F2, F3, 0 to 9, R, LBUTTON, RBUTTON";
    } else if (name == "--cursor") {
        CaptureCursor cursor;
        valid = parse_cursor(value, &cursor);
        options->cursors.push_back(cursor);
        expected = "X,Y@FRAME, such as 100,80@1";
    } else if (name == "--size") {
        valid = parse_size(value, &options->width, &options->height);
        expected = "WxH with each side from " + std::to_string(MIN_SIZE) + " to " +
                   std::to_string(MAX_SIZE) + ", such as 512x462";
    } else {
        *error = "unknown option " + std::string(name) + " (see --help)";
        return false;
    }
    if (!valid)
        *error = std::string(name) + " wants " + expected + ", not \"" + std::string(value) + "\"";
    return valid;
}

} // namespace

bool capture_parse_args(int argc, const char* const* argv, CaptureOptions* options,
                        std::string* error)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            options->help = true;
            return true;
        }
        if (argument == "--checksums") {
            options->checksums = true;
            continue;
        }
        // Both "--name value" and "--name=value".
        std::string_view name = argument;
        std::string_view value;
        const size_t equals = argument.find('=');
        if (argument.starts_with("--") && equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
        } else if (argument.starts_with("--") && i + 1 < argc) {
            value = argv[++i];
        } else if (argument.starts_with("--")) {
            *error = std::string(argument) + " needs a value (see --help)";
            return false;
        } else {
            *error = "unexpected argument \"" + std::string(argument) + "\" (see --help)";
            return false;
        }
        if (!parse_option(name, value, options, error))
            return false;
    }
    for (const CaptureRange& range : options->save) {
        if (range.last > options->frames) {
            *error = "--save asks for frame " + std::to_string(range.last) + " but --frames is " +
                     std::to_string(options->frames);
            return false;
        }
    }
    return true;
}
