// The command line of the tools (luma-capture, luma-soak), read by the same rules: options start
// with "--"; one that takes a value has it as the next argument or after "=" ("--frames 60",
// "--frames=60"); a flag takes none; --help (or -h) stops reading. Every refusal names the
// mistake: an unknown option, a stray argument, a missing value (or another option where the
// value should be), a value that is not what the option wants.
#pragma once

#include <charconv>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"

// One option a tool knows: its name with the dashes, and whether a value follows it.
struct ArgsOption {
    std::string_view name;
    bool takes_value;
};

// One option as given: its name and its value ("" for a flag).
struct ArgsItem {
    std::string_view name;
    std::string_view value;
};

struct ArgsCommand {
    std::vector<ArgsItem> items; // in the order given, up to --help
    bool help = false;
};

// Splits argv[1] onward into options of table; false with a message naming the mistake.
bool args_split(int argc, const char* const* argv, std::span<const ArgsOption> table,
                ArgsCommand* command, std::string* error);

// "--name value: " then the reason: the start of every refused value's message.
std::string args_refusal(const ArgsItem& item, std::string_view reason);

// The whole text as one decimal integer, nothing left over.
template <typename T> bool args_parse_number(std::string_view text, T* value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, *value);
    return !text.empty() && error == std::errc() && stop == end;
}

// The whole text as a count from least to most.
bool args_parse_count(std::string_view text, uint32_t least, uint32_t most, uint32_t* count);

// "demo" or "showcase", the programs both tools run.
bool args_parse_program(std::string_view name, const AppProgram** program);
const char* args_program_name(const AppProgram& program);
