// Packets: the variable-length primitive records that models and effects write into the scene
// buffer's packet area and the ordering table sorts and draws. The stream keeps its byte layout,
// 44-byte triangles, 52-byte quads and 24-byte markers walked by their size fields, so a link is
// a 32-bit byte offset into the packet area rather than a pointer.
//
// Every packet starts with the same 18-byte header (tag, size, link, depth, depth offset, slot);
// triangles and quads go on with their vertex, colour and texture-coordinate indices, one array
// after the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Tag bits 0-7: the code; bits 0-2 also give the vertex count used for the depth.
constexpr uint32_t PACKET_CODE_MASK = 0xFF;
constexpr uint32_t PACKET_VERTEX_COUNT_MASK = 7;
// Dropped when its first three vertices run counter-clockwise on screen.
constexpr uint32_t PACKET_FLAG_CULL_BACK = 0x200;
// Tag bits 16-31, read as a signed value: a marker's effect-instance index.
constexpr int32_t PACKET_INSTANCE_SHIFT = 16;

constexpr int32_t PACKET_FLAT_TRI = 3;
constexpr int32_t PACKET_FLAT_QUAD = 4;
constexpr int32_t PACKET_TEX_TRI = 11;
constexpr int32_t PACKET_TEX_QUAD = 12;
constexpr int32_t PACKET_TEX_ADD_TRI = 27;
constexpr int32_t PACKET_TEX_ADD_QUAD = 28;
constexpr int32_t PACKET_TEX_HALF_TRI = 59;
constexpr int32_t PACKET_TEX_HALF_QUAD = 60;
constexpr int32_t PACKET_GOURAUD_TRI = 67;
constexpr int32_t PACKET_GOURAUD_QUAD = 68;
constexpr int32_t PACKET_MARKER = 81;
constexpr int32_t PACKET_GOURAUD_ADD_TRI = 83;
constexpr int32_t PACKET_GOURAUD_ADD_QUAD = 84;

// The depth of a packet with a vertex behind the eye: beyond the farthest bucket.
constexpr int32_t DEPTH_CLIPPED = 4096;

// Codes 3, 11, 27, 59, 67, 83. colour[0] alone indexes the flat-colour table for a flat
// triangle; the textured codes name a texture slot.
struct TriPacket {
    uint32_t tag;
    int32_t size;
    int32_t link;
    int16_t depth;
    int16_t depth_offset;
    int16_t slot;
    int16_t vertex[3];
    int16_t colour[3];
    int16_t texcoord[3];
    uint8_t spare[8];
};

// Codes 4, 12, 28, 60, 68, 84: the same with four vertices in order around the quad.
struct QuadPacket {
    uint32_t tag;
    int32_t size;
    int32_t link;
    int16_t depth;
    int16_t depth_offset;
    int16_t slot;
    int16_t vertex[4];
    int16_t colour[4];
    int16_t texcoord[4];
    uint8_t spare[10];
};

// PACKET_MARKER: the slot field holds the index of its one vertex.
struct MarkerPacket {
    uint32_t tag;
    int32_t size;
    int32_t link;
    int16_t depth;
    int16_t depth_offset;
    int16_t slot;
    uint8_t spare[6];
};

constexpr int32_t PACKET_TRI_BYTES = 44;
constexpr int32_t PACKET_QUAD_BYTES = 52;
constexpr int32_t PACKET_MARKER_BYTES = 24;
static_assert(sizeof(TriPacket) == PACKET_TRI_BYTES);
static_assert(sizeof(QuadPacket) == PACKET_QUAD_BYTES);
static_assert(sizeof(MarkerPacket) == PACKET_MARKER_BYTES);

// Field offsets, the same in every layout.
constexpr size_t PACKET_TAG_AT = offsetof(TriPacket, tag);
constexpr size_t PACKET_SIZE_AT = offsetof(TriPacket, size);
constexpr size_t PACKET_LINK_AT = offsetof(TriPacket, link);
constexpr size_t PACKET_DEPTH_AT = offsetof(TriPacket, depth);
constexpr size_t PACKET_DEPTH_OFFSET_AT = offsetof(TriPacket, depth_offset);
constexpr size_t PACKET_SLOT_AT = offsetof(TriPacket, slot);
constexpr size_t PACKET_HEADER_BYTES = offsetof(TriPacket, vertex);
static_assert(PACKET_TAG_AT == 0 && PACKET_SIZE_AT == 4 && PACKET_LINK_AT == 8);
static_assert(PACKET_DEPTH_AT == 12 && PACKET_DEPTH_OFFSET_AT == 14 && PACKET_SLOT_AT == 16);
static_assert(PACKET_HEADER_BYTES == 18);
static_assert(offsetof(QuadPacket, link) == PACKET_LINK_AT);
static_assert(offsetof(QuadPacket, slot) == PACKET_SLOT_AT);
static_assert(offsetof(QuadPacket, vertex) == PACKET_HEADER_BYTES);
static_assert(offsetof(MarkerPacket, link) == PACKET_LINK_AT);
static_assert(offsetof(MarkerPacket, slot) == PACKET_SLOT_AT);
static_assert(offsetof(MarkerPacket, spare) == PACKET_HEADER_BYTES);

// The index arrays that follow the header, in order.
enum PacketArray { PACKET_VERTICES, PACKET_COLOURS, PACKET_TEXCOORDS };

// Where index i of an array lies in a packet whose layout has vertices (3 or 4) entries per array.
constexpr size_t packet_index_at(PacketArray array, int32_t vertices, int32_t i)
{
    return PACKET_HEADER_BYTES + (static_cast<size_t>(array) * vertices + i) * sizeof(int16_t);
}
static_assert(packet_index_at(PACKET_COLOURS, 3, 1) == offsetof(TriPacket, colour[1]));
static_assert(packet_index_at(PACKET_TEXCOORDS, 3, 2) == offsetof(TriPacket, texcoord[2]));
static_assert(packet_index_at(PACKET_COLOURS, 4, 0) == offsetof(QuadPacket, colour));
static_assert(packet_index_at(PACKET_TEXCOORDS, 4, 3) == offsetof(QuadPacket, texcoord[3]));

// The vertex count of a tag: 1 to 4 name the vertices the depth is taken from; 0, 5, 6 and 7 keep
// the depth the packet holds.
constexpr int32_t packet_vertex_count(uint32_t tag)
{
    return static_cast<int32_t>(tag & PACKET_VERTEX_COUNT_MASK);
}

// The bytes of the layout a tag implies: its triangle or quad layout by its vertex count, else
// the marker's header and six bytes, which also hold the three vertices a back-face test reads.
constexpr int32_t packet_layout_bytes(uint32_t tag)
{
    switch (packet_vertex_count(tag)) {
    case 3:
        return PACKET_TRI_BYTES;
    case 4:
        return PACKET_QUAD_BYTES;
    default:
        return PACKET_MARKER_BYTES;
    }
}

// Field access at a byte offset of a packet in the stream, which need not be aligned.
template <typename T> T packet_get(const uint8_t* packet, size_t at)
{
    T value;
    std::memcpy(&value, packet + at, sizeof value);
    return value;
}

template <typename T> void packet_put(uint8_t* packet, size_t at, T value)
{
    std::memcpy(packet + at, &value, sizeof value);
}
