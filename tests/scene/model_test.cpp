// The six models: their lists and packets as built, the starburst from the generator's first 48
// draws and the builders' packet layouts.
#include "scene/model.h"

#include <vector>

#include "tests/support/generator.h"
#include "tests/support/scene_fixture.h"

namespace {

using ModelTest = SceneFixture;

using Points = std::vector<std::tuple<int32_t, int32_t, int32_t>>;

Points vertices_of(int32_t index)
{
    const Model* model = model_get(index);
    Points out;
    for (int32_t i = 0; model && i < model->vertex_count; ++i)
        out.push_back(test_xyz(*model_item(model->vertices + i)));
    return out;
}

// The generator's first 48 draws, three per spike (z, y, x angles), each spike the rotation of
// (2, 10, 0) and (-2, 10, 0), at 256 per unit.
Points expected_starburst()
{
    TestGenerator draws;
    Points out = {{0, 0, 0}};
    for (int i = 0; i < 16; ++i) {
        const int32_t z = draws.next();
        const int32_t y = draws.next();
        const Vec3 angles = {draws.next(), y, z, 0};
        Matrix rotation;
        math_matrix_rotation(&rotation, angles);
        Vec3 spike[2] = {{2, 10, 0, 0}, {-2, 10, 0, 0}};
        math_transform_points(2, spike, spike, rotation);
        out.insert(out.end(), {test_xyz(spike[0]), test_xyz(spike[1])});
    }
    return out;
}

// Vertex and colour indices of packet p of a model.
std::vector<int16_t> indices(int32_t model_index, int32_t p, PacketArray array)
{
    const Model& model = *model_get(model_index);
    const uint8_t* packet = model_packet(model.packets);
    for (int32_t i = 0; i < p; ++i)
        packet += packet_get<int32_t>(packet, PACKET_SIZE_AT);
    const int32_t n = packet_vertex_count(packet_get<uint32_t>(packet, PACKET_TAG_AT));
    std::vector<int16_t> out;
    for (int32_t j = 0; j < n; ++j)
        out.push_back(packet_get<int16_t>(packet, packet_index_at(array, n, j)));
    return out;
}

// Each model's vertices, colours and 16 packets: an additive gouraud triangle or quad each, on
// black and white.
TEST_F(ModelTest, EveryPacketIsAnAdditiveGouraudTriangleOrQuadOnBlackAndWhite)
{
    ASSERT_EQ(model_count(), 6);
    // 17, 32, 32, 32, 17 and 33 vertices, two colours each; four models of triangles, two of quads.
    EXPECT_EQ(std::pair(model_items_used(), model_packet_bytes_used()),
              std::pair(175, 4 * 16 * 44 + 2 * 16 * 52));
    const int32_t vertices[] = {17, 32, 32, 32, 17, 33};
    for (int32_t m = 0; m < model_count(); ++m) {
        const Model& model = *model_get(m);
        // The ring and the band are the quads.
        EXPECT_EQ(std::tuple(model.vertex_count, model.colour_count, model.packet_count,
                             model.packet_bytes),
                  std::tuple(vertices[m], 2, 16, m == MODEL_RING || m == MODEL_BAND ? 832 : 704));
        EXPECT_EQ(std::tuple(test_xyz(*model_item(model.colours)),
                             test_xyz(*model_item(model.colours + 1)), model.third_count),
                  std::tuple(std::tuple(0, 0, 0), std::tuple(255, 255, 255), 0))
            << m;
        const uint8_t* packet = model_packet(model.packets);
        int32_t bytes = 0;
        for (int32_t p = 0; p < model.packet_count; ++p) {
            const auto tag = packet_get<uint32_t>(packet, PACKET_TAG_AT);
            const auto size = packet_get<int32_t>(packet, PACKET_SIZE_AT);
            // Never PACKET_FLAG_CULL_BACK: both sides of every shape are drawn.
            EXPECT_TRUE((tag == 83 && size == 44) || (tag == 84 && size == 52)) << m << " " << p;
            EXPECT_EQ(packet_get<int16_t>(packet, PACKET_DEPTH_OFFSET_AT), 0);
            packet += size;
            bytes += size;
        }
        EXPECT_EQ(bytes, model.packet_bytes) << m;
    }
}

TEST_F(ModelTest, ShapesAsTheTableDescribes)
{
    // The disc fan closes on vertex 1, white at the centre.
    // The ring's last quad wraps to the first pair; the saw keeps each quad's first three.
    // (model, packet, its vertex indices, its colour indices)
    using I = std::vector<int16_t>;
    for (const auto& [model, packet, vertices, colours] :
         {std::tuple(MODEL_DISC, 15, I{0, 16, 1}, I{1, 0, 0}),
          {MODEL_RING, 15, {0, 30, 31, 1}, {1, 1, 0, 0}},
          {MODEL_SAW_BAND, 2, {6, 4, 5}, {1, 1, 0}},
          {MODEL_STARBURST, 4, {0, 9, 10}, {1, 0, 0}}}) {
        EXPECT_EQ(indices(model, packet, PACKET_VERTICES), vertices) << model << " " << packet;
        EXPECT_EQ(indices(model, packet, PACKET_COLOURS), colours) << model << " " << packet;
    }

    // Quarter turns: cos[0] = sin[256] = 512, so the radii are 256 and 512.
    // The cone's rim: ((512 x sin[192] = 473) >> 10) << 2 = 944 out, cos[192] << 2 = 780 up; at
    // longitude 512, -512 x 473 >> 10 is -236.5 rounded down.
    // (model, vertex, where it lies)
    for (const auto& [model, vertex, at] : {std::tuple(MODEL_RING, 9, std::tuple(0, 512, 0)),
                                            {MODEL_BAND, 8, {0, 50, 256}},
                                            {MODEL_BAND, 9, {0, 0, 256}},
                                            {MODEL_CONE, 5, {0, 780, 944}},
                                            {MODEL_CONE, 9, {-237 * 4, 780, 0}}})
        EXPECT_EQ(vertices_of(model)[vertex], at) << model << " " << vertex;
    EXPECT_EQ(vertices_of(MODEL_SAW_BAND), vertices_of(MODEL_BAND));
}

// Every fixture builds the models again, so every build must come to these same points.
TEST_F(ModelTest, StarburstComesFromTheFirst48DrawsInEveryBuild)
{
    EXPECT_EQ(vertices_of(MODEL_STARBURST), expected_starburst());
    EXPECT_EQ(TestGenerator{}.draws_to(random_state()), 48) << "48 draws, no more";
}

TEST_F(ModelTest, BuildersForceTheLayoutAndLeaveLinkAndDepth)
{
    TriPacket tri{};
    tri.tag = 0x2FF;
    tri.link = 77;
    tri.depth_offset = -3;
    QuadPacket quad{};
    quad.tag = 0x10003;
    model_begin_vertices();
    model_begin_colours();
    model_begin_packets();
    model_add_triangle(tri);
    model_add_quad(quad);
    EXPECT_EQ(model_end(), 6);
    // The vertex count in the tag and the size are forced, the link left unwritten, the rest kept.
    TriPacket t;
    QuadPacket q;
    std::memcpy(&t, model_packet(model_get(6)->packets), sizeof t);
    std::memcpy(&q, model_packet(model_get(6)->packets) + 44, sizeof q);
    EXPECT_EQ(std::tuple(model_get(6)->packet_bytes, t.tag, t.size, t.link, t.depth_offset, q.tag,
                         q.size),
              std::tuple(96, 0x2FBu, 44, 0, -3, 0x10004u, 52));
}

TEST_F(ModelTest, StoresAndTableRefuseWhatDoesNotFit)
{
    // The packet store holds 5000 bytes, 4480 of them used: eleven triangles fit, not twelve.
    model_begin_packets();
    for (int i = 0; i < 12; ++i)
        model_add_triangle(TriPacket{});
    EXPECT_EQ(model_packet_bytes_used(), 4480 + 11 * 44);
    // Lists outside the stores, or packets that do not add up, are not registered.
    const int32_t count = model_count();
    for (const Model& bad :
         {Model{5001, 0, 0, 0, 0, 0, 0, 0, 0}, Model{2, 4999, 0, 0, 0, 0, 0, 0, 0},
          Model{0, 0, 0, 0, 0, 0, 1, 0, 43}, Model{0, 0, 0, 0, 0, 0, 2, 0, 44}})
        EXPECT_EQ(model_register(bad), -1);
    EXPECT_EQ(model_count(), count);
    while (model_count() < MODEL_TABLE_SIZE)
        ASSERT_GE(model_register({0, 0, 0, 0, 0, 0, 1, 0, 44}), 0);
    EXPECT_EQ(model_register({0, 0, 0, 0, 0, 0, 1, 0, 44}), -1);
}

} // namespace
