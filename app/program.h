// What a program built on the shell puts on the stage. The shell's sequences are the same for
// every program; a program supplies the script that the start-up sequence prepares and the frame
// sequence runs, at the script's fixed places in both.
#pragma once

#include <cstdint>

struct AppProgram {
    const char* title; // the main window's
    // Runs once the scene, the text and the star field exist; negative stops start-up, after
    // the script has told the user why.
    int32_t (*init)();
    // Once a frame, after the view keys and before the scene is transformed.
    void (*step)();
};

// The display test: the message-window script.
extern const AppProgram APP_DEMO;
