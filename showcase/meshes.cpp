#include "showcase/meshes.h"

#include "raster/packet.h"

namespace {

// Texture coordinates, 256 across the image: a quad's corners in the order of its vertices
// (top left, top right, bottom right, bottom left), then a triangle's apex at the top middle.
constexpr int32_t TEXCOORD_FAR = 255;
constexpr TexCoordEntry MESH_TEXCOORDS[] = {{0, 0, {}},
                                            {TEXCOORD_FAR, 0, {}},
                                            {TEXCOORD_FAR, TEXCOORD_FAR, {}},
                                            {0, TEXCOORD_FAR, {}},
                                            {TEXCOORD_FAR / 2, 0, {}}};
constexpr int32_t MESH_TEXCOORD_COUNT = sizeof MESH_TEXCOORDS / sizeof MESH_TEXCOORDS[0];
// A triangle runs apex, bottom right, bottom left.
constexpr int16_t TRI_TEXCOORDS[3] = {4, 2, 3};

constexpr int32_t ONE = FIXED_ONE;

// Faces run clockwise on the screen when seen from outside, so that culled solids show their
// fronts only. y grows downwards.

// A cube of half-size 20; vertex bits: 1 is +x, 2 is +y, 4 is +z.
constexpr int32_t CUBE = 20;
constexpr Vec3 CUBE_VERTICES[] = {{-CUBE, -CUBE, -CUBE, 0}, {CUBE, -CUBE, -CUBE, 0},
                                  {-CUBE, CUBE, -CUBE, 0},  {CUBE, CUBE, -CUBE, 0},
                                  {-CUBE, -CUBE, CUBE, 0},  {CUBE, -CUBE, CUBE, 0},
                                  {-CUBE, CUBE, CUBE, 0},   {CUBE, CUBE, CUBE, 0}};

constexpr MeshFace cube_face(int32_t texture, int16_t a, int16_t b, int16_t c, int16_t d)
{
    return {PACKET_TEX_QUAD, true, texture, 0, {a, b, c, d}};
}

// Front, back, left, right, top, bottom.
constexpr MeshFace textured_cube(int32_t texture, int32_t i)
{
    constexpr int16_t faces[6][4] = {{0, 1, 3, 2}, {5, 4, 6, 7}, {4, 0, 2, 6},
                                     {1, 5, 7, 3}, {4, 5, 1, 0}, {2, 3, 7, 6}};
    return cube_face(texture, faces[i][0], faces[i][1], faces[i][2], faces[i][3]);
}

constexpr MeshFace CHECKER_CUBE[] = {
    textured_cube(TEXTURE_CHECKER, 0), textured_cube(TEXTURE_CHECKER, 1),
    textured_cube(TEXTURE_CHECKER, 2), textured_cube(TEXTURE_CHECKER, 3),
    textured_cube(TEXTURE_CHECKER, 4), textured_cube(TEXTURE_CHECKER, 5)};
constexpr MeshFace PLASMA_CUBE[] = {
    textured_cube(TEXTURE_PLASMA, 0), textured_cube(TEXTURE_PLASMA, 1),
    textured_cube(TEXTURE_PLASMA, 2), textured_cube(TEXTURE_PLASMA, 3),
    textured_cube(TEXTURE_PLASMA, 4), textured_cube(TEXTURE_PLASMA, 5)};
constexpr MeshFace BRICK_CUBE[] = {
    textured_cube(TEXTURE_BRICK, 0), textured_cube(TEXTURE_BRICK, 1),
    textured_cube(TEXTURE_BRICK, 2), textured_cube(TEXTURE_BRICK, 3),
    textured_cube(TEXTURE_BRICK, 4), textured_cube(TEXTURE_BRICK, 5)};

// A square pyramid: the base at y = 16 (vertices 0 to 3 around it), the apex 40 above.
constexpr int32_t PYRAMID_HALF = 22;
constexpr int32_t PYRAMID_BASE_Y = 16;
constexpr int32_t PYRAMID_APEX_Y = -24;
constexpr Vec3 PYRAMID_VERTICES[] = {{-PYRAMID_HALF, PYRAMID_BASE_Y, -PYRAMID_HALF, 0},
                                     {PYRAMID_HALF, PYRAMID_BASE_Y, -PYRAMID_HALF, 0},
                                     {PYRAMID_HALF, PYRAMID_BASE_Y, PYRAMID_HALF, 0},
                                     {-PYRAMID_HALF, PYRAMID_BASE_Y, PYRAMID_HALF, 0},
                                     {0, PYRAMID_APEX_Y, 0, 0}};

constexpr MeshFace pyramid_side(int32_t texture, int16_t right, int16_t left)
{
    return {PACKET_TEX_TRI, true, texture, 0, {4, right, left, 0}};
}

constexpr MeshFace BRICK_PYRAMID[] = {pyramid_side(TEXTURE_BRICK, 1, 0),
                                      pyramid_side(TEXTURE_BRICK, 2, 1),
                                      pyramid_side(TEXTURE_BRICK, 3, 2),
                                      pyramid_side(TEXTURE_BRICK, 0, 3),
                                      {PACKET_TEX_QUAD, true, TEXTURE_CHECKER, 0, {0, 1, 2, 3}}};
constexpr MeshFace CHECKER_PYRAMID[] = {pyramid_side(TEXTURE_CHECKER, 1, 0),
                                        pyramid_side(TEXTURE_CHECKER, 2, 1),
                                        pyramid_side(TEXTURE_CHECKER, 3, 2),
                                        pyramid_side(TEXTURE_CHECKER, 0, 3),
                                        {PACKET_TEX_QUAD, true, TEXTURE_CHECKER, 0, {0, 1, 2, 3}}};

// A flat square of half-size 18 with a point out from the middle of each side, in the x-y plane;
// seen from both sides.
constexpr int32_t STAR = 18;
constexpr Vec3 STAR_VERTICES[] = {{-STAR, -STAR, 0, 0}, {STAR, -STAR, 0, 0},  {STAR, STAR, 0, 0},
                                  {-STAR, STAR, 0, 0},  {0, -2 * STAR, 0, 0}, {2 * STAR, 0, 0, 0},
                                  {0, 2 * STAR, 0, 0},  {-2 * STAR, 0, 0, 0}};
constexpr MeshFace GLOW_FACES[] = {{PACKET_TEX_ADD_QUAD, false, TEXTURE_PLASMA, 0, {0, 1, 2, 3}},
                                   {PACKET_TEX_ADD_TRI, false, TEXTURE_CHECKER, 0, {4, 1, 0, 0}},
                                   {PACKET_TEX_ADD_TRI, false, TEXTURE_CHECKER, 0, {5, 2, 1, 0}},
                                   {PACKET_TEX_ADD_TRI, false, TEXTURE_CHECKER, 0, {6, 3, 2, 0}},
                                   {PACKET_TEX_ADD_TRI, false, TEXTURE_CHECKER, 0, {7, 0, 3, 0}}};

// Two panes through each other: a square in the x-y plane and a triangle in the y-z plane.
constexpr int32_t PANE = 24;
constexpr Vec3 GLASS_VERTICES[] = {{-PANE, -PANE, 0, 0}, {PANE, -PANE, 0, 0}, {PANE, PANE, 0, 0},
                                   {-PANE, PANE, 0, 0},  {0, -PANE, 0, 0},    {0, PANE, PANE, 0},
                                   {0, PANE, -PANE, 0}};
constexpr MeshFace GLASS_FACES[] = {{PACKET_TEX_HALF_QUAD, false, TEXTURE_PLASMA, 0, {0, 1, 2, 3}},
                                    {PACKET_TEX_HALF_TRI, false, TEXTURE_BRICK, 0, {4, 5, 6, 0}}};

// A triangular prism along z: the front triangle 0 to 2 (top, bottom right, bottom left), the
// back one 3 to 5; each face has a flat colour of its own.
constexpr int32_t PRISM = 22;
constexpr int32_t PRISM_DEPTH = 16;
constexpr Vec3 PRISM_VERTICES[] = {
    {0, -PRISM, -PRISM_DEPTH, 0}, {PRISM, PRISM, -PRISM_DEPTH, 0}, {-PRISM, PRISM, -PRISM_DEPTH, 0},
    {0, -PRISM, PRISM_DEPTH, 0},  {PRISM, PRISM, PRISM_DEPTH, 0},  {-PRISM, PRISM, PRISM_DEPTH, 0}};
constexpr MeshFace PRISM_FACES[] = {{PACKET_FLAT_TRI, true, 0, 0, {0, 1, 2, 0}},
                                    {PACKET_FLAT_TRI, true, 0, 1, {3, 5, 4, 0}},
                                    {PACKET_FLAT_QUAD, true, 0, 2, {2, 1, 4, 5}},
                                    {PACKET_FLAT_QUAD, true, 0, 3, {0, 3, 4, 1}},
                                    {PACKET_FLAT_QUAD, true, 0, 4, {3, 0, 2, 5}}};
constexpr ColourEntry PRISM_COLOURS[] = {
    {255, 64, 64, 0}, {64, 255, 64, 0}, {64, 128, 255, 0}, {255, 224, 64, 0}, {224, 64, 255, 0}};

// A windmill blade: a thin strip from the hub outwards, seen from both sides.
constexpr int32_t BLADE_WIDTH = 4;
constexpr int32_t BLADE_LENGTH = 34;
constexpr Vec3 BLADE_VERTICES[] = {{-BLADE_WIDTH, 0, 0, 0},
                                   {BLADE_WIDTH, 0, 0, 0},
                                   {BLADE_WIDTH, -BLADE_LENGTH, 0, 0},
                                   {-BLADE_WIDTH, -BLADE_LENGTH, 0, 0}};
constexpr MeshFace BLADE_FACES[] = {{PACKET_TEX_ADD_QUAD, false, TEXTURE_PLASMA, 0, {0, 1, 2, 3}}};

// The colour cube: each corner has the colour of its place in the RGB cube, shaded across the
// faces, under a shaded pyramid that turns on its own (seen from below, mostly its base); the
// pyramid's corners take the first five of the same colours.
constexpr MeshFace shaded_cube(int32_t i)
{
    constexpr int16_t faces[6][4] = {{0, 1, 3, 2}, {5, 4, 6, 7}, {4, 0, 2, 6},
                                     {1, 5, 7, 3}, {4, 5, 1, 0}, {2, 3, 7, 6}};
    return {PACKET_GOURAUD_QUAD, true, 0, 0, {faces[i][0], faces[i][1], faces[i][2], faces[i][3]}};
}
constexpr MeshFace SHADED_CUBE[] = {shaded_cube(0), shaded_cube(1), shaded_cube(2),
                                    shaded_cube(3), shaded_cube(4), shaded_cube(5)};
constexpr MeshFace SHADED_PYRAMID[] = {{PACKET_GOURAUD_TRI, true, 0, 0, {4, 1, 0, 0}},
                                       {PACKET_GOURAUD_TRI, true, 0, 0, {4, 2, 1, 0}},
                                       {PACKET_GOURAUD_TRI, true, 0, 0, {4, 3, 2, 0}},
                                       {PACKET_GOURAUD_TRI, true, 0, 0, {4, 0, 3, 0}},
                                       {PACKET_GOURAUD_QUAD, true, 0, 0, {0, 1, 2, 3}}};
constexpr ColourEntry CUBE_CORNER_COLOURS[] = {
    {255, 64, 64, 0},  {255, 255, 64, 0},  {64, 64, 64, 0},  {64, 255, 64, 0},
    {255, 64, 255, 0}, {255, 255, 255, 0}, {64, 64, 255, 0}, {64, 255, 255, 0}};

constexpr int32_t count_of(const auto& array)
{
    return static_cast<int32_t>(sizeof array / sizeof array[0]);
}

constexpr MeshPart CUBE_PARTS[] = {{0,
                                    CUBE_VERTICES,
                                    count_of(CUBE_VERTICES),
                                    CHECKER_CUBE,
                                    count_of(CHECKER_CUBE),
                                    {},
                                    {},
                                    {},
                                    ONE}};
constexpr MeshPart PYRAMID_PARTS[] = {{0,
                                       PYRAMID_VERTICES,
                                       count_of(PYRAMID_VERTICES),
                                       BRICK_PYRAMID,
                                       count_of(BRICK_PYRAMID),
                                       {},
                                       {},
                                       {},
                                       ONE}};
constexpr MeshPart GLOW_PARTS[] = {
    {0, STAR_VERTICES, count_of(STAR_VERTICES), GLOW_FACES, count_of(GLOW_FACES), {}, {}, {}, ONE}};
constexpr MeshPart GLASS_PARTS[] = {{0,
                                     GLASS_VERTICES,
                                     count_of(GLASS_VERTICES),
                                     GLASS_FACES,
                                     count_of(GLASS_FACES),
                                     {},
                                     {},
                                     {},
                                     ONE}};
constexpr MeshPart PRISM_PARTS[] = {{0,
                                     PRISM_VERTICES,
                                     count_of(PRISM_VERTICES),
                                     PRISM_FACES,
                                     count_of(PRISM_FACES),
                                     {},
                                     {},
                                     {},
                                     ONE}};

// The hub turns the cap and the four blades, all its children: the cap pops one level so that the
// first blade is its sibling, and each blade pops back to the hub, turned a quarter from the one
// before.
constexpr int32_t QUARTER_TURN = ANGLE_TURN / 4;
constexpr MeshPart blade(int32_t quarter)
{
    return {1,
            BLADE_VERTICES,
            count_of(BLADE_VERTICES),
            BLADE_FACES,
            count_of(BLADE_FACES),
            {},
            {0, 0, quarter * QUARTER_TURN, 0},
            {},
            ONE};
}

constexpr int32_t HUB_SPIN = 10;
constexpr MeshPart WINDMILL_PARTS[] = {{0,
                                        PYRAMID_VERTICES,
                                        count_of(PYRAMID_VERTICES),
                                        BRICK_PYRAMID,
                                        count_of(BRICK_PYRAMID),
                                        {},
                                        {},
                                        {},
                                        ONE},
                                       {0,
                                        nullptr,
                                        0,
                                        nullptr,
                                        0,
                                        {0, PYRAMID_APEX_Y, -PYRAMID_HALF, 0},
                                        {},
                                        {0, 0, HUB_SPIN, 0},
                                        ONE},
                                       {1,
                                        CUBE_VERTICES,
                                        count_of(CUBE_VERTICES),
                                        CHECKER_CUBE,
                                        count_of(CHECKER_CUBE),
                                        {},
                                        {},
                                        {},
                                        ONE / 4},
                                       blade(0),
                                       blade(1),
                                       blade(2),
                                       blade(3)};

// Arms have no vertices of their own: they only turn what hangs from them.
constexpr int32_t ORRERY_ARM_SPIN = 6;
constexpr int32_t ORRERY_MOON_SPIN = 18;
constexpr int32_t ORRERY_PLANET_DISTANCE = 44;
constexpr int32_t ORRERY_MOON_DISTANCE = 40;
constexpr MeshPart ORRERY_PARTS[] = {
    {0,
     CUBE_VERTICES,
     count_of(CUBE_VERTICES),
     PLASMA_CUBE,
     count_of(PLASMA_CUBE),
     {},
     {},
     {},
     ONE},
    {0, nullptr, 0, nullptr, 0, {}, {}, {0, ORRERY_ARM_SPIN, 0, 0}, ONE},
    {0,
     CUBE_VERTICES,
     count_of(CUBE_VERTICES),
     BRICK_CUBE,
     count_of(BRICK_CUBE),
     {ORRERY_PLANET_DISTANCE, 0, 0, 0},
     {},
     {},
     ONE / 2},
    {0, nullptr, 0, nullptr, 0, {}, {}, {ORRERY_MOON_SPIN, ORRERY_MOON_SPIN, 0, 0}, ONE},
    {0,
     PYRAMID_VERTICES,
     count_of(PYRAMID_VERTICES),
     CHECKER_PYRAMID,
     count_of(CHECKER_PYRAMID),
     {ORRERY_MOON_DISTANCE, 0, 0, 0},
     {},
     {},
     ONE / 2}};

// Each link hangs below the one before and turns against it, so the chain curls and uncurls.
constexpr int32_t SHADED_PYRAMID_SPIN = 8;
constexpr int32_t SHADED_PYRAMID_LIFT = -56;
constexpr MeshPart SHADED_PARTS[] = {{0,
                                      CUBE_VERTICES,
                                      count_of(CUBE_VERTICES),
                                      SHADED_CUBE,
                                      count_of(SHADED_CUBE),
                                      {},
                                      {},
                                      {},
                                      ONE * 3 / 4},
                                     {0,
                                      PYRAMID_VERTICES,
                                      count_of(PYRAMID_VERTICES),
                                      SHADED_PYRAMID,
                                      count_of(SHADED_PYRAMID),
                                      {0, SHADED_PYRAMID_LIFT, 0, 0},
                                      {},
                                      {0, SHADED_PYRAMID_SPIN, 0, 0},
                                      ONE * 2 / 3}};

constexpr int32_t CHAIN_LINK_DROP = 30;
constexpr int32_t CHAIN_LINK_SPIN = 4;
constexpr MeshPart chain_link(int32_t spin)
{
    return {0,           PRISM_VERTICES,        count_of(PRISM_VERTICES),
            PRISM_FACES, count_of(PRISM_FACES), {0, CHAIN_LINK_DROP, 0, 0},
            {},          {0, 0, spin, 0},       ONE * 3 / 4};
}
constexpr MeshPart CHAIN_PARTS[] = {{0,
                                     PRISM_VERTICES,
                                     count_of(PRISM_VERTICES),
                                     PRISM_FACES,
                                     count_of(PRISM_FACES),
                                     {0, -CHAIN_LINK_DROP, 0, 0},
                                     {},
                                     {},
                                     ONE * 3 / 4},
                                    chain_link(CHAIN_LINK_SPIN),
                                    chain_link(-CHAIN_LINK_SPIN),
                                    chain_link(CHAIN_LINK_SPIN)};

bool mesh_shaded(int32_t code)
{
    return code == PACKET_GOURAUD_TRI || code == PACKET_GOURAUD_QUAD ||
           code == PACKET_GOURAUD_ADD_TRI || code == PACKET_GOURAUD_ADD_QUAD;
}

// Writes one face as a triangle or quad packet after what the packet area holds.
template <typename Packet, int32_t N>
int32_t mesh_add_face(const MeshFace& face, int32_t texture_slot, int32_t first_slot,
                      int32_t first_colour, int32_t first_texcoord)
{
    Packet packet{};
    packet.tag = static_cast<uint32_t>(face.code) | (face.cull ? PACKET_FLAG_CULL_BACK : 0);
    packet.size = sizeof(Packet);
    packet.slot = static_cast<int16_t>(texture_slot);
    for (int32_t j = 0; j < N; ++j) {
        packet.vertex[j] = static_cast<int16_t>(first_slot + face.vertex[j]);
        const int32_t colour = mesh_shaded(face.code) ? face.vertex[j] : face.colour;
        packet.colour[j] = static_cast<int16_t>(first_colour + colour);
        const int32_t texcoord = N == 3 ? TRI_TEXCOORDS[j] : j;
        packet.texcoord[j] = static_cast<int16_t>(first_texcoord + texcoord);
    }
    return scene_add_packets(&packet, sizeof(Packet), 1);
}

int32_t mesh_load_part(const MeshPart& part, const int32_t (&textures)[TEXTURES],
                       int32_t first_colour, int32_t first_texcoord, ObjectPart* out)
{
    const int32_t first_slot = scene_reserve_vertices(part.vertex_count);
    if (first_slot < 0)
        return -1;
    for (int32_t f = 0; f < part.face_count; ++f) {
        const MeshFace& face = part.faces[f];
        const int32_t slot = textures[face.texture];
        const int32_t added =
            packet_vertex_count(static_cast<uint32_t>(face.code)) == 3
                ? mesh_add_face<TriPacket, 3>(face, slot, first_slot, first_colour, first_texcoord)
                : mesh_add_face<QuadPacket, 4>(face, slot, first_slot, first_colour,
                                               first_texcoord);
        if (added < 0)
            return -1;
    }
    *out = {part.pop_count,
            part.vertex_count,
            first_slot,
            part.vertices,
            {},
            {},
            part.position,
            part.angles,
            {part.scale, part.scale, part.scale, 0}};
    return 0;
}

} // namespace

const Mesh MESH_CUBE = {CUBE_PARTS, count_of(CUBE_PARTS), nullptr, 0};
const Mesh MESH_PYRAMID = {PYRAMID_PARTS, count_of(PYRAMID_PARTS), nullptr, 0};
const Mesh MESH_GLOW = {GLOW_PARTS, count_of(GLOW_PARTS), nullptr, 0};
const Mesh MESH_GLASS = {GLASS_PARTS, count_of(GLASS_PARTS), nullptr, 0};
const Mesh MESH_PRISM = {PRISM_PARTS, count_of(PRISM_PARTS), PRISM_COLOURS,
                         count_of(PRISM_COLOURS)};
const Mesh MESH_WINDMILL = {WINDMILL_PARTS, count_of(WINDMILL_PARTS), nullptr, 0};
const Mesh MESH_ORRERY = {ORRERY_PARTS, count_of(ORRERY_PARTS), nullptr, 0};
const Mesh MESH_SHADED = {SHADED_PARTS, count_of(SHADED_PARTS), CUBE_CORNER_COLOURS,
                          count_of(CUBE_CORNER_COLOURS)};
const Mesh MESH_CHAIN = {CHAIN_PARTS, count_of(CHAIN_PARTS), PRISM_COLOURS,
                         count_of(PRISM_COLOURS)};

int32_t mesh_add_texcoords()
{
    return scene_add_texcoords(MESH_TEXCOORDS, MESH_TEXCOORD_COUNT);
}

int32_t mesh_load(const Mesh& mesh, const int32_t (&textures)[TEXTURES], int32_t first_texcoord,
                  ObjectPart* parts)
{
    if (mesh.part_count > MESH_PARTS_MAX)
        return -1;
    const int32_t first_colour = scene_add_colours(mesh.colours, mesh.colour_count);
    if (first_colour < 0)
        return -1;
    for (int32_t p = 0; p < mesh.part_count; ++p) {
        if (mesh_load_part(mesh.parts[p], textures, first_colour, first_texcoord, &parts[p]) < 0)
            return -1;
    }
    return mesh.part_count;
}
