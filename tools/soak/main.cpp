#include <iostream>

#include "tools/soak/soak.h"

int main(int argc, char** argv)
{
    SoakOptions options;
    std::string error;
    if (!soak_parse_args(argc, argv, &options, &error)) {
        std::cerr << "luma-soak: " << error << "\n";
        return SOAK_EXIT_USAGE;
    }
    if (options.help) {
        std::cout << SOAK_USAGE;
        return SOAK_EXIT_OK;
    }
    return soak_main(options, std::cout);
}
