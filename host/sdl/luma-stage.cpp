// The demo in an SDL2 window.
#include "host/sdl/sdl_main.h"

int main(int argc, char** argv)
{
    static constexpr SdlProgram DEMO = {
        "luma-stage",
        "the Luma Stage demo in an SDL2 window: a software renderer's display test\n"
        "of its message windows over a star field",
        "  F1, F3 (held)   swing the view to one side or the other\n"
        "  F2              brings the view back to the front\n",
        "--frames 300 --save 1,60,120,180,240,300 --out capture",
        &APP_DEMO,
    };
    return sdl_main(argc, argv, DEMO);
}
