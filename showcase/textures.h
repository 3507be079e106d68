// The showcase's images, made in code at start-up: a tiled floor for the floor filter and three
// patterns for the textured meshes, at every power of two from 16 to 128 pixels.
#pragma once

#include <cstdint>

#include "platform/filter_floor.h"

// What each image is for; showcase_make_textures fills the slot of each.
enum ShowcaseTexture { TEXTURE_FLOOR, TEXTURE_CHECKER, TEXTURE_BRICK, TEXTURE_PLASMA, TEXTURES };

constexpr int32_t TEXTURE_CHECKER_LOG2 = 4;
constexpr int32_t TEXTURE_BRICK_LOG2 = 5;
constexpr int32_t TEXTURE_PLASMA_LOG2 = 6;

// Creates the four images, the floor first so that it lands in the slot the floor filter maps,
// and writes their slots to slots; 0, or -1 after the allocator's box.
int32_t showcase_make_textures(int32_t (&slots)[TEXTURES]);
