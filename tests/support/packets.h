// Packets written field by field for tests.
#pragma once

#include "raster/packet.h"

// A packet of the tag's layout, its size field saying so, held in the largest layout's bytes (add
// its size of them to the stream): vertex, colour and texture-coordinate indices vertex + i,
// colour + i and colour + i in the arrays of a triangle or quad (any other count takes the
// quad's), so that a flat polygon's colour is entry colour.
inline QuadPacket test_packet(uint32_t tag, int32_t vertex, int32_t colour = 0,
                              int32_t depth_offset = 0, int32_t slot = 0)
{
    QuadPacket packet{};
    packet.tag = tag;
    packet.size = packet_layout_bytes(tag);
    packet.depth_offset = static_cast<int16_t>(depth_offset);
    packet.slot = static_cast<int16_t>(slot);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&packet);
    const int32_t count = packet_vertex_count(tag) == 3 ? 3 : 4;
    for (int32_t i = 0; i < count; ++i) {
        packet_put<int16_t>(bytes, packet_index_at(PACKET_VERTICES, count, i),
                            static_cast<int16_t>(vertex + i));
        for (const PacketArray array : {PACKET_COLOURS, PACKET_TEXCOORDS})
            packet_put<int16_t>(bytes, packet_index_at(array, count, i),
                                static_cast<int16_t>(colour + i));
    }
    return packet;
}
