#include <array>
#include <ostream>
#include <string_view>

#include "tools/args/args.h"
#include "tools/capture/capture.h"
#include "tools/capture/png_writer.h"

const char CAPTURE_USAGE[] = R"(Usage: luma-capture [options]

Runs the Luma Stage demo or showcase on the headless host (no window; a
virtual clock that advances 20 ms a frame, so every run gives the same frames)
and writes chosen frames as PNG files.

Options (--name VALUE or --name=VALUE):
  --program NAME         demo (the display test, default) or showcase
  --frames N             run N frames, 1 to 100000000; frames count from 1
                         (default 1)
  --save LIST            the frames to write: numbers and ranges separated by
                         commas, such as 1,61,100-110 (default: the last frame)
  --out DIR              write frame N to DIR/frame-NNNNN.png (default: capture);
                         each file is written as frame-NNNNN.png.part and
                         renamed once whole
  --hold KEY:FIRST-LAST  hold KEY from frame FIRST to frame LAST (KEY:N: in
                         frame N only); KEY is F1, F2, F3, a digit 0 to 9, R,
                         LBUTTON or RBUTTON (repeatable)
  --cursor X,Y@FRAME     from frame FRAME on, the cursor is at client point
                         (X, Y), each from -32768 to 32767 (repeatable)
  --size WxH             the client size in pixels, each side 2 to 4096
                         (default 512x462); the frames are W x (H - 1), less
                         one column when W is odd: the surface keeps an even
                         width
  --checksums            print a line for every presented frame:
                         frame NNNNN HHHHHHHHHHHHHHHH, the frame number in at
                         least five digits and, in sixteen lower-case hex
                         digits, the 64-bit FNV-1a hash of the presented
                         pixels (each RGB555 pixel's two bytes low byte
                         first, bit 15 included, rows top first)
  --help                 show this text

Every frame named by --save, --hold and --cursor must lie within --frames.

Exit status: 0 when every frame ran and was written, 1 when the program quit
early or a file could not be written, 2 for bad arguments.
)";

const char CAPTURE_NO_PNG_USAGE[] = R"(
This build has no libpng: it writes no PNG files and refuses --save; the
frames can still be compared through --checksums.
)";

namespace {

constexpr std::array<ArgsOption, 8> CAPTURE_OPTIONS = {{
    {"--program", true},
    {"--frames", true},
    {"--save", true},
    {"--out", true},
    {"--hold", true},
    {"--cursor", true},
    {"--size", true},
    {"--checksums", false},
}};

constexpr char CAPTURE_KEYS[] = "F1, F2, F3, 0 to 9, R, LBUTTON or RBUTTON";

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

// "N" or "FIRST-LAST", frames from 1 up to frames; false with the reason.
bool parse_range(std::string_view text, uint32_t frames, CaptureRange* range, std::string* reason)
{
    const size_t dash = text.find('-');
    const std::string_view first = text.substr(0, dash);
    const std::string_view last = dash == std::string_view::npos ? first : text.substr(dash + 1);
    if (!args_parse_number(first, &range->first) || !args_parse_number(last, &range->last))
        *reason = (text.empty() ? std::string("an empty item") : std::string(text)) +
                  " is not a frame N or a range FIRST-LAST";
    else if (range->first == 0)
        *reason = "frames count from 1, not 0";
    else if (range->last < range->first)
        *reason = "the range " + std::string(text) + " ends before it starts";
    else if (range->last > frames)
        *reason =
            "frame " + std::to_string(range->last) + " is past --frames " + std::to_string(frames);
    else
        return true;
    return false;
}

bool parse_save(std::string_view text, uint32_t frames, std::vector<CaptureRange>* save,
                std::string* reason)
{
    for (;;) {
        const size_t comma = text.find(',');
        CaptureRange range;
        if (!parse_range(text.substr(0, comma), frames, &range, reason))
            return false;
        save->push_back(range);
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

bool parse_hold(std::string_view text, uint32_t frames, CaptureHold* hold, std::string* reason)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        *reason = "wants KEY:FIRST-LAST or KEY:FRAME";
        return false;
    }
    if (!parse_input(text.substr(0, colon), &hold->input)) {
        *reason =
            "unknown key " + std::string(text.substr(0, colon)) + "; the keys are " + CAPTURE_KEYS;
        return false;
    }
    return parse_range(text.substr(colon + 1), frames, &hold->frames, reason);
}

bool parse_coordinate(std::string_view text, int32_t* value)
{
    return args_parse_number(text, value) && *value >= CAPTURE_CURSOR_MIN &&
           *value <= CAPTURE_CURSOR_MAX;
}

bool parse_cursor(std::string_view text, uint32_t frames, CaptureCursor* cursor,
                  std::string* reason)
{
    const size_t comma = text.find(',');
    const size_t at = text.find('@');
    CaptureRange frame;
    if (comma == std::string_view::npos || at == std::string_view::npos || at < comma)
        *reason = "wants X,Y@FRAME, such as 100,80@1";
    else if (!parse_coordinate(text.substr(0, comma), &cursor->x) ||
             !parse_coordinate(text.substr(comma + 1, at - comma - 1), &cursor->y))
        *reason = "X and Y are whole numbers from " + std::to_string(CAPTURE_CURSOR_MIN) + " to " +
                  std::to_string(CAPTURE_CURSOR_MAX);
    else if (text.substr(at + 1).find('-') != std::string_view::npos)
        *reason = "the cursor moves at one frame, not a range";
    else if (parse_range(text.substr(at + 1), frames, &frame, reason)) {
        cursor->frame = frame.first;
        return true;
    }
    return false;
}

bool parse_side(std::string_view text, int32_t* side)
{
    return args_parse_number(text, side) && *side >= CAPTURE_MIN_SIZE && *side <= CAPTURE_MAX_SIZE;
}

bool parse_size(std::string_view text, int32_t* width, int32_t* height, std::string* reason)
{
    const size_t cross = text.find('x');
    if (cross == std::string_view::npos) {
        *reason = "wants WxH, such as 512x462";
        return false;
    }
    if (!parse_side(text.substr(0, cross), width) || !parse_side(text.substr(cross + 1), height)) {
        *reason = "each side is a whole number from " + std::to_string(CAPTURE_MIN_SIZE) + " to " +
                  std::to_string(CAPTURE_MAX_SIZE);
        return false;
    }
    return true;
}

// Every option but --frames, which is read first so that the frames the others name can be
// checked against it whatever the order.
bool parse_option(const ArgsItem& item, CaptureOptions* options, std::string* reason)
{
    const std::string_view value = item.value;
    if (item.name == "--program") {
        if (args_parse_program(value, &options->program))
            return true;
        *reason = "wants demo or showcase";
    } else if (item.name == "--save") {
        return parse_save(value, options->frames, &options->save, reason);
    } else if (item.name == "--out") {
        options->out = value;
        if (!value.empty())
            return true;
        *reason = "wants a directory";
    } else if (item.name == "--hold") {
        CaptureHold hold;
        if (!parse_hold(value, options->frames, &hold, reason))
            return false;
        options->holds.push_back(hold);
        return true;
    } else if (item.name == "--cursor") {
        CaptureCursor cursor;
        if (!parse_cursor(value, options->frames, &cursor, reason))
            return false;
        options->cursors.push_back(cursor);
        return true;
    } else if (item.name == "--size") {
        return parse_size(value, &options->width, &options->height, reason);
    } else if (item.name == "--checksums") {
        options->checksums = true;
        return true;
    }
    return false;
}

} // namespace

bool capture_parse_args(int argc, const char* const* argv, CaptureOptions* options,
                        std::string* error)
{
    ArgsCommand command;
    if (!args_split(argc, argv, CAPTURE_OPTIONS, &command, error))
        return false;
    // Asking for help gets it, whatever the values before it.
    options->help = command.help;
    if (options->help)
        return true;
    std::string reason;
    for (const ArgsItem& item : command.items) {
        if (item.name == "--frames" &&
            !args_parse_count(item.value, 1, CAPTURE_MAX_FRAMES, &options->frames)) {
            *error = args_refusal(item, "wants a frame count from 1 to " +
                                            std::to_string(CAPTURE_MAX_FRAMES));
            return false;
        }
    }
    for (const ArgsItem& item : command.items) {
        if (item.name != "--frames" && !parse_option(item, options, &reason)) {
            *error = args_refusal(item, reason);
            return false;
        }
    }
    return true;
}

int capture_command(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CaptureOptions options;
    std::string error;
    if (!capture_parse_args(argc, argv, &options, &error)) {
        err << "luma-capture: " << error << " (see luma-capture --help)\n";
        return CAPTURE_EXIT_USAGE;
    }
    if (options.help) {
        out << CAPTURE_USAGE;
        if (!png_writer_built())
            out << CAPTURE_NO_PNG_USAGE;
        return CAPTURE_EXIT_OK;
    }
    if (!options.save.empty() && !png_writer_built()) {
        err << "luma-capture: --save: this build writes no PNG (it has no libpng)\n";
        return CAPTURE_EXIT_USAGE;
    }
    return capture_run(options, out, err);
}
