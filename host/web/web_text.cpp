#include "host/emulated/emulated.h"

// The page has no installed fonts to ask: its text needs a face built into the program.
bool emu_backend_open_face(std::string_view, int32_t, EmuFace*, std::string* error)
{
    *error = "this build of the page has no face built in";
    return false;
}
