// The PNG writer of a build without libpng (Debian has no MinGW build of it): it writes nothing.
#include "tools/capture/png_writer.h"

bool png_writer_built()
{
    return false;
}

bool png_write_rgb555(const std::string& path, const uint16_t*, int32_t, int32_t, int32_t,
                      std::string* error)
{
    *error = "cannot write " + path + ": this build writes no PNG (it has no libpng)";
    return false;
}
