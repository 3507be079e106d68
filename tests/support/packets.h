// Packets written field by field for tests, each vertex of a polygon with the same colour index.
#pragma once

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
