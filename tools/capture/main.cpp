#include <iostream>

#include "tools/capture/capture.h"

int main(int argc, char** argv)
{
    CaptureOptions options;
    std::string error;
    if (!capture_parse_args(argc, argv, &options, &error)) {
        std::cerr << "luma-capture: " << error << "\n";
        return CAPTURE_EXIT_USAGE;
    }
    if (options.help) {
        std::cout << CAPTURE_USAGE;
        return CAPTURE_EXIT_OK;
    }
    return capture_run(options, std::cout, std::cerr);
}
