// Start-up failures are the only ones the user is told about, in a modal box captioned "Error".
#pragma once

constexpr int ERROR_BOX_TEXT_SIZE = 100;

// Formats printf-style into a 100-byte buffer (longer text is cut, never written past it) and
// shows it; returns when the user has closed the box. Texts are Shift-JIS.
void app_error_box(const char* format, ...) __attribute__((format(printf, 1, 2)));
