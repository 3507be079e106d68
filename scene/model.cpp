#include "scene/model.h"

#include <cstring>
#include <initializer_list>

#include "platform/mem.h"
#include "platform/random.h"
#include "scene/effect.h"
#include "scene/matrix.h"
#include "scene/projection.h"

namespace {

// Every shape goes round in 16 equal steps of a 1024-unit turn.
constexpr int32_t MODEL_SEGMENTS = 16;
constexpr int32_t MODEL_SEGMENT_ANGLE = ANGLE_TURN / MODEL_SEGMENTS;
// math_circle_point radii: 1 gives 256 units, 2 gives 512.
constexpr int32_t MODEL_INNER_RADIUS = 1;
constexpr int32_t MODEL_OUTER_RADIUS = 2;
constexpr int32_t MODEL_BAND_HEIGHT = 50;
// The cone's rim: ring 3 of an ellipsoid of 16 rings, shifted by 2, a circle of radius 944 at
// height 780.
constexpr int32_t MODEL_CONE_RING = 3;
constexpr int32_t MODEL_CONE_SHIFT = 2;
// The vertex counts that the builders force into the low three bits of a tag.
constexpr int32_t MODEL_TRI_VERTICES = 3;
constexpr int32_t MODEL_QUAD_VERTICES = 4;
// A starburst spike: two points 4 units apart, 10 out along y, turned to a random direction.
constexpr Vec3 MODEL_SPIKE[2] = {{2, 10, 0, 0}, {-2, 10, 0, 0}};

// What the builder keeps for the model being built.
struct ModelBuilder {
    int32_t mode;
    int32_t vertex_count;
    int32_t vertices;
    int32_t colour_count;
    int32_t colours;
    int32_t packet_count;
    int32_t first_packet;
};

struct Models {
    Vec3* items;
    int32_t item_count;
    uint8_t* packets;
    int32_t packet_write; // byte offset into the packet store
    Model* table;
    int32_t count;
    ModelBuilder builder;
};

Models models;

// Is there room for bytes more in the packet store?
bool model_packet_room(int32_t bytes)
{
    return models.packets && bytes <= MODEL_PACKET_STORE_BYTES - models.packet_write;
}

// The header fields the builders write at the write position; link and depth stay unwritten.
uint8_t* model_put_header(uint32_t tag, int32_t size, int16_t depth_offset, int16_t slot)
{
    uint8_t* packet = models.packets + models.packet_write;
    packet_put<uint32_t>(packet, PACKET_TAG_AT, tag);
    packet_put<int32_t>(packet, PACKET_SIZE_AT, size);
    packet_put<int16_t>(packet, PACKET_DEPTH_OFFSET_AT, depth_offset);
    packet_put<int16_t>(packet, PACKET_SLOT_AT, slot);
    return packet;
}

// The index arrays follow the header in the same order in a template and in the stream.
template <typename Packet> void model_put_indices(uint8_t* out, const Packet& packet)
{
    std::memcpy(out + PACKET_HEADER_BYTES,
                reinterpret_cast<const uint8_t*>(&packet) + PACKET_HEADER_BYTES,
                offsetof(Packet, spare) - PACKET_HEADER_BYTES);
}

void model_count_packet(int32_t size)
{
    models.packet_write += size;
    ++models.builder.packet_count;
}

void model_triangle(int32_t v0, int32_t v1, int32_t v2, int32_t c0, int32_t c1, int32_t c2)
{
    TriPacket packet{};
    packet.tag = PACKET_GOURAUD_ADD_TRI;
    packet.vertex[0] = static_cast<int16_t>(v0);
    packet.vertex[1] = static_cast<int16_t>(v1);
    packet.vertex[2] = static_cast<int16_t>(v2);
    packet.colour[0] = static_cast<int16_t>(c0);
    packet.colour[1] = static_cast<int16_t>(c1);
    packet.colour[2] = static_cast<int16_t>(c2);
    model_add_triangle(packet);
}

void model_quad(const int32_t (&v)[4], const int32_t (&c)[4])
{
    QuadPacket packet{};
    packet.tag = PACKET_GOURAUD_ADD_QUAD;
    for (int32_t j = 0; j < 4; ++j) {
        packet.vertex[j] = static_cast<int16_t>(v[j]);
        packet.colour[j] = static_cast<int16_t>(c[j]);
    }
    model_add_quad(packet);
}

// Black and white as the model's colours 0 and 1, then the start of its packets.
void model_glow_colours_then_packets()
{
    model_begin_colours();
    model_add_point(0, 0, 0);
    model_add_point(MODEL_CHANNEL_MAX, MODEL_CHANNEL_MAX, MODEL_CHANNEL_MAX);
    model_begin_packets();
}

// Triangles from vertex 0 to each rim edge i+1, i+2, closing back on vertex 1: white at the
// centre, black at the rim.
void model_fan_packets()
{
    for (int32_t i = 0; i < MODEL_SEGMENTS; ++i)
        model_triangle(0, i + 1, (i + 1) % MODEL_SEGMENTS + 1, MODEL_COLOUR_WHITE,
                       MODEL_COLOUR_BLACK, MODEL_COLOUR_BLACK);
}

// Vertex 2i on the white edge and 2i+1 on the black edge: quads between consecutive pairs, or
// for the saw only their first halves.
void model_strip_packets(bool saw)
{
    constexpr int32_t vertices = 2 * MODEL_SEGMENTS;
    for (int32_t i = 0; i < MODEL_SEGMENTS; ++i) {
        const int32_t next_white = (2 * i + 2) % vertices;
        if (saw) {
            model_triangle(next_white, 2 * i, 2 * i + 1, MODEL_COLOUR_WHITE, MODEL_COLOUR_WHITE,
                           MODEL_COLOUR_BLACK);
            continue;
        }
        model_quad(
            {next_white, 2 * i, 2 * i + 1, (2 * i + 3) % vertices},
            {MODEL_COLOUR_WHITE, MODEL_COLOUR_WHITE, MODEL_COLOUR_BLACK, MODEL_COLOUR_BLACK});
    }
}

int32_t model_build_disc()
{
    model_begin_vertices();
    model_add_point(0, 0, 0);
    for (int32_t i = 0; i < MODEL_SEGMENTS; ++i) {
        int32_t x = 0;
        int32_t y = 0;
        math_circle_point(MODEL_SEGMENT_ANGLE * i, MODEL_INNER_RADIUS, &x, &y);
        model_add_point(x, y, 0);
    }
    model_glow_colours_then_packets();
    model_fan_packets();
    return model_end();
}

int32_t model_build_ring()
{
    model_begin_vertices();
    for (int32_t i = 0; i < MODEL_SEGMENTS; ++i) {
        for (const int32_t radius : {MODEL_INNER_RADIUS, MODEL_OUTER_RADIUS}) {
            int32_t x = 0;
            int32_t y = 0;
            math_circle_point(MODEL_SEGMENT_ANGLE * i, radius, &x, &y);
            model_add_point(x, y, 0);
        }
    }
    model_glow_colours_then_packets();
    model_strip_packets(false);
    return model_end();
}

// A band of radius 256 around the y axis, white along its top edge.
int32_t model_build_band(bool saw)
{
    model_begin_vertices();
    for (int32_t i = 0; i < MODEL_SEGMENTS; ++i) {
        int32_t x = 0;
        int32_t z = 0;
        math_circle_point(MODEL_SEGMENT_ANGLE * i, MODEL_INNER_RADIUS, &x, &z);
        model_add_point(x, MODEL_BAND_HEIGHT, z);
        model_add_point(x, 0, z);
    }
    model_glow_colours_then_packets();
    model_strip_packets(saw);
    return model_end();
}

int32_t model_build_cone()
{
    model_begin_vertices();
    model_add_point(0, 0, 0);
    for (int32_t i = 0; i < MODEL_SEGMENTS; ++i) {
        Vec3 rim{};
        math_sphere_point(&rim, MODEL_SEGMENTS, i, MODEL_CONE_RING, MODEL_CONE_SHIFT);
        model_add_item(rim);
    }
    model_glow_colours_then_packets();
    model_fan_packets();
    return model_end();
}

// Sixteen thin spikes in random directions, from the first 48 draws of the shared generator:
// nothing draws before it, so every run builds the same starburst.
int32_t model_build_starburst()
{
    model_begin_vertices();
    model_add_point(0, 0, 0);
    for (int32_t i = 0; i < MODEL_SEGMENTS; ++i) {
        // Drawn in this order and applied in reverse: the last draw turns about x.
        const int32_t r1 = random_next();
        const int32_t r2 = random_next();
        const int32_t r3 = random_next();
        Matrix rotation;
        math_matrix_rotation(&rotation, {r3 & ANGLE_MASK, r2 & ANGLE_MASK, r1 & ANGLE_MASK, 0});
        Vec3 spike[2] = {};
        math_transform_points(2, spike, MODEL_SPIKE, rotation);
        model_add_item(spike[0]);
        model_add_item(spike[1]);
    }
    model_glow_colours_then_packets();
    for (int32_t i = 0; i < MODEL_SEGMENTS; ++i)
        model_triangle(0, 2 * i + 1, 2 * i + 2, MODEL_COLOUR_WHITE, MODEL_COLOUR_BLACK,
                       MODEL_COLOUR_BLACK);
    return model_end();
}

// Is the run of count entries from first inside a store of capacity entries?
bool model_in_store(int32_t first, int32_t count, int32_t capacity)
{
    return first >= 0 && count >= 0 && first <= capacity && count <= capacity - first;
}

// Whether the lists lie in the stores and the packets, each a triangle or a quad of its layout's
// size, add up to exactly the packet bytes: the effect player copies a model on that trust.
bool model_valid(const Model& model)
{
    if (!models.items || !models.packets ||
        !model_in_store(model.vertices, model.vertex_count, MODEL_ITEMS) ||
        !model_in_store(model.colours, model.colour_count, MODEL_ITEMS) ||
        !model_in_store(model.packets, model.packet_bytes, MODEL_PACKET_STORE_BYTES) ||
        model.packet_count < 0)
        return false;
    int32_t left = model.packet_bytes;
    const uint8_t* packet = models.packets + model.packets;
    for (int32_t p = 0; p < model.packet_count; ++p) {
        if (left < PACKET_TRI_BYTES)
            return false;
        const auto tag = packet_get<uint32_t>(packet, PACKET_TAG_AT);
        const auto size = packet_get<int32_t>(packet, PACKET_SIZE_AT);
        const int32_t vertices = packet_vertex_count(tag);
        if ((vertices != MODEL_TRI_VERTICES && vertices != MODEL_QUAD_VERTICES) ||
            size != packet_layout_bytes(tag) || size > left)
            return false;
        packet += size;
        left -= size;
    }
    return left == 0;
}

} // namespace

int32_t model_init_table()
{
    models.table = static_cast<Model*>(mem_alloc(MODEL_TABLE_SIZE * sizeof(Model)));
    models.count = 0;
    return models.table ? 0 : -1;
}

void model_free_table()
{
    mem_free(models.table);
    models.table = nullptr;
    models.count = 0;
}

int32_t model_build_all()
{
    models.items = static_cast<Vec3*>(mem_alloc(MODEL_ITEMS * MODEL_ITEM_BYTES));
    if (!models.items)
        return -1;
    models.item_count = 0;
    models.packets = static_cast<uint8_t*>(mem_alloc(MODEL_PACKET_STORE_BYTES));
    if (!models.packets)
        return -1;
    models.packet_write = 0;
    models.builder = {};
    // The order gives the indices MODEL_DISC to MODEL_STARBURST.
    model_build_disc();
    model_build_ring();
    model_build_band(false);
    model_build_band(true);
    model_build_cone();
    model_build_starburst();
    effect_build_scripts();
    return 0;
}

void model_free_stores()
{
    mem_free(models.packets);
    mem_free(models.items);
    models.packets = nullptr;
    models.items = nullptr;
    models.item_count = 0;
    models.packet_write = 0;
}

void model_begin_vertices()
{
    models.builder.vertex_count = 0;
    models.builder.vertices = models.item_count;
    models.builder.mode = MODEL_LIST_VERTICES;
}

void model_begin_colours()
{
    models.builder.colour_count = 0;
    models.builder.colours = models.item_count;
    models.builder.mode = MODEL_LIST_COLOURS;
}

int32_t model_add_item(const Vec3& item)
{
    if (!models.items || models.item_count >= MODEL_ITEMS)
        return models.item_count;
    models.items[models.item_count] = item;
    switch (models.builder.mode) {
    case MODEL_LIST_VERTICES:
        ++models.builder.vertex_count;
        break;
    case MODEL_LIST_COLOURS:
        ++models.builder.colour_count;
        break;
    default:
        return models.item_count;
    }
    return ++models.item_count;
}

int32_t model_add_point(int32_t a, int32_t b, int32_t c)
{
    return model_add_item({a, b, c, 0});
}

Vec3* model_current_item()
{
    return models.items && models.item_count < MODEL_ITEMS ? &models.items[models.item_count]
                                                           : nullptr;
}

void model_begin_packets()
{
    models.builder.packet_count = 0;
    models.builder.first_packet = models.packet_write;
}

void model_add_triangle(const TriPacket& packet)
{
    if (!model_packet_room(PACKET_TRI_BYTES))
        return;
    const uint32_t tag =
        (packet.tag & ~PACKET_VERTEX_COUNT_MASK) | static_cast<uint32_t>(MODEL_TRI_VERTICES);
    uint8_t* out = model_put_header(tag, PACKET_TRI_BYTES, packet.depth_offset, packet.slot);
    model_put_indices(out, packet);
    model_count_packet(PACKET_TRI_BYTES);
}

void model_add_quad(const QuadPacket& packet)
{
    if (!model_packet_room(PACKET_QUAD_BYTES))
        return;
    const uint32_t tag =
        (packet.tag & ~PACKET_VERTEX_COUNT_MASK) | static_cast<uint32_t>(MODEL_QUAD_VERTICES);
    uint8_t* out = model_put_header(tag, PACKET_QUAD_BYTES, packet.depth_offset, packet.slot);
    model_put_indices(out, packet);
    model_count_packet(PACKET_QUAD_BYTES);
}

int32_t model_end()
{
    const ModelBuilder& b = models.builder;
    return model_register({b.vertex_count, b.vertices, b.colour_count, b.colours, 0, 0,
                           b.packet_count, b.first_packet, models.packet_write - b.first_packet});
}

int32_t model_register(const Model& model)
{
    if (!models.table || models.count >= MODEL_TABLE_SIZE || !model_valid(model))
        return -1;
    models.table[models.count] = model;
    return models.count++;
}

int32_t model_count()
{
    return models.count;
}

const Model* model_get(int32_t index)
{
    // A model is only as good as the stores its lists lie in.
    return models.table && models.items && models.packets && index >= 0 && index < models.count
               ? &models.table[index]
               : nullptr;
}

const Vec3* model_item(int32_t index)
{
    return models.items && index >= 0 && index < MODEL_ITEMS ? &models.items[index] : nullptr;
}

const uint8_t* model_packet(int32_t offset)
{
    return models.packets && offset >= 0 && offset < MODEL_PACKET_STORE_BYTES
               ? models.packets + offset
               : nullptr;
}

void model_copy_packets(uint8_t* out, const Model& model, int32_t first_vertex,
                        int32_t first_colour)
{
    const uint8_t* in = model_packet(model.packets);
    for (int32_t p = 0; p < model.packet_count; ++p) {
        const auto tag = packet_get<uint32_t>(in, PACKET_TAG_AT);
        const auto size = packet_get<int32_t>(in, PACKET_SIZE_AT);
        packet_put<uint32_t>(out, PACKET_TAG_AT, tag);
        packet_put<int32_t>(out, PACKET_SIZE_AT, size);
        packet_put<int16_t>(out, PACKET_DEPTH_OFFSET_AT,
                            packet_get<int16_t>(in, PACKET_DEPTH_OFFSET_AT));
        packet_put<int16_t>(out, PACKET_SLOT_AT, packet_get<int16_t>(in, PACKET_SLOT_AT));
        const int32_t n = packet_vertex_count(tag);
        for (int32_t j = 0; j < n; ++j) {
            const size_t vertex_at = packet_index_at(PACKET_VERTICES, n, j);
            const size_t colour_at = packet_index_at(PACKET_COLOURS, n, j);
            // 16-bit sums, as the index fields are.
            packet_put<int16_t>(
                out, vertex_at,
                static_cast<int16_t>(packet_get<int16_t>(in, vertex_at) + first_vertex));
            packet_put<int16_t>(
                out, colour_at,
                static_cast<int16_t>(packet_get<int16_t>(in, colour_at) + first_colour));
        }
        in += size;
        out += size;
    }
}

int32_t model_items_used()
{
    return models.item_count;
}

int32_t model_packet_bytes_used()
{
    return models.packet_write;
}
