// The showcase's own meshes: rigid parts of flat and textured faces, some of them hierarchies of
// parts, as data. mesh_load turns one into packets and projected-vertex slots in the scene
// buffer and into the parts of a scene object.
#pragma once

#include <cstdint>

#include "scene/math.h"
#include "scene/scene.h"
#include "scene/scene_buffer.h"
#include "showcase/textures.h"

// A face: a packet code with three or four vertices in order around it.
struct MeshFace {
    int32_t code;      // a flat or textured packet code
    bool cull;         // dropped when it turns its back on the eye
    int32_t texture;   // a ShowcaseTexture, for the textured codes
    int16_t colour;    // one of the mesh's colours, for the flat codes
    int16_t vertex[4]; // the part's own; a triangle's fourth is not read
};

struct MeshPart {
    int32_t pop_count; // as in ObjectPart
    const Vec3* vertices;
    int32_t vertex_count;
    const MeshFace* faces;
    int32_t face_count;
    Vec3 position; // relative to the parent
    Vec3 angles;   // at start
    Vec3 spin;     // angle steps per frame
    int32_t scale; // 512 = 1.0
};

struct Mesh {
    const MeshPart* parts;
    int32_t part_count;
    const ColourEntry* colours;
    int32_t colour_count;
};

constexpr int32_t MESH_PARTS_MAX = 8;

extern const Mesh MESH_CUBE;     // textured quads
extern const Mesh MESH_PYRAMID;  // textured triangles on a textured base
extern const Mesh MESH_GLOW;     // additive textured quad and triangles
extern const Mesh MESH_GLASS;    // half-blended textured quad and triangle
extern const Mesh MESH_PRISM;    // flat triangles and quads
extern const Mesh MESH_WINDMILL; // a tower, a turning hub and four sibling blades
extern const Mesh MESH_ORRERY;   // a sun, a planet on an arm and a moon on the planet's arm
extern const Mesh MESH_CHAIN;    // links, each hanging from the one before
extern const Mesh MESH_SHADED;   // a gouraud cube with a gouraud pyramid turning on top

// The texture coordinates every face uses, added to the scene's table: the first of them, or -1
// when the table is full.
int32_t mesh_add_texcoords();

// Adds the mesh's colours, projected-vertex slots and packets to the scene buffer and fills
// parts (MESH_PARTS_MAX of room) for scene_add_object; the part count, or -1 when the buffer has
// no room.
int32_t mesh_load(const Mesh& mesh, const int32_t (&textures)[TEXTURES], int32_t first_texcoord,
                  ObjectPart* parts);
