// The ordering table and the fillers under any packet stream: any codes, sizes, depths, depth
// offsets, indices, texture slots and flags, over projected vertices with any coordinates, depths
// and clip flags, colour entries and texture coordinates of any value and a few textures of
// different sizes. Each input is inserted and drawn as ot_draw_scene does, into a frame buffer of
// its own size with canary pixels on both sides; a changed canary aborts.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/random.h"
#include "platform/texture.h"
#include "raster/ordering_table.h"
#include "raster/packet.h"
#include "scene/effect.h"
#include "scene/model.h"
#include "scene/scene.h"
#include "scene/scene_buffer.h"
#include "tests/support/raster_canvas.h"

namespace {

// The frame buffer: an even width of 2 to 160 and a height of 1 to 120.
constexpr int32_t FUZZ_MAX_HALF_WIDTH = 80;
constexpr int32_t FUZZ_MAX_HEIGHT = 120;
// Enough of every table for every index to be in range or just out of it.
constexpr int32_t FUZZ_MAX_VERTICES = 40;
constexpr int32_t FUZZ_MAX_ENTRIES = 16;
constexpr int32_t FUZZ_MAX_PACKETS = 64;
// The most bytes a packet with a size beyond its layout takes in the stream.
constexpr int32_t FUZZ_MAX_PACKET_BYTES = 128;

constexpr int32_t FUZZ_CODES[] = {
    PACKET_FLAT_TRI,        PACKET_FLAT_QUAD,    PACKET_TEX_TRI,      PACKET_TEX_QUAD,
    PACKET_TEX_ADD_TRI,     PACKET_TEX_ADD_QUAD, PACKET_TEX_HALF_TRI, PACKET_TEX_HALF_QUAD,
    PACKET_GOURAUD_TRI,     PACKET_GOURAUD_QUAD, PACKET_MARKER,       PACKET_GOURAUD_ADD_TRI,
    PACKET_GOURAUD_ADD_QUAD};

// Texture slots 0 to 4, 2^E x 2^F: the floor's 128 x 128, one texel, the largest the fillers
// draw, one too wide for them, and a narrow one. The other slots stay empty.
constexpr int32_t FUZZ_TEXTURES[][2] = {{7, 7}, {0, 0}, {8, 8}, {10, 0}, {3, 5}};

// The scene as start-up leaves it (the maths, the scene buffer with its tables registered, the
// models and the burst script), the textures, and one endless instance of the script at step 0,
// so that markers naming instance 0 are drawn. The header is saved so that every input starts
// from it.
void fuzz_raster_start()
{
    random_reset();
    if (math_init_tables() < 0 || scene_init_buffer() < 0 || effect_init_stores() < 0 ||
        model_build_all() < 0)
        std::abort();
    scene_init();
    scene_register_tables();
    tex_init();
    for (const auto& size : FUZZ_TEXTURES) {
        const int32_t slot = tex_create(size[0], size[1]);
        if (slot < 0)
            std::abort();
        const int32_t texels = 1 << (size[0] + size[1]);
        for (int32_t i = 0; i < texels; ++i)
            tex_pixels(slot)[i] = static_cast<Pixel>(i * 0x1234 + slot);
    }
    effect_start(OT_MARKER_FIRST_STEP, INT32_MAX, {}, {}, {}, {});
    scene_save_header();
}

// The header as saved and every table blank, so that nothing of an earlier input is read.
void fuzz_raster_reset(SceneBuffer& buffer)
{
    scene_restore_header();
    SceneHeader& header = buffer.header;
    std::memset(buffer.packet_area, 0, static_cast<size_t>(buffer.packet_bytes));
    std::fill_n(buffer.vertex_table, buffer.vertex_capacity, ScreenVertex{});
    std::fill_n(buffer.flat_table, buffer.flat_capacity, Pixel{0});
    std::fill_n(header.colour_entries, SCENE_COLOUR_ENTRIES, ColourEntry{});
    std::fill_n(header.texcoords, SCENE_TEXCOORD_ENTRIES, TexCoordEntry{});
}

void fuzz_vertices(FuzzInput& in, int32_t width, int32_t height)
{
    const int32_t count = fuzz_byte(in) % FUZZ_MAX_VERTICES;
    const int32_t first = scene_reserve_vertices(count);
    for (int32_t i = 0; i < count && first >= 0; ++i) {
        ScreenVertex& vertex = *scene_vertex_slot(first + i);
        vertex.x = fuzz_number(in, -width, 2 * width);
        vertex.y = fuzz_number(in, -height, 2 * height);
        vertex.depth = fuzz_number(in, -16, OT_BUCKETS + 16);
        vertex.clip = fuzz_number(in, VERTEX_CLIPPED, VERTEX_PROJECTED);
    }
}

void fuzz_colours_and_texcoords(FuzzInput& in)
{
    ColourEntry colours[FUZZ_MAX_ENTRIES] = {};
    const int32_t colour_count = fuzz_byte(in) % FUZZ_MAX_ENTRIES;
    for (int32_t i = 0; i < colour_count; ++i)
        colours[i] = {fuzz_number(in, 0, 255), fuzz_number(in, 0, 255), fuzz_number(in, 0, 255), 0};
    scene_add_colours(colours, colour_count);
    TexCoordEntry texcoords[FUZZ_MAX_ENTRIES] = {};
    const int32_t texcoord_count = fuzz_byte(in) % FUZZ_MAX_ENTRIES;
    for (int32_t i = 0; i < texcoord_count; ++i)
        texcoords[i] = {fuzz_number(in, -256, 512), fuzz_number(in, -256, 512), {}};
    scene_add_texcoords(texcoords, texcoord_count);
}

// One packet appended to the stream: a known code or any tag, its layout's size or any, and
// every header field and index from the input. A size below the layout still takes the layout's
// bytes, as a writer that lied about it would.
void fuzz_packet(FuzzInput& in, std::vector<uint8_t>& stream)
{
    const uint8_t choice = fuzz_byte(in);
    uint32_t tag = choice < 0xF0 ? static_cast<uint32_t>(FUZZ_CODES[choice % std::size(FUZZ_CODES)])
                                 : fuzz_word(in);
    if (fuzz_byte(in) & 1)
        tag |= PACKET_FLAG_CULL_BACK;
    tag |= static_cast<uint32_t>(fuzz_number(in, 0, 2)) << PACKET_INSTANCE_SHIFT;
    const int32_t layout = packet_layout_bytes(tag);
    const int32_t size = fuzz_byte(in) < 0xE0 ? layout : fuzz_number(in, 0, FUZZ_MAX_PACKET_BYTES);
    const size_t at = stream.size();
    stream.resize(at + static_cast<size_t>(std::clamp(size, layout, FUZZ_MAX_PACKET_BYTES)));
    uint8_t* packet = stream.data() + at;
    packet_put<uint32_t>(packet, PACKET_TAG_AT, tag);
    packet_put<int32_t>(packet, PACKET_SIZE_AT, size);
    packet_put<int32_t>(packet, PACKET_LINK_AT, fuzz_number(in, OT_EMPTY, 64));
    packet_put<int16_t>(packet, PACKET_DEPTH_AT, static_cast<int16_t>(fuzz_word(in)));
    packet_put<int16_t>(packet, PACKET_DEPTH_OFFSET_AT,
                        static_cast<int16_t>(fuzz_number(in, -16, OT_BUCKETS + 16)));
    packet_put<int16_t>(packet, PACKET_SLOT_AT,
                        static_cast<int16_t>(fuzz_number(in, -1, FUZZ_MAX_VERTICES)));
    for (size_t i = PACKET_HEADER_BYTES; i + sizeof(int16_t) <= static_cast<size_t>(layout);
         i += sizeof(int16_t))
        packet_put<int16_t>(packet, i,
                            static_cast<int16_t>(fuzz_number(in, -1, FUZZ_MAX_VERTICES)));
}

void fuzz_packets(FuzzInput& in)
{
    std::vector<uint8_t> stream;
    const int32_t count = fuzz_byte(in) % FUZZ_MAX_PACKETS;
    for (int32_t p = 0; p < count; ++p)
        fuzz_packet(in, stream);
    scene_add_packets(stream.data(), static_cast<int32_t>(stream.size()), count);
    // The count may also claim more packets than the stream holds, or fewer.
    if (fuzz_byte(in) & 1)
        scene_header().packet_count = fuzz_number(in, -1, FUZZ_MAX_PACKETS);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_raster_start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in{data, size};
    const int32_t width = 2 * (1 + fuzz_byte(in) % FUZZ_MAX_HALF_WIDTH);
    const int32_t height = 1 + fuzz_byte(in) % FUZZ_MAX_HEIGHT;
    RasterCanvas canvas(width, height, static_cast<Pixel>(fuzz_word(in)));
    SceneBuffer& buffer = *scene_current();
    fuzz_raster_reset(buffer);
    fuzz_vertices(in, width, height);
    fuzz_colours_and_texcoords(in);
    fuzz_packets(in);
    ot_insert_packets(buffer);
    ot_flush(buffer, canvas.target());
    if (!canvas.canaries_intact())
        std::abort();
    return 0;
}
