#include "host/sdl/sdl_options.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view ZOOM_OPTION = "--zoom";

// The whole of text as a zoom, or false.
bool sdl_parse_zoom(std::string_view text, int32_t* zoom)
{
    int32_t value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure != std::errc{} || end != text.data() + text.size() || value < 1 ||
        value > SDL_ZOOM_MAX)
        return false;
    *zoom = value;
    return true;
}

std::string sdl_zoom_error(std::string_view given)
{
    return "--zoom takes a whole number from 1 to " + std::to_string(SDL_ZOOM_MAX) + ", not '" +
           std::string(given) + "'";
}

} // namespace

bool sdl_parse_args(int argc, const char* const* argv, SdlOptions* options, std::string* error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            options->help = true;
        } else if (argument == ZOOM_OPTION) {
            if (i + 1 == argc) {
                *error = "--zoom needs a number (for example --zoom 2)";
                return false;
            }
            if (!sdl_parse_zoom(argv[++i], &options->zoom)) {
                *error = sdl_zoom_error(argv[i]);
                return false;
            }
        } else if (argument.starts_with("--zoom=")) {
            const std::string_view value = argument.substr(ZOOM_OPTION.size() + 1);
            if (!sdl_parse_zoom(value, &options->zoom)) {
                *error = sdl_zoom_error(value);
                return false;
            }
        } else {
            *error = "unknown argument '" + std::string(argument) + "'";
            return false;
        }
    }
    return true;
}
