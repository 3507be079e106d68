// The 128 texture slots that textured packets and the floor filter name by number. A slot is
// empty or owns one Texture record; the record owns its pixel block, and both are freed together.
#pragma once

#include <cstdint>

#include "platform/pixel.h"

constexpr int32_t TEXTURE_SLOTS = 128;
// Images are 2^E x 2^F pixels with E and F from 0 to this.
constexpr int32_t TEXTURE_LOG2_MAX = 10;

struct Texture {
    int32_t log2_width;
    int32_t log2_height;
    Pixel* pixels; // 2^log2_width pixels per row, no padding, top row first
    void* owned_block;
};

// Empties all 128 slots without freeing: the program-start state.
void tex_init();
// Frees the slot's pixel block and record and empties it; an empty or unknown slot is left alone.
void tex_free(int32_t slot);
// tex_free for every slot.
void tex_free_all();

// Puts a black 2^log2_width x 2^log2_height image into the lowest empty slot, record and pixels
// from mem_alloc; the slot, -1 for a size outside 0..TEXTURE_LOG2_MAX or no empty slot, -2 when
// an allocation failed (nothing kept).
int32_t tex_create(int32_t log2_width, int32_t log2_height);

// The fields of the slot's record; 0 and null for an empty or unknown slot.
int32_t tex_log2_width(int32_t slot);
int32_t tex_log2_height(int32_t slot);
Pixel* tex_pixels(int32_t slot);
