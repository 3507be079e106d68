#include <iostream>

#include "tools/soak/soak.h"

int main(int argc, char** argv)
{
    return soak_command(argc, argv, std::cout, std::cerr);
}
