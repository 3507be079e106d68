// Packets written field by field for tests, each vertex of a polygon with the same colour index.
#pragma once

#include <vector>

#include "raster/packet.h"

inline TriPacket tri_packet(uint32_t tag, int16_t a, int16_t b, int16_t c, int16_t colour,
                            int16_t depth_offset = 0)
{
    TriPacket packet{};
    packet.tag = tag;
    packet.size = PACKET_TRI_BYTES;
    packet.depth_offset = depth_offset;
    const int16_t vertices[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        packet.vertex[i] = vertices[i];
        packet.colour[i] = colour;
    }
    return packet;
}

// Vertices first_vertex to first_vertex + 3, in order around the quad.
inline QuadPacket quad_packet(uint32_t tag, int16_t first_vertex, int16_t colour,
                              int16_t depth_offset = 0)
{
    QuadPacket packet{};
    packet.tag = tag;
    packet.size = PACKET_QUAD_BYTES;
    packet.depth_offset = depth_offset;
    for (int16_t i = 0; i < 4; ++i) {
        packet.vertex[i] = static_cast<int16_t>(first_vertex + i);
        packet.colour[i] = colour;
    }
    return packet;
}

inline MarkerPacket marker_packet(uint32_t tag, int16_t slot, int16_t depth = 0)
{
    MarkerPacket packet{};
    packet.tag = tag;
    packet.size = PACKET_MARKER_BYTES;
    packet.depth = depth;
    packet.slot = slot;
    return packet;
}

// A triangle or quad, by the tag's vertex count, whose vertex, colour and texture-coordinate
// indices are first to first + count - 1 in turn, laid out from the index arrays' offsets.
inline std::vector<uint8_t> indexed_packet(uint32_t tag, int16_t first, int16_t slot = 0)
{
    std::vector<uint8_t> packet(static_cast<size_t>(packet_layout_bytes(tag)));
    packet_put<uint32_t>(packet.data(), PACKET_TAG_AT, tag);
    packet_put<int32_t>(packet.data(), PACKET_SIZE_AT, packet_layout_bytes(tag));
    packet_put<int16_t>(packet.data(), PACKET_SLOT_AT, slot);
    const int32_t count = packet_vertex_count(tag);
    for (int16_t i = 0; i < count; ++i) {
        for (const PacketArray array : {PACKET_VERTICES, PACKET_COLOURS, PACKET_TEXCOORDS})
            packet_put<int16_t>(packet.data(), packet_index_at(array, count, i),
                                static_cast<int16_t>(first + i));
    }
    return packet;
}
