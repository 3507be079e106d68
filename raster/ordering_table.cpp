#include "raster/ordering_table.h"

#include <algorithm>

#include "raster/clip.h"
#include "raster/flat.h"
#include "raster/gouraud.h"
#include "raster/packet.h"
#include "raster/textured.h"
#include "scene/effect.h"

namespace {

// The tables packets index, with the entries each holds: the projected-vertex and flat-colour
// tables as the scene buffer was created, and the registered tables, which are the scene's own.
struct OtTables {
    const ScreenVertex* vertices;
    int32_t vertex_count;
    const Pixel* flat_colours;
    int32_t flat_count;
    const ColourEntry* colours;
    int32_t colour_count;
    const TexCoordEntry* texcoords;
    int32_t texcoord_count;
};

OtTables ot_tables(const SceneBuffer& buffer)
{
    const SceneHeader& header = buffer.header;
    return {buffer.vertex_table,   buffer.vertex_capacity,
            buffer.flat_table,     buffer.flat_capacity,
            header.colour_entries, header.colour_entries ? SCENE_COLOUR_ENTRIES : 0,
            header.texcoords,      header.texcoords ? SCENE_TEXCOORD_ENTRIES : 0};
}

// Which table a code's filler reads besides the vertices.
enum class PacketData { NONE, FLAT_COLOUR, COLOURS, TEXCOORDS };

PacketData ot_packet_data(int32_t code)
{
    switch (code) {
    case PACKET_FLAT_TRI:
    case PACKET_FLAT_QUAD:
        return PacketData::FLAT_COLOUR;
    case PACKET_GOURAUD_TRI:
    case PACKET_GOURAUD_QUAD:
    case PACKET_GOURAUD_ADD_TRI:
    case PACKET_GOURAUD_ADD_QUAD:
        return PacketData::COLOURS;
    case PACKET_TEX_TRI:
    case PACKET_TEX_QUAD:
    case PACKET_TEX_ADD_TRI:
    case PACKET_TEX_ADD_QUAD:
    case PACKET_TEX_HALF_TRI:
    case PACKET_TEX_HALF_QUAD:
        return PacketData::TEXCOORDS;
    default:
        return PacketData::NONE;
    }
}

int32_t ot_index(const uint8_t* packet, PacketArray array, int32_t i)
{
    const int32_t vertices = packet_vertex_count(packet_get<uint32_t>(packet, PACKET_TAG_AT));
    return packet_get<int16_t>(packet, packet_index_at(array, vertices, i));
}

int32_t ot_slot(const uint8_t* packet)
{
    return packet_get<int16_t>(packet, PACKET_SLOT_AT);
}

bool ot_in_table(int32_t index, int32_t entries)
{
    return index >= 0 && index < entries;
}

bool ot_array_in_table(const uint8_t* packet, PacketArray array, int32_t count, int32_t entries)
{
    for (int32_t i = 0; i < count; ++i) {
        if (!ot_in_table(ot_index(packet, array, i), entries))
            return false;
    }
    return true;
}

// Whether every index that the depth, the back-face test and the filler read lies in its table.
bool ot_indices_valid(const uint8_t* packet, uint32_t tag, const OtTables& tables)
{
    const int32_t vertices = packet_vertex_count(tag);
    if (vertices == 1 && !ot_in_table(ot_slot(packet), tables.vertex_count))
        return false;
    int32_t vertices_read = vertices >= 2 && vertices <= RASTER_POLYGON_MAX ? vertices : 0;
    if (tag & PACKET_FLAG_CULL_BACK)
        vertices_read = std::max(vertices_read, 3);
    if (!ot_array_in_table(packet, PACKET_VERTICES, vertices_read, tables.vertex_count))
        return false;
    switch (ot_packet_data(static_cast<int32_t>(tag & PACKET_CODE_MASK))) {
    case PacketData::FLAT_COLOUR:
        return ot_array_in_table(packet, PACKET_COLOURS, 1, tables.flat_count);
    case PacketData::COLOURS:
        return ot_array_in_table(packet, PACKET_COLOURS, vertices, tables.colour_count);
    case PacketData::TEXCOORDS:
        return ot_array_in_table(packet, PACKET_TEXCOORDS, vertices, tables.texcoord_count);
    default:
        return true;
    }
}

const ScreenVertex& ot_vertex(const uint8_t* packet, int32_t i, const OtTables& tables)
{
    return tables.vertices[ot_index(packet, PACKET_VERTICES, i)];
}

// (x1 - x0) * (y2 - y1) - (y1 - y0) * (x2 - x1) in 32 bits is negative when the first three
// vertices run counter-clockwise on screen, y growing downwards.
bool ot_faces_away(const uint8_t* packet, const OtTables& tables)
{
    const ScreenVertex& v0 = ot_vertex(packet, 0, tables);
    const ScreenVertex& v1 = ot_vertex(packet, 1, tables);
    const ScreenVertex& v2 = ot_vertex(packet, 2, tables);
    const int32_t turn = wrap_sub(wrap_mul(wrap_sub(v1.x, v0.x), wrap_sub(v2.y, v1.y)),
                                  wrap_mul(wrap_sub(v1.y, v0.y), wrap_sub(v2.x, v1.x)));
    return turn < 0;
}

// Shifts for two and four vertices, one division for three.
int32_t ot_average(int32_t sum, int32_t count)
{
    switch (count) {
    case 2:
        return sum >> 1;
    case 3:
        return sum / 3;
    case 4:
        return sum >> 2;
    default:
        return sum;
    }
}

// Writes the depth of a packet with 1 to 4 vertices; returns the depth the packet then holds.
int32_t ot_depth(uint8_t* packet, uint32_t tag, const OtTables& tables)
{
    const int32_t count = packet_vertex_count(tag);
    if (count >= 1 && count <= RASTER_POLYGON_MAX) {
        int32_t sum = 0;
        int32_t clip = 0;
        for (int32_t i = 0; i < count; ++i) {
            const ScreenVertex& vertex =
                count == 1 ? tables.vertices[ot_slot(packet)] : ot_vertex(packet, i, tables);
            sum = wrap_add(sum, vertex.depth);
            clip |= vertex.clip;
        }
        const int32_t depth = clip == VERTEX_CLIPPED ? DEPTH_CLIPPED : ot_average(sum, count);
        // Kept as its low 16 bits.
        packet_put<int16_t>(packet, PACKET_DEPTH_AT, static_cast<int16_t>(depth));
    }
    return packet_get<int16_t>(packet, PACKET_DEPTH_AT);
}

void ot_draw_marker(const uint8_t* packet, uint32_t tag, const OtTables& tables,
                    const RasterTarget& target)
{
    const int32_t instance = static_cast<int32_t>(tag) >> PACKET_INSTANCE_SHIFT;
    if (effect_instance_first_step(instance) != OT_MARKER_FIRST_STEP)
        return;
    const ScreenVertex& vertex = tables.vertices[ot_slot(packet)];
    raster_box(target, vertex.x, vertex.y, OT_MARKER_BOX_SIZE, OT_MARKER_BOX_SIZE,
               OT_MARKER_COLOUR);
}

// OT_EMPTY has every bit set, so a run of heads is all empty exactly when their AND is OT_EMPTY:
// one test for the run, which the compiler makes a few vector instructions.
static_assert(OT_EMPTY == -1);
constexpr int32_t OT_EMPTY_RUN = 16;

bool ot_run_empty(const int32_t* heads)
{
    int32_t all = OT_EMPTY;
    for (int32_t i = 0; i < OT_EMPTY_RUN; ++i)
        all &= heads[i];
    return all == OT_EMPTY;
}

void ot_draw_packet(const uint8_t* packet, const OtTables& tables, const RasterTarget& target)
{
    const uint32_t tag = packet_get<uint32_t>(packet, PACKET_TAG_AT);
    const int32_t slot = ot_slot(packet);
    const auto v = [&](int32_t i) -> const ScreenVertex& { return ot_vertex(packet, i, tables); };
    const auto c = [&](int32_t i) -> const ColourEntry& {
        return tables.colours[ot_index(packet, PACKET_COLOURS, i)];
    };
    const auto t = [&](int32_t i) -> const TexCoordEntry& {
        return tables.texcoords[ot_index(packet, PACKET_TEXCOORDS, i)];
    };
    const auto flat = [&] { return tables.flat_colours[ot_index(packet, PACKET_COLOURS, 0)]; };

    switch (static_cast<int32_t>(tag & PACKET_CODE_MASK)) {
    case PACKET_FLAT_TRI:
        raster_flat_tri(target, v(0), v(1), v(2), flat());
        break;
    case PACKET_FLAT_QUAD:
        raster_flat_quad(target, v(0), v(1), v(2), v(3), flat());
        break;
    case PACKET_TEX_TRI:
        raster_tex_tri(target, v(0), v(1), v(2), t(0), t(1), t(2), slot);
        break;
    case PACKET_TEX_QUAD:
        raster_tex_quad(target, v(0), v(1), v(2), v(3), t(0), t(1), t(2), t(3), slot);
        break;
    case PACKET_TEX_ADD_TRI:
        raster_tex_add_tri(target, v(0), v(1), v(2), t(0), t(1), t(2), slot);
        break;
    case PACKET_TEX_ADD_QUAD:
        raster_tex_add_quad(target, v(0), v(1), v(2), v(3), t(0), t(1), t(2), t(3), slot);
        break;
    case PACKET_TEX_HALF_TRI:
        raster_tex_half_tri(target, v(0), v(1), v(2), t(0), t(1), t(2), slot);
        break;
    case PACKET_TEX_HALF_QUAD:
        raster_tex_half_quad(target, v(0), v(1), v(2), v(3), t(0), t(1), t(2), t(3), slot);
        break;
    case PACKET_GOURAUD_TRI:
        raster_gouraud_tri(target, v(0), v(1), v(2), c(0), c(1), c(2));
        break;
    case PACKET_GOURAUD_QUAD:
        raster_gouraud_quad(target, v(0), v(1), v(2), v(3), c(0), c(1), c(2), c(3));
        break;
    case PACKET_MARKER:
        ot_draw_marker(packet, tag, tables, target);
        break;
    case PACKET_GOURAUD_ADD_TRI:
        raster_gouraud_add_tri(target, v(0), v(1), v(2), c(0), c(1), c(2));
        break;
    case PACKET_GOURAUD_ADD_QUAD:
        raster_gouraud_add_quad(target, v(0), v(1), v(2), v(3), c(0), c(1), c(2), c(3));
        break;
    default:
        break;
    }
}

// A bucket's packets lie anywhere in the area, which a large scene spreads beyond the caches, so
// the next one is fetched while this one is drawn: both cache lines that the largest layout can
// touch. A prefetch changes nothing that the program sees, whatever the address.
void ot_prefetch_packet(const SceneBuffer& buffer, int32_t offset)
{
    if (offset == OT_EMPTY)
        return;
    const uint8_t* packet = buffer.packet_area + offset;
    __builtin_prefetch(packet);
    __builtin_prefetch(packet + (PACKET_QUAD_BYTES - 1));
}

} // namespace

void ot_draw_scene()
{
    SceneBuffer& buffer = *scene_current();
    ot_insert_packets(buffer);
    ot_flush(buffer, raster_frame_target());
}

void ot_insert_packets(SceneBuffer& buffer)
{
    int32_t* heads = scene_ordering_table()->heads;
    const OtTables tables = ot_tables(buffer);
    const uintptr_t area_bytes = static_cast<uintptr_t>(buffer.packet_bytes);
    // Compared as addresses, so that a first packet outside the area ends the walk at once.
    uintptr_t offset = reinterpret_cast<uintptr_t>(buffer.header.first_packet) -
                       reinterpret_cast<uintptr_t>(buffer.packet_area);
    for (int32_t n = 0; n < buffer.header.packet_count; ++n) {
        // The smallest layout must fit before the tag and the size can be read.
        if (offset > area_bytes || area_bytes - offset < PACKET_MARKER_BYTES)
            return;
        uint8_t* packet = buffer.packet_area + offset;
        const uint32_t tag = packet_get<uint32_t>(packet, PACKET_TAG_AT);
        const int32_t size = packet_get<int32_t>(packet, PACKET_SIZE_AT);
        // Nothing after a packet that overlaps its successor or leaves the area can be trusted.
        if (size < packet_layout_bytes(tag) || static_cast<uintptr_t>(size) > area_bytes - offset)
            return;
        offset += static_cast<uintptr_t>(size);

        if (!ot_indices_valid(packet, tag, tables))
            continue;
        if ((tag & PACKET_FLAG_CULL_BACK) && ot_faces_away(packet, tables))
            continue;
        const int32_t key =
            ot_depth(packet, tag, tables) + packet_get<int16_t>(packet, PACKET_DEPTH_OFFSET_AT);
        if (key < 0 || key >= OT_BUCKETS)
            continue;
        packet_put<int32_t>(packet, PACKET_LINK_AT, heads[key]);
        heads[key] = static_cast<int32_t>(packet - buffer.packet_area);
    }
}

int32_t ot_flush(SceneBuffer& buffer, const RasterTarget& target)
{
    int32_t* heads = scene_ordering_table()->heads;
    const OtTables tables = ot_tables(buffer);
    for (int32_t bucket = OT_BUCKETS - 1; bucket > 0; --bucket) {
        // Most buckets of a frame are empty: those are read and left as they are, whole runs
        // at a time where the run stays clear of bucket 0.
        if (bucket >= OT_EMPTY_RUN && ot_run_empty(heads + bucket - (OT_EMPTY_RUN - 1))) {
            bucket -= OT_EMPTY_RUN - 1;
            continue;
        }
        if (heads[bucket] == OT_EMPTY)
            continue;
        for (int32_t at = heads[bucket]; at != OT_EMPTY;) {
            const uint8_t* packet = buffer.packet_area + at;
            ot_prefetch_packet(buffer, packet_get<int32_t>(packet, PACKET_LINK_AT));
            ot_draw_packet(packet, tables, target);
            // Only once the filler has returned.
            at = packet_get<int32_t>(packet, PACKET_LINK_AT);
        }
        heads[bucket] = OT_EMPTY;
    }
    return 0;
}
