// The showcase in an SDL2 window.
#include "host/sdl/sdl_main.h"
#include "showcase/showcase.h"

int main(int argc, char** argv)
{
    static constexpr SdlProgram SHOWCASE = {
        "luma-showcase",
        "the Luma Stage showcase in an SDL2 window: every part of the software\n"
        "renderer on the stage, a ring of objects to point at, hit and destroy, and the frame "
        "filters",
        "  the mouse       points at an object (a yellow box around it)\n"
        "  left button     held, hits it once a frame until it is destroyed\n"
        "  R               brings every object back\n"
        "  0 to 8          the frame filter: none, trails, invert, xor smear, grey, noise,\n"
        "                  after-image, blur, floor\n"
        "  F1, F3 (held)   swing the view; F2 brings it back\n",
        "--program showcase --frames 300 --save 60,300 --out capture",
        &APP_SHOWCASE,
    };
    return sdl_main(argc, argv, SHOWCASE);
}
