// The effect player: short 3D effects as data. A script is a chain of steps built at start-up; an
// instance plays one script for a number of frames at a place. Every frame, between the scene
// buffer's header save and restore, each running instance turns into transient packets,
// projected vertices and colour entries, so that the ordering table draws them with everything
// else and the restore drops them again. A step either shows a model, spun, scaled and faded by
// the instance's age, or places a marker packet, whose box the ordering table draws only while
// its instance's first step is step 0.
#pragma once

#include <cstdint>

#include "scene/math.h"
#include "scene/scene_buffer.h"

// The first step of a free instance slot.
constexpr int32_t EFFECT_FREE = -1;

// The first step of instance index, EFFECT_FREE for a free slot or an index outside the table.
int32_t effect_instance_first_step(int32_t instance);

// The burst that a hit shows: script 0, played for 32 frames.
constexpr int32_t EFFECT_BURST = 0;
constexpr int32_t EFFECT_BURST_DURATION = 32;

// Starts an instance of the script whose first step is given, in the lowest free slot; nothing
// when all are busy. Colour channels are 0..255.
void effect_start(int32_t first_step, int32_t duration, const Vec3& position, const Vec3& angles,
                  const Vec3& scale, const ColourEntry& colour);

constexpr int32_t EFFECT_STEPS = 256;
constexpr int32_t EFFECT_SCRIPTS = 64;
constexpr int32_t EFFECT_INSTANCES = 32;
// The bytes start-up asks for: the step store and the instance table hold their records at the
// front.
constexpr int32_t EFFECT_STEP_STORE_BYTES = 10240;
constexpr int32_t EFFECT_INSTANCE_TABLE_BYTES = 4608;
// The next of a script's last step.
constexpr int32_t EFFECT_NO_STEP = -1;

// Step kinds, in the kind's low 16 bits; any other kind shows nothing.
constexpr int32_t EFFECT_KIND_MARKER = 1;
constexpr int32_t EFFECT_KIND_MODEL = 2;
constexpr int32_t EFFECT_KIND_MASK = 0xFFFF;

// Position modes: the instance's position; any other mode keeps the previous step's.
constexpr int32_t EFFECT_POSITION_INSTANCE = 0;
// Rotation modes: the instance's angles; one turn about y over the duration; a random roll each
// frame. Any other mode keeps the previous step's.
constexpr int32_t EFFECT_ROTATION_INSTANCE = 0;
constexpr int32_t EFFECT_ROTATION_TURN = 1;
constexpr int32_t EFFECT_ROTATION_ROLL = 2;
// Scale modes: the instance's scale; growing from 0 to 1.0 over the duration; shrinking from 1.0
// to 0; (age x 32)^2 / duration. Any other mode keeps the previous step's.
constexpr int32_t EFFECT_SCALE_INSTANCE = 0;
constexpr int32_t EFFECT_SCALE_GROW = 1;
constexpr int32_t EFFECT_SCALE_SHRINK = 2;
constexpr int32_t EFFECT_SCALE_SQUARE = 3;
// Colour modes: the instance's factors; fading in over the duration; fading out. Any other mode
// keeps the previous step's.
constexpr int32_t EFFECT_COLOUR_INSTANCE = 0;
constexpr int32_t EFFECT_COLOUR_FADE_IN = 1;
constexpr int32_t EFFECT_COLOUR_FADE_OUT = 2;

// Colour factors: 1024 = 1.0; a colour channel of 0..255 starts an instance at channel x 4.
constexpr int32_t EFFECT_FACTOR_SHIFT = 10;
constexpr int32_t EFFECT_FACTOR_PER_CHANNEL = 4;

// EFFECT_BURST's one step: the starburst, growing and turning once about y while it fades out.
constexpr int32_t EFFECT_BURST_PARAMETER = 64;

struct EffectStep {
    int32_t model; // EFFECT_KIND_MODEL
    int32_t kind;
    int32_t position_mode;
    int32_t rotation_mode;
    int32_t scale_mode;
    int32_t colour_mode;
    int32_t start_frame; // the step plays while age - start frame > 0
    int32_t parameter;   // stored for the script's author; the player does not read it
    int32_t next;        // the script's next step, EFFECT_NO_STEP after the last
};

struct ColourFactors {
    int32_t red;
    int32_t green;
    int32_t blue;
    int32_t unused;
};

struct EffectInstance {
    int32_t first_step; // EFFECT_FREE for a free slot
    Vec3 position;
    Vec3 angles; // 0..1023
    Vec3 scale;  // 512 = 1.0
    ColourFactors factors;
    int32_t age; // frames played
    int32_t duration;
};
static_assert(EFFECT_STEPS * sizeof(EffectStep) <= EFFECT_STEP_STORE_BYTES);
static_assert(EFFECT_INSTANCES * sizeof(EffectInstance) <= EFFECT_INSTANCE_TABLE_BYTES);

// Allocates the step store (no steps), the instance table (every slot free) and the model table
// (no models) and empties the script table; 0, or -1 at the first failed allocation.
int32_t effect_init_stores();
// Frees the model table, the instance table and the step store; safe to call twice.
void effect_free_stores();

// Starts the next script at the next free step; its number, or -1 when 64 scripts exist or the
// step store is full. The script counts only at effect_end_script.
int32_t effect_begin_script();
// Appends a step to the script begun last; nothing when the step store is full.
void effect_add_step(int32_t model, int32_t position_mode, int32_t rotation_mode,
                     int32_t scale_mode, int32_t colour_mode, int32_t start_frame,
                     int32_t parameter, int32_t kind);
// Counts the script begun last and ends it at its last step.
void effect_end_script();
// Builds the scripts the program plays: EFFECT_BURST. Called at the end of model building.
void effect_build_scripts();

// Plays every running instance into the current scene buffer, after its header save and before
// the ordering table, and ages it; a step whose packets, vertices or colours would not fit in
// what is left of the buffer is skipped for the frame.
void effect_update();

// Instance index; null outside the table.
const EffectInstance* effect_instance(int32_t index);
// Step index of the step store; null outside the steps added.
const EffectStep* effect_step(int32_t index);
int32_t effect_script_count();
// The first step of script number; EFFECT_NO_STEP outside the scripts counted.
int32_t effect_script_first_step(int32_t script);
