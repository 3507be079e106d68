// Models: the six glowing shapes built in code at start-up, each a vertex list, a colour list and
// a packet list. Vertices and colours share one item store of four-word items, packets one packet
// store in the stream layout of raster/packet.h. Built once, read-only afterwards: the effect
// player copies a model into the scene buffer each frame it shows one.
//
// A model's packets index its own lists from 0; whoever copies them adds the bases of the tables
// they land in.
#pragma once

#include <cstdint>

#include "raster/packet.h"
#include "scene/math.h"

constexpr int32_t MODEL_ITEMS = 5000;
constexpr int32_t MODEL_ITEM_BYTES = 16;
constexpr int32_t MODEL_PACKET_STORE_BYTES = 5000;
constexpr int32_t MODEL_TABLE_SIZE = 64;

constexpr int32_t MODEL_DISC = 0;
constexpr int32_t MODEL_RING = 1;
constexpr int32_t MODEL_BAND = 2;
constexpr int32_t MODEL_SAW_BAND = 3;
constexpr int32_t MODEL_CONE = 4;
constexpr int32_t MODEL_STARBURST = 5;

// Builder list modes: what model_add_item counts the item in.
constexpr int32_t MODEL_LIST_NONE = 0;
constexpr int32_t MODEL_LIST_VERTICES = 1;
constexpr int32_t MODEL_LIST_COLOURS = 2;

// Every model uses these two colours, black then white: additive packets make a white vertex
// glow and a black one add nothing.
constexpr int32_t MODEL_COLOUR_BLACK = 0;
constexpr int32_t MODEL_COLOUR_WHITE = 1;
constexpr int32_t MODEL_CHANNEL_MAX = 255;

// Lists are item indices into the item store, packets a byte offset into the packet store. The
// third list is kept for a third kind of per-vertex data that no model here has: always empty.
struct Model {
    int32_t vertex_count;
    int32_t vertices;
    int32_t colour_count;
    int32_t colours;
    int32_t third_count;
    int32_t third_list;
    int32_t packet_count;
    int32_t packets;
    int32_t packet_bytes;
};
static_assert(sizeof(Model) == 9 * sizeof(int32_t));
// An item is a vertex or a colour (red, green, blue in x, y, z): four words either way.
static_assert(sizeof(Vec3) == MODEL_ITEM_BYTES);

// Allocates the model table (64 records) with the count at 0; 0, or -1 after the "Error" box.
// The effect stores own it: effect_init_stores calls this.
int32_t model_init_table();
// Frees the model table; safe to call twice.
void model_free_table();

// Allocates the item store (80000 bytes) and the packet store (5000 bytes), then builds the six
// models as models 0 to 5 and the effect script; 0, or -1 at the first failed allocation.
int32_t model_build_all();
// Frees the packet store, then the item store; safe to call twice.
void model_free_stores();

// Starts the vertex list of the model being built at the next free item.
void model_begin_vertices();
// Starts the colour list of the model being built at the next free item.
void model_begin_colours();
// Copies item into the next free item and, in a list mode, counts it there and in the store;
// returns the item count. Outside a list mode the item is written but not counted, so the next
// add overwrites it; with the store full nothing is written.
int32_t model_add_item(const Vec3& item);
// model_add_item of (a, b, c); the fourth word means nothing.
int32_t model_add_point(int32_t a, int32_t b, int32_t c);
// The next free item, where the next add writes; null before the store exists or once it is
// full.
Vec3* model_current_item();

// Starts the packet list of the model being built at the write position.
void model_begin_packets();
// Writes a triangle packet from the template: its tag with code bits 0-2 forced to 3, size 44,
// its depth offset, slot and nine indices; link and depth are left unwritten. Nothing when the
// packet store has no room.
void model_add_triangle(const TriPacket& packet);
// The same for a quad: code bits 0-2 forced to 4, size 52, twelve indices.
void model_add_quad(const QuadPacket& packet);
// Registers the model built since the begin calls (model_register); its index, or -1.
int32_t model_end();
// Puts model into the table at the model count and counts it; its index, or -1 when the table is
// full or the model's lists or packets do not lie wholly in the stores.
int32_t model_register(const Model& model);

// How many models the table holds.
int32_t model_count();
// Model index; null outside the models registered or once the stores are freed.
const Model* model_get(int32_t index);
// Item index of the item store; null outside the store.
const Vec3* model_item(int32_t index);
// The packet at byte offset of the packet store; null outside the store.
const uint8_t* model_packet(int32_t offset);
// Copies a registered model's packets to out (model.packet_bytes of room) with their vertex and
// colour indices moved onto the first vertex and colour entry the copy's tables give the model.
// Link, depth and texture coordinates are not copied: the first two are the ordering table's
// scratch, the third no model uses.
void model_copy_packets(uint8_t* out, const Model& model, int32_t first_vertex,
                        int32_t first_colour);
// The items and the packet bytes in use.
int32_t model_items_used();
int32_t model_packet_bytes_used();
