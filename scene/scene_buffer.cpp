#include "scene/scene_buffer.h"

#include <cstring>

#include "platform/mem.h"
#include "platform/surface.h"
#include "platform/table_registry.h"
#include "scene/fixed.h"

namespace {

// The tables the scene registers at start-up. Nothing reads the spare one.
struct RegisteredTables {
    Vec3 spare[SCENE_SPARE_TABLE_ENTRIES];
    ColourEntry colours[SCENE_COLOUR_ENTRIES];
    TexCoordEntry texcoords[SCENE_TEXCOORD_ENTRIES];
};

struct SceneBufferState {
    SceneBuffer* buffer; // the one start-up made and teardown frees
    SceneBuffer* current;
    OrderingTable* ordering_table;
    SceneHeader saved[HEADER_SAVE_DEPTH];
    int32_t save_depth;
    ClipBounds clip = {CLIP_BOUNDS_START, CLIP_BOUNDS_START, CLIP_BOUNDS_START, CLIP_BOUNDS_START};
    RegisteredTables tables;
};

SceneBufferState scene_buffer;

constexpr int64_t scene_align(int64_t bytes)
{
    return (bytes + SCENE_ENTRY_BYTES - 1) / SCENE_ENTRY_BYTES * SCENE_ENTRY_BYTES;
}

// Byte offsets of the regions from the start of the allocation, and its total size.
struct SceneLayout {
    int64_t packets;
    int64_t vertices;
    int64_t spare_tables;
    int64_t flat_colours;
    int64_t total;
};

SceneLayout scene_layout(int32_t packet_bytes, int32_t vertices, int32_t colours, int32_t spare_d,
                         int32_t spare_e)
{
    SceneLayout layout;
    layout.packets = scene_align(sizeof(SceneBuffer)) + int64_t{spare_e} * SCENE_ENTRY_BYTES;
    // Rounded up so that the vertex records after it stay aligned whatever the packet bytes.
    layout.vertices = layout.packets + scene_align(packet_bytes);
    layout.spare_tables = layout.vertices + int64_t{vertices} * SCENE_ENTRY_BYTES;
    layout.flat_colours =
        layout.spare_tables + (int64_t{colours} + spare_d + spare_e) * SCENE_ENTRY_BYTES;
    layout.total = layout.flat_colours + int64_t{colours} * sizeof(Pixel);
    return layout;
}

// Is count more entries within a table of capacity entries of which used are taken?
bool scene_room_for(int32_t used, int32_t count, int32_t capacity)
{
    return count >= 0 && used >= 0 && used <= capacity && count <= capacity - used;
}

// Bits 3 to 7 of each 8-bit channel.
Pixel scene_flat_colour(const ColourEntry& entry)
{
    return rgb555_from_rgb5(static_cast<uint32_t>(entry.red) >> 3,
                            static_cast<uint32_t>(entry.green) >> 3,
                            static_cast<uint32_t>(entry.blue) >> 3);
}

} // namespace

SceneBuffer* scene_buffer_create(int32_t packet_bytes, int32_t vertices, int32_t colours,
                                 int32_t spare_d, int32_t spare_e)
{
    if (packet_bytes < 0 || vertices < 0 || colours < 0 || spare_d < 0 || spare_e < 0)
        return nullptr;
    const SceneLayout layout = scene_layout(packet_bytes, vertices, colours, spare_d, spare_e);
    if (layout.total > INT32_MAX)
        return nullptr;
    auto* base = static_cast<uint8_t*>(mem_alloc(static_cast<int32_t>(layout.total)));
    if (!base)
        return nullptr;
    auto* buffer = reinterpret_cast<SceneBuffer*>(base);
    buffer->packet_area = base + layout.packets;
    buffer->packet_bytes = packet_bytes;
    buffer->vertex_table = reinterpret_cast<ScreenVertex*>(base + layout.vertices);
    buffer->vertex_capacity = vertices;
    buffer->flat_table = reinterpret_cast<Pixel*>(base + layout.flat_colours);
    buffer->flat_capacity = colours;

    uint8_t* spare = base + layout.spare_tables;
    SceneHeader& header = buffer->header;
    header.first_packet = buffer->packet_area;
    header.packet_write = buffer->packet_area;
    header.vertices = buffer->vertex_table;
    header.spare_first = spare;
    header.flat_colours = buffer->flat_table;
    header.spare_second = spare + int64_t{colours} * SCENE_ENTRY_BYTES;
    header.spare_third = spare + (int64_t{colours} + spare_d) * SCENE_ENTRY_BYTES;
    return buffer;
}

int32_t scene_init_buffer()
{
    // The registrations at the end of start-up need the registry, so its failure stops start-up.
    if (table_registry_init() < 0)
        return -3;
    scene_buffer.ordering_table = static_cast<OrderingTable*>(mem_alloc(sizeof(OrderingTable)));
    if (!scene_buffer.ordering_table)
        return -1;
    for (int32_t& head : scene_buffer.ordering_table->heads)
        head = OT_EMPTY;
    scene_buffer.buffer =
        scene_buffer_create(SCENE_PACKET_BYTES, SCENE_VERTICES, SCENE_FLAT_COLOURS,
                            SCENE_SPARE_ENTRIES, SCENE_SPARE_ENTRIES);
    if (!scene_buffer.buffer)
        return -2;
    scene_buffer.current = scene_buffer.buffer;
    scene_buffer.save_depth = 0;
    // Zero at program start; cleared here so that every start-up begins from that state.
    scene_buffer.tables = {};
    return 0;
}

void scene_free_buffer()
{
    if (scene_buffer.current == scene_buffer.buffer)
        scene_buffer.current = nullptr;
    mem_free(scene_buffer.buffer);
    mem_free(scene_buffer.ordering_table);
    table_registry_free();
    scene_buffer.buffer = nullptr;
    scene_buffer.ordering_table = nullptr;
}

void scene_set_current(SceneBuffer* buffer)
{
    scene_buffer.current = buffer;
}

SceneBuffer* scene_current()
{
    return scene_buffer.current;
}

SceneHeader& scene_header()
{
    return scene_buffer.current->header;
}

ScreenVertex* scene_vertex_slot(int32_t n)
{
    const SceneBuffer* buffer = scene_buffer.current;
    return n >= 0 && n < buffer->vertex_capacity ? &buffer->vertex_table[n] : nullptr;
}

OrderingTable* scene_ordering_table()
{
    return scene_buffer.ordering_table;
}

int32_t scene_save_header()
{
    if (scene_buffer.save_depth >= HEADER_SAVE_DEPTH)
        return -1;
    scene_buffer.saved[scene_buffer.save_depth++] = scene_header();
    return 0;
}

void scene_restore_header()
{
    if (scene_buffer.save_depth > 0)
        --scene_buffer.save_depth;
    scene_header() = scene_buffer.saved[scene_buffer.save_depth];
}

int32_t scene_register_table(void* table, int32_t type)
{
    SceneHeader& header = scene_header();
    switch (type) {
    case TABLE_TYPE_SPARE:
        header.spare_table = table;
        break;
    case TABLE_TYPE_COLOURS:
        header.colour_entries = static_cast<ColourEntry*>(table);
        break;
    case TABLE_TYPE_TEXCOORDS:
        header.texcoords = static_cast<TexCoordEntry*>(table);
        break;
    case TABLE_TYPE_SPARE_3:
        header.spare_3_table = table;
        break;
    default:
        break;
    }
    return table_register(table, type);
}

void scene_register_tables()
{
    scene_register_table(scene_buffer.tables.spare, TABLE_TYPE_SPARE);
    scene_register_table(scene_buffer.tables.colours, TABLE_TYPE_COLOURS);
    scene_register_table(scene_buffer.tables.texcoords, TABLE_TYPE_TEXCOORDS);
}

Pixel* scene_convert_colours()
{
    const SceneBuffer* buffer = scene_buffer.current;
    const ColourEntry* entries = buffer->header.colour_entries;
    // The count is read again before every entry; the flat table bounds it whatever it says.
    for (int32_t i = 0; entries && i < table_count(TABLE_TYPE_COLOURS) && i < buffer->flat_capacity;
         ++i)
        buffer->flat_table[i] = scene_flat_colour(entries[i]);
    return buffer->flat_table;
}

void scene_set_clip_bounds()
{
    const int32_t width = surface_width();
    const int32_t height = surface_height();
    scene_buffer.clip = {width, height, width - 1, height - 1};
}

const ClipBounds& scene_clip_bounds()
{
    return scene_buffer.clip;
}

int32_t scene_reserve_vertices(int32_t count)
{
    SceneHeader& header = scene_header();
    if (!scene_room_for(header.vertex_count, count, scene_buffer.current->vertex_capacity))
        return -1;
    const int32_t first = header.vertex_count;
    header.vertex_count += count;
    return first;
}

namespace {

// Copies count entries after the used ones of one of the scene's own tables, while the header
// still names that table (only its size is known); the first index, or -1 with nothing copied.
template <typename Entry>
int32_t scene_append(Entry* named, Entry* own, int32_t capacity, int32_t& used,
                     const Entry* entries, int32_t count)
{
    if (named != own || !scene_room_for(used, count, capacity))
        return -1;
    const int32_t first = used;
    if (count > 0)
        std::memcpy(&own[first], entries, count * sizeof(Entry));
    used += count;
    return first;
}

} // namespace

int32_t scene_add_colours(const ColourEntry* entries, int32_t count)
{
    SceneHeader& header = scene_header();
    const int32_t first = scene_append(header.colour_entries, scene_buffer.tables.colours,
                                       SCENE_COLOUR_ENTRIES, header.colour_count, entries, count);
    if (first >= 0) {
        table_set_count(TABLE_TYPE_COLOURS, header.colour_count);
        scene_convert_colours();
    }
    return first;
}

int32_t scene_add_texcoords(const TexCoordEntry* entries, int32_t count)
{
    SceneHeader& header = scene_header();
    return scene_append(header.texcoords, scene_buffer.tables.texcoords, SCENE_TEXCOORD_ENTRIES,
                        header.texcoord_count, entries, count);
}

int32_t scene_add_packets(const void* packets, int32_t bytes, int32_t count)
{
    SceneBuffer* buffer = scene_buffer.current;
    SceneHeader& header = buffer->header;
    // Compared as addresses, so that a write position outside the area is refused, not trusted.
    const uintptr_t used = reinterpret_cast<uintptr_t>(header.packet_write) -
                           reinterpret_cast<uintptr_t>(buffer->packet_area);
    if (count < 0 || bytes < 0 || used > static_cast<uintptr_t>(buffer->packet_bytes) ||
        static_cast<uintptr_t>(bytes) > buffer->packet_bytes - used)
        return -1;
    if (bytes > 0)
        std::memcpy(header.packet_write, packets, bytes);
    header.packet_write += bytes;
    header.packet_count = wrap_add(header.packet_count, count);
    return static_cast<int32_t>(used);
}
