#include "platform/error_box.h"

#include <cstdarg>
#include <cstdio>

#include "host/host.h"

namespace {
constexpr char ERROR_BOX_CAPTION[] = "Error";
}

void app_error_box(const char* format, ...)
{
    char text[ERROR_BOX_TEXT_SIZE];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    host_message_box(ERROR_BOX_CAPTION, text);
}
