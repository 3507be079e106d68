// The screen surface: eight bitmap slots of RGB555 pixels, the frame start (pacing and clear) and
// the present (copy to the window and flip).
//
// Slots 0 and 1 are the frame buffers, made once at start-up from the client size; slots 2 to 7
// are off-screen surfaces of the same size made on request. Every other module works with the
// width W and height H reported here: H is one less than the rows of the frame buffers, whose
// last row is a guard row that is never cleared and never presented. The pitch of every slot is
// exactly W pixels; W is kept even for that.
#pragma once

#include <cstdint>

#include "host/host.h"
#include "platform/pixel.h"

constexpr int32_t SURFACE_SLOTS = 8;
constexpr int32_t SURFACE_FRAME_BUFFERS = 2;
constexpr int32_t SURFACE_DEPTH = 16;
constexpr int32_t FRAME_INTERVAL_MS = 20;

// surface_begin_frame flags.
constexpr int32_t SURFACE_CLEAR = 1;

struct SurfaceSlot {
    HostDc* dc;         // memory DC with the bitmap selected; null when the slot is free
    HostBitmap* bitmap; // the DIB section; null when the slot is free
    Pixel* pixels;      // the bitmap's memory
};

// Allocates the slot table and makes the two frame buffers; 0, or negative after an "Error" box.
int32_t surface_init(HostWindow* window);
// Re-creates the frame buffers when the depth changes; 0, or -1.
int32_t surface_set_depth(int32_t depth);
// (Re)creates slots 0 and 1 from the client size; 0, or -1 after an "Error" box.
int32_t surface_create_frame_buffers();
// An off-screen slot of W x H: its index 2..7, -1 when none is free, -2 when creation failed.
int32_t surface_create_offscreen();

// The box a frame buffer or a layer that cannot be made shows: "画面バッファの作成に失敗しました。"
// in code page 932.
constexpr char SURFACE_FAILURE_TEXT[] = "\x89\xe6\x96\xca\x83\x6f\x83\x62\x83\x74\x83\x40\x82\xcc"
                                        "\x8d\xec\x90\xac\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc"
                                        "\x82\xb5\x82\xbd\x81\x42";
// 0; -1 bad index; -2 no memory DC; -3 no bitmap.
int32_t surface_create_slot(HostDc* reference, int32_t index, int32_t width, int32_t height,
                            int32_t depth);
// 0; -2 when the index is outside 0..7. Releasing a free slot is harmless.
int32_t surface_release_slot(int32_t index);
// Releases slots 0..7 and frees the table.
void surface_shutdown();

// Takes the window DC (held until the present), waits out the frame interval, and with
// SURFACE_CLEAR clears the W x H counted pixels of the current frame buffer.
void surface_begin_frame(HostWindow* window, int32_t flags);
// Copies W x H of the current frame buffer to the window, releases the DC, flips.
void surface_present();

// red, green and blue are 5-bit channels (0..31).
void surface_set_clear_colour(int32_t red, int32_t green, int32_t blue);
void surface_set_frame_interval(int32_t milliseconds);

int32_t surface_width();
int32_t surface_height();
HostWindow* surface_window();
// Slot accessors: null for an index outside 0..7.
HostDc* surface_slot_dc(int32_t index);
Pixel* surface_slot_pixels(int32_t index);
Pixel* surface_current_pixels();
int32_t surface_current_index();
void surface_toggle_current();
// After each present current ^= flip: 1 alternates the frame buffers, 0 keeps drawing into one.
void surface_set_flip(int32_t flip);
