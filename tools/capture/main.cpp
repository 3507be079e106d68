#include <iostream>

#include "tools/capture/capture.h"

int main(int argc, char** argv)
{
    return capture_command(argc, argv, std::cout, std::cerr);
}
