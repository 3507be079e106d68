#include "tools/args/args.h"

#include "showcase/showcase.h"

namespace {

constexpr std::string_view ARGS_PREFIX = "--";

struct ArgsProgramName {
    const char* name;
    const AppProgram* program;
};

constexpr ArgsProgramName ARGS_PROGRAMS[] = {{"demo", &APP_DEMO}, {"showcase", &APP_SHOWCASE}};

const ArgsOption* args_find(std::span<const ArgsOption> table, std::string_view name)
{
    for (const ArgsOption& option : table) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

} // namespace

bool args_split(int argc, const char* const* argv, std::span<const ArgsOption> table,
                ArgsCommand* command, std::string* error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            command->help = true;
            return true;
        }
        if (!argument.starts_with(ARGS_PREFIX)) {
            *error = "unexpected argument \"" + std::string(argument) + "\": options start with --";
            return false;
        }
        const size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const ArgsOption* option = args_find(table, name);
        if (!option) {
            *error = "unknown option " + std::string(name);
            return false;
        }
        if (!option->takes_value && equals != std::string_view::npos) {
            *error = std::string(name) + " takes no value";
            return false;
        }
        ArgsItem item{name, {}};
        if (equals != std::string_view::npos) {
            item.value = argument.substr(equals + 1);
        } else if (option->takes_value) {
            // An option where the value should be is a forgotten value, not the value.
            if (i + 1 == argc || std::string_view(argv[i + 1]).starts_with(ARGS_PREFIX)) {
                *error = std::string(name) + " needs a value";
                if (i + 1 < argc)
                    *error += ", not the option " + std::string(argv[i + 1]);
                return false;
            }
            item.value = argv[++i];
        }
        command->items.push_back(item);
    }
    return true;
}

std::string args_refusal(const ArgsItem& item, std::string_view reason)
{
    const std::string value = item.value.empty() ? "\"\"" : std::string(item.value);
    return std::string(item.name) + " " + value + ": " + std::string(reason);
}

bool args_parse_count(std::string_view text, uint32_t least, uint32_t most, uint32_t* count)
{
    return args_parse_number(text, count) && *count >= least && *count <= most;
}

bool args_parse_program(std::string_view name, const AppProgram** program)
{
    for (const ArgsProgramName& named : ARGS_PROGRAMS) {
        if (named.name == name) {
            *program = named.program;
            return true;
        }
    }
    return false;
}

const char* args_program_name(const AppProgram& program)
{
    for (const ArgsProgramName& named : ARGS_PROGRAMS) {
        if (named.program == &program)
            return named.name;
    }
    return "program";
}
