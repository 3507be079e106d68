// The scene buffer: the one arena that the scene fills and the ordering table draws. A header
// describes the packet area, the projected-vertex table and the flat-colour table, and refers to
// the colour-entry and texture-coordinate tables registered into it at start-up. Within a frame
// the header is saved before the effect player appends transient packets, vertices and colours,
// and restored after drawing, which drops them all at once.
//
// The allocation holds, in address order: the buffer record (header and fixed layout), a spare gap
// of E x 16 bytes, the packet area of P bytes, V projected vertices, three spare tables of C, D
// and E 16-byte entries, and C flat colours. The packet stream keeps 32-bit links, so packets
// refer to each other by byte offsets into the packet area; the header itself holds pointers.
#pragma once

#include <cstdint>

#include "platform/pixel.h"
#include "scene/math.h"

// What start-up creates: packet bytes, projected vertices, colour entries (flat colours and the
// first spare table), and the entries of the two further spare tables.
constexpr int32_t SCENE_PACKET_BYTES = 60000;
constexpr int32_t SCENE_VERTICES = 1500;
constexpr int32_t SCENE_FLAT_COLOURS = 1200;
constexpr int32_t SCENE_SPARE_ENTRIES = 10;
// Every table entry but the flat colours, and every region's alignment.
constexpr int32_t SCENE_ENTRY_BYTES = 16;
constexpr int32_t HEADER_SAVE_DEPTH = 16;

// The registered tables that the scene owns.
constexpr int32_t SCENE_COLOUR_ENTRIES = 1500;
constexpr int32_t SCENE_TEXCOORD_ENTRIES = 1200;
constexpr int32_t SCENE_SPARE_TABLE_ENTRIES = 16;

// Registry types that the header records.
constexpr int32_t TABLE_TYPE_SPARE = 0;
constexpr int32_t TABLE_TYPE_COLOURS = 1;
constexpr int32_t TABLE_TYPE_TEXCOORDS = 2;
constexpr int32_t TABLE_TYPE_SPARE_3 = 3;

constexpr int32_t OT_BUCKETS = 4096;
// A bucket head or link that refers to no packet (0 is the first packet's offset).
constexpr int32_t OT_EMPTY = -1;
// What the clip bounds hold until start-up sets them from the surface.
constexpr int32_t CLIP_BOUNDS_START = 256;

// Channels 0..255; the fourth word is not read by any filler.
struct ColourEntry {
    int32_t red;
    int32_t green;
    int32_t blue;
    int32_t unused;
};
static_assert(sizeof(ColourEntry) == SCENE_ENTRY_BYTES);

// 256 spans the texture's width (u) or height (v) once; the last two words are not read.
struct TexCoordEntry {
    int32_t u;
    int32_t v;
    int32_t unused[2];
};
static_assert(sizeof(TexCoordEntry) == SCENE_ENTRY_BYTES);

// The sixteen header words, in order. Addresses are pointers; counts are what is in use.
struct SceneHeader {
    int32_t packet_count;        // 0: packets from first_packet on
    uint8_t* first_packet;       // 1
    uint8_t* packet_write;       // 2: where the next packet goes
    int32_t vertex_count;        // 3: projected-vertex slots in use
    ScreenVertex* vertices;      // 4
    void* spare_table;           // 5: registered type 0
    int32_t colour_count;        // 6: colour entries in use
    void* spare_first;           // 7: the first spare table
    ColourEntry* colour_entries; // 8: registered type 1
    Pixel* flat_colours;         // 9
    int32_t texcoord_count;      // 10
    void* spare_second;          // 11: the second spare table
    TexCoordEntry* texcoords;    // 12: registered type 2
    int32_t spare_3_count;       // 13
    void* spare_third;           // 14: the third spare table
    void* spare_3_table;         // 15: registered type 3
};

struct SceneBuffer {
    SceneHeader header;
    // The regions as created. Header words may be replaced by a restore; the scene's own
    // operations address and bound the regions through these.
    uint8_t* packet_area;
    int32_t packet_bytes;
    ScreenVertex* vertex_table;
    int32_t vertex_capacity;
    Pixel* flat_table;
    int32_t flat_capacity;
};

// Bucket heads: byte offsets of the first packet of each bucket, bucket 4095 the farthest.
struct OrderingTable {
    int32_t heads[OT_BUCKETS];
};

// The rectangle the fillers clip to.
struct ClipBounds {
    int32_t width;
    int32_t height;
    int32_t right;  // width - 1
    int32_t bottom; // height - 1
};

// One zero-filled allocation laid out as above with the header set; null when a size is negative
// or the allocation fails (after the allocator's "Error" box).
SceneBuffer* scene_buffer_create(int32_t packet_bytes, int32_t vertices, int32_t colours,
                                 int32_t spare_d, int32_t spare_e);
// The registry, the ordering table (every head empty) and the current scene buffer, with the save
// depth at 0 and the registered tables zero; 0, or -3 registry, -1 ordering table, -2 buffer.
int32_t scene_init_buffer();
// Frees the scene buffer, the ordering table and the registry; safe to call twice.
void scene_free_buffer();

void scene_set_current(SceneBuffer* buffer);
SceneBuffer* scene_current();
// The current buffer's header.
SceneHeader& scene_header();
// Slot n of the current projected-vertex table; null outside the table.
ScreenVertex* scene_vertex_slot(int32_t n);
OrderingTable* scene_ordering_table();

// Saves the header on the save stack; 0, or -1 (nothing saved) when 16 are saved already.
int32_t scene_save_header();
// Pops a level if there is one, then copies that level back: at depth 0, level 0 again.
void scene_restore_header();

// Records table in the header for types 0 to 3; returns the registry's answer for the type.
int32_t scene_register_table(void* table, int32_t type);
// Registers the scene's own tables as types 0, 1 and 2, in that order.
void scene_register_tables();
// Converts as many colour entries to flat colours as the registry counts for type 1 (at most the
// flat table holds); returns the flat-colour table.
Pixel* scene_convert_colours();

// The clip bounds from the surface size: (W, H, W - 1, H - 1).
void scene_set_clip_bounds();
const ClipBounds& scene_clip_bounds();

// Additions at the end of the current tables. Made before the frame's header save they stay for
// good; made after it they last until the restore. Each returns -1, adding nothing, when the
// table cannot take them all.
//
// Reserves count projected-vertex slots; the first of them.
int32_t scene_reserve_vertices(int32_t count);
// Copies count colour entries into the registered colour-entry table, makes their flat colours
// and counts them for the conversion; the index of the first.
int32_t scene_add_colours(const ColourEntry* entries, int32_t count);
// Copies count texture-coordinate entries into the registered texture-coordinate table and counts
// them; the index of the first.
int32_t scene_add_texcoords(const TexCoordEntry* entries, int32_t count);
// Copies bytes of packets (count of them, laid end to end) to the write position; the byte offset
// of the first from the start of the packet area.
int32_t scene_add_packets(const void* packets, int32_t bytes, int32_t count);
