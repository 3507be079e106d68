#include "scene/effect.h"

#include "platform/mem.h"
#include "platform/random.h"
#include "raster/packet.h"
#include "scene/matrix.h"
#include "scene/model.h"
#include "scene/projection.h"
#include "scene/scene.h"

namespace {

// How far an instance has come through its duration, in 1/1024: 1024 itself wraps to 0, so a
// step that grows or turns by it is back at 0 at age = duration.
constexpr int32_t EFFECT_PROGRESS_ONE = 1024;
constexpr int32_t EFFECT_PROGRESS_MASK = EFFECT_PROGRESS_ONE - 1;
// EFFECT_SCALE_SQUARE grows by (age x 32)^2 / duration.
constexpr int32_t EFFECT_SQUARE_STEP = 32;
// A marker shows the instance's origin.
constexpr Vec3 EFFECT_ORIGIN = {0, 0, 0, 0};

struct EffectState {
    EffectStep* steps;
    int32_t step_count;
    int32_t scripts[EFFECT_SCRIPTS]; // first steps
    int32_t script_count;
    // The script between effect_begin_script and effect_end_script, -1 when none, and its last
    // step, which the next step added follows.
    int32_t open_script;
    int32_t open_last_step;
    EffectInstance* instances;
};

EffectState effect = {nullptr, 0, {}, 0, -1, EFFECT_NO_STEP, nullptr};

// What a step places a model or marker with. Modes that keep the previous value carry it from
// step to step and from instance to instance within one pass, which starts from all zeros.
struct EffectPose {
    Vec3 position;
    Vec3 angles;
    Vec3 scale;
    ColourFactors factors;
};

// One frame's pass: the buffer it appends to, the view, and its own packet cursor, which starts
// at the write position and leaves the header's write position as it is.
struct EffectPass {
    SceneBuffer& buffer;
    const Matrix& view;
    uint8_t* cursor;
    EffectPose pose;
};

// n / duration truncated toward zero. A duration of 0 cannot reach a played step with a start
// frame of 0 or more; for one with a negative start frame the quotient is taken as 0.
int32_t effect_over_duration(int32_t n, int32_t duration)
{
    return duration == 0 ? 0 : wrap_div(n, duration);
}

int32_t effect_progress(int32_t frames, int32_t duration)
{
    return effect_over_duration(wrap_mul(frames, EFFECT_PROGRESS_ONE), duration) &
           EFFECT_PROGRESS_MASK;
}

Vec3 effect_uniform_scale(int32_t s)
{
    return {s, s, s, 0};
}

ColourFactors effect_scaled_factors(const ColourFactors& f, int32_t frames, int32_t duration)
{
    return {effect_over_duration(wrap_mul(f.red, frames), duration),
            effect_over_duration(wrap_mul(f.green, frames), duration),
            effect_over_duration(wrap_mul(f.blue, frames), duration), f.unused};
}

// The scale, angles and colour factors of a played step by its modes and the instance's age;
// a mode other than theirs leaves the previous value.
void effect_step_scale(Vec3* scale, int32_t mode, const EffectInstance& instance)
{
    const int32_t age = instance.age;
    const int32_t duration = instance.duration;
    switch (mode) {
    case EFFECT_SCALE_INSTANCE:
        *scale = instance.scale;
        break;
    case EFFECT_SCALE_GROW:
        *scale = effect_uniform_scale(effect_progress(age, duration));
        break;
    case EFFECT_SCALE_SHRINK:
        *scale = effect_uniform_scale(effect_progress(wrap_sub(duration, age), duration));
        break;
    case EFFECT_SCALE_SQUARE: {
        const int32_t steps = wrap_mul(age, EFFECT_SQUARE_STEP);
        *scale = effect_uniform_scale(effect_over_duration(wrap_mul(steps, steps), duration));
        break;
    }
    default:
        break;
    }
}

void effect_step_angles(Vec3* angles, int32_t mode, const EffectInstance& instance)
{
    switch (mode) {
    case EFFECT_ROTATION_INSTANCE:
        *angles = instance.angles;
        break;
    case EFFECT_ROTATION_TURN:
        *angles = {0, effect_progress(instance.age, instance.duration), 0, 0};
        break;
    case EFFECT_ROTATION_ROLL:
        // One draw per played step, in instance and step order: part of the replay.
        *angles = {0, 0, random_next() & ANGLE_MASK, 0};
        break;
    default:
        break;
    }
}

void effect_step_factors(ColourFactors* factors, int32_t mode, const EffectInstance& instance)
{
    switch (mode) {
    case EFFECT_COLOUR_INSTANCE:
        *factors = instance.factors;
        break;
    case EFFECT_COLOUR_FADE_IN:
        *factors = effect_scaled_factors(instance.factors, instance.age, instance.duration);
        break;
    case EFFECT_COLOUR_FADE_OUT:
        *factors = effect_scaled_factors(
            instance.factors, wrap_sub(instance.duration, instance.age), instance.duration);
        break;
    default:
        break;
    }
}

// Sets the pose of a played step, in the order scale, position, angles, colour.
void effect_pose_step(EffectPose& pose, const EffectStep& step, const EffectInstance& instance)
{
    effect_step_scale(&pose.scale, step.scale_mode, instance);
    if (step.position_mode == EFFECT_POSITION_INSTANCE)
        pose.position = instance.position;
    effect_step_angles(&pose.angles, step.rotation_mode, instance);
    effect_step_factors(&pose.factors, step.colour_mode, instance);
}

// Is count more entries within a table of capacity entries of which used are taken?
bool effect_table_room(int32_t used, int32_t count, int32_t capacity)
{
    return used >= 0 && used <= capacity && count <= capacity - used;
}

// Whether a step's packets, projected vertices and colour entries fit in what is left of the
// buffer; a step that does not fit is skipped rather than written past the arena.
bool effect_room(const EffectPass& pass, int32_t bytes, int32_t vertices, int32_t colours)
{
    const SceneBuffer& buffer = pass.buffer;
    const SceneHeader& header = buffer.header;
    // Compared as addresses, so that a cursor outside the area is refused, not trusted.
    const uintptr_t used =
        reinterpret_cast<uintptr_t>(pass.cursor) - reinterpret_cast<uintptr_t>(buffer.packet_area);
    const auto area = static_cast<uintptr_t>(buffer.packet_bytes);
    const int32_t colour_capacity = header.colour_entries ? SCENE_COLOUR_ENTRIES : 0;
    return used <= area && static_cast<uintptr_t>(bytes) <= area - used &&
           effect_table_room(header.vertex_count, vertices, buffer.vertex_capacity) &&
           effect_table_room(header.colour_count, colours, colour_capacity);
}

// Projects the origin into the next vertex slot and writes a marker packet naming the instance.
void effect_place_marker(EffectPass& pass, int32_t instance, const Matrix& m)
{
    if (!effect_room(pass, PACKET_MARKER_BYTES, 1, 0))
        return;
    SceneHeader& header = pass.buffer.header;
    math_transform_project(1, &pass.buffer.vertex_table[header.vertex_count], &EFFECT_ORIGIN, m);
    const uint32_t tag = (static_cast<uint32_t>(instance) << PACKET_INSTANCE_SHIFT) | PACKET_MARKER;
    packet_put<uint32_t>(pass.cursor, PACKET_TAG_AT, tag);
    packet_put<int32_t>(pass.cursor, PACKET_SIZE_AT, PACKET_MARKER_BYTES);
    // The ordering table adds the offset to the depth: left stale, it would move the marker into
    // whatever bucket an earlier frame's bytes happen to give.
    packet_put<int16_t>(pass.cursor, PACKET_DEPTH_OFFSET_AT, 0);
    packet_put<int16_t>(pass.cursor, PACKET_SLOT_AT, static_cast<int16_t>(header.vertex_count));
    pass.cursor += PACKET_MARKER_BYTES;
    header.vertex_count += 1;
    header.packet_count = wrap_add(header.packet_count, 1);
}

// Projects the model's vertices, fades its colours by the pose's factors and copies its packets,
// all after what the buffer already holds.
void effect_show_model(EffectPass& pass, int32_t index, const Matrix& m)
{
    const Model* model = model_get(index);
    if (!model || !effect_room(pass, model->packet_bytes, model->vertex_count, model->colour_count))
        return;
    SceneHeader& header = pass.buffer.header;
    math_transform_project(model->vertex_count, &pass.buffer.vertex_table[header.vertex_count],
                           model_item(model->vertices), m);
    const ColourFactors& f = pass.pose.factors;
    for (int32_t i = 0; i < model->colour_count; ++i) {
        const Vec3& colour = *model_item(model->colours + i);
        // The fourth word of the entry is no filler's business and stays as it is.
        ColourEntry& entry = header.colour_entries[header.colour_count + i];
        entry.red = wrap_mul(colour.x, f.red) >> EFFECT_FACTOR_SHIFT;
        entry.green = wrap_mul(colour.y, f.green) >> EFFECT_FACTOR_SHIFT;
        entry.blue = wrap_mul(colour.z, f.blue) >> EFFECT_FACTOR_SHIFT;
    }
    model_copy_packets(pass.cursor, *model, header.vertex_count, header.colour_count);
    pass.cursor += model->packet_bytes;
    header.packet_count = wrap_add(header.packet_count, model->packet_count);
    header.vertex_count += model->vertex_count;
    header.colour_count += model->colour_count;
}

// Plays the steps of one instance's script whose start frame its age has passed.
void effect_play_instance(EffectPass& pass, int32_t k, const EffectInstance& instance)
{
    for (const EffectStep* step = effect_step(instance.first_step); step;
         step = effect_step(step->next)) {
        if (wrap_sub(instance.age, step->start_frame) <= 0)
            continue;
        effect_pose_step(pass.pose, *step, instance);
        const EffectPose& pose = pass.pose;
        Matrix m;
        math_matrix_compose(&m, pose.position, pose.angles, pose.scale);
        math_matrix_multiply(&m, m, pass.view);
        switch (step->kind & EFFECT_KIND_MASK) {
        case EFFECT_KIND_MARKER:
            effect_place_marker(pass, k, m);
            break;
        case EFFECT_KIND_MODEL:
            effect_show_model(pass, step->model, m);
            break;
        default:
            break;
        }
    }
}

} // namespace

int32_t effect_init_stores()
{
    effect.steps = static_cast<EffectStep*>(mem_alloc(EFFECT_STEP_STORE_BYTES));
    if (!effect.steps)
        return -1;
    effect.step_count = 0;
    effect.instances = static_cast<EffectInstance*>(mem_alloc(EFFECT_INSTANCE_TABLE_BYTES));
    if (!effect.instances)
        return -1;
    for (int32_t k = 0; k < EFFECT_INSTANCES; ++k)
        effect.instances[k].first_step = EFFECT_FREE;
    for (int32_t& first : effect.scripts)
        first = EFFECT_NO_STEP;
    effect.script_count = 0;
    effect.open_script = -1;
    effect.open_last_step = EFFECT_NO_STEP;
    return model_init_table();
}

void effect_free_stores()
{
    model_free_table();
    mem_free(effect.instances);
    mem_free(effect.steps);
    effect.instances = nullptr;
    effect.steps = nullptr;
    effect.step_count = 0;
    effect.script_count = 0;
}

int32_t effect_begin_script()
{
    if (!effect.steps || effect.script_count >= EFFECT_SCRIPTS || effect.step_count >= EFFECT_STEPS)
        return -1;
    effect.open_script = effect.script_count;
    effect.open_last_step = EFFECT_NO_STEP;
    effect.scripts[effect.open_script] = effect.step_count;
    return effect.open_script;
}

void effect_add_step(int32_t model, int32_t position_mode, int32_t rotation_mode,
                     int32_t scale_mode, int32_t colour_mode, int32_t start_frame,
                     int32_t parameter, int32_t kind)
{
    if (!effect.steps || effect.step_count >= EFFECT_STEPS)
        return;
    const int32_t index = effect.step_count++;
    effect.steps[index] = {model,       kind,        position_mode, rotation_mode, scale_mode,
                           colour_mode, start_frame, parameter,     EFFECT_NO_STEP};
    if (effect.open_last_step != EFFECT_NO_STEP)
        effect.steps[effect.open_last_step].next = index;
    effect.open_last_step = index;
}

void effect_end_script()
{
    if (effect.open_script < 0)
        return;
    // Every step is added as the last of its script, so its next is empty already.
    ++effect.script_count;
    effect.open_script = -1;
    effect.open_last_step = EFFECT_NO_STEP;
}

void effect_build_scripts()
{
    effect_begin_script();
    effect_add_step(MODEL_STARBURST, EFFECT_POSITION_INSTANCE, EFFECT_ROTATION_TURN,
                    EFFECT_SCALE_GROW, EFFECT_COLOUR_FADE_OUT, 0, EFFECT_BURST_PARAMETER,
                    EFFECT_KIND_MODEL);
    effect_end_script();
}

void effect_start(int32_t first_step, int32_t duration, const Vec3& position, const Vec3& angles,
                  const Vec3& scale, const ColourEntry& colour)
{
    // An instance walks its script from the step store: a first step that is no step is refused.
    if (!effect.instances || !effect_step(first_step))
        return;
    for (int32_t k = 0; k < EFFECT_INSTANCES; ++k) {
        EffectInstance& instance = effect.instances[k];
        if (instance.first_step != EFFECT_FREE)
            continue;
        const ColourFactors factors = {wrap_mul(colour.red, EFFECT_FACTOR_PER_CHANNEL),
                                       wrap_mul(colour.green, EFFECT_FACTOR_PER_CHANNEL),
                                       wrap_mul(colour.blue, EFFECT_FACTOR_PER_CHANNEL),
                                       colour.unused};
        instance = {first_step, position, angles, scale, factors, 0, duration};
        return;
    }
}

void effect_update()
{
    SceneBuffer* buffer = scene_current();
    if (!effect.instances || !buffer)
        return;
    EffectPass pass = {*buffer, scene_view_matrix(), buffer->header.packet_write, {}};
    for (int32_t k = 0; k < EFFECT_INSTANCES; ++k) {
        EffectInstance& instance = effect.instances[k];
        if (instance.first_step == EFFECT_FREE)
            continue;
        effect_play_instance(pass, k, instance);
        // Ages 0 to duration are played, duration + 1 passes in all.
        instance.age = wrap_add(instance.age, 1);
        if (instance.age > instance.duration)
            instance.first_step = EFFECT_FREE;
    }
}

int32_t effect_instance_first_step(int32_t instance)
{
    const EffectInstance* record = effect_instance(instance);
    return record ? record->first_step : EFFECT_FREE;
}

const EffectInstance* effect_instance(int32_t index)
{
    return effect.instances && index >= 0 && index < EFFECT_INSTANCES ? &effect.instances[index]
                                                                      : nullptr;
}

const EffectStep* effect_step(int32_t index)
{
    return effect.steps && index >= 0 && index < effect.step_count ? &effect.steps[index] : nullptr;
}

int32_t effect_script_count()
{
    return effect.script_count;
}

int32_t effect_script_first_step(int32_t script)
{
    return script >= 0 && script < effect.script_count ? effect.scripts[script] : EFFECT_NO_STEP;
}
