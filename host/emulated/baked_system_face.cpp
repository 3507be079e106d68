// The system face of a build without FreeType: the glyphs that the native build baked from it.
#include "host/emulated/baked_face.h"
#include "host/emulated/emulated.h"

bool emu_open_system_face(std::string_view face_name, int32_t pixel_height, EmuFace* face,
                          std::string* error)
{
    return baked_face_open(BAKED_FACE, face_name, pixel_height, face, error);
}
