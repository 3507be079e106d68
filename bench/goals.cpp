#include "bench/goals.h"

#include <cstdio>

namespace {

enum class GoalFigure { TIME, TRIANGLES, PIXELS };

// FASTER: ours at least target times the peer's speed. COSTLIER: ours at most target times the
// peer's cost. UNDER_MS: our time under target milliseconds, with no peer.
enum class GoalSense { FASTER, COSTLIER, UNDER_MS };

constexpr int GOAL_PEERS_MAX = 2;

struct Goal {
    const char* what;
    const char* ours;
    const char* peer_label;            // what the peer is, for the table
    const char* peers[GOAL_PEERS_MAX]; // times are summed; rates come from the first alone
    GoalFigure figure;
    GoalSense sense;
    double target;
};

constexpr GoalFigure TIME = GoalFigure::TIME;
constexpr GoalFigure TRIS = GoalFigure::TRIANGLES;
constexpr GoalFigure PIXELS = GoalFigure::PIXELS;
constexpr GoalSense FASTER = GoalSense::FASTER;
constexpr GoalSense COSTLIER = GoalSense::COSTLIER;
constexpr GoalSense UNDER_MS = GoalSense::UNDER_MS;

const Goal GOALS[] = {
    {"clear the frame", "surface/clear", "memset", {"peer_memory/memset"}, TIME, COSTLIER, 1.25},
    {"gouraud 64 px, opaque",
     "fill/gouraud/medium_64",
     "SDL2 software",
     {"peer_sdl/gouraud/medium_64"},
     PIXELS,
     FASTER,
     12},
    {"gouraud 64 px, additive",
     "fill/gouraud_add/medium_64",
     "SDL2 software",
     {"peer_sdl/gouraud_add/medium_64"},
     PIXELS,
     FASTER,
     25},
    {"gouraud 64 px, opaque",
     "fill/gouraud/medium_64",
     "plain scanline",
     {"peer_scanline/gouraud/medium_64"},
     PIXELS,
     FASTER,
     1.4},
    {"gouraud 64 px, additive",
     "fill/gouraud_add/medium_64",
     "plain scanline",
     {"peer_scanline/gouraud_add/medium_64"},
     PIXELS,
     FASTER,
     1.4},
    {"gouraud 8 px, opaque",
     "fill/gouraud/small_8",
     "SDL2 software",
     {"peer_sdl/gouraud/small_8"},
     TRIS,
     FASTER,
     3},
    {"gouraud 8 px, additive",
     "fill/gouraud_add/small_8",
     "SDL2 software",
     {"peer_sdl/gouraud_add/small_8"},
     TRIS,
     FASTER,
     3},
    {"textured 64 px, opaque",
     "fill/tex/medium_64",
     "gouraud opaque",
     {"fill/gouraud/medium_64"},
     PIXELS,
     COSTLIER,
     1.5},
    {"textured 64 px, additive",
     "fill/tex_add/medium_64",
     "gouraud opaque",
     {"fill/gouraud/medium_64"},
     PIXELS,
     COSTLIER,
     1.5},
    {"textured 64 px, half",
     "fill/tex_half/medium_64",
     "gouraud opaque",
     {"fill/gouraud/medium_64"},
     PIXELS,
     COSTLIER,
     1.5},
    {"gouraud 64 px, opaque",
     "fill/gouraud/medium_64",
     "flat filler",
     {"fill/flat/medium_64"},
     PIXELS,
     FASTER,
     0.5},
    {"gouraud 64 px, additive",
     "fill/gouraud_add/medium_64",
     "flat filler",
     {"fill/flat/medium_64"},
     PIXELS,
     FASTER,
     0.35},
    {"textured 64 px, opaque",
     "fill/tex/medium_64",
     "flat filler",
     {"fill/flat/medium_64"},
     PIXELS,
     FASTER,
     0.35},
    {"flat 64 px",
     "fill/flat/medium_64",
     "gouraud opaque",
     {"fill/gouraud/medium_64"},
     PIXELS,
     COSTLIER,
     1.5},
    {"textured 8 px, opaque",
     "fill/tex/small_8",
     "gouraud opaque",
     {"fill/gouraud/small_8"},
     TRIS,
     COSTLIER,
     1.5},
    {"textured 8 px, additive",
     "fill/tex_add/small_8",
     "gouraud opaque",
     {"fill/gouraud/small_8"},
     TRIS,
     COSTLIER,
     1.5},
    {"textured 8 px, half",
     "fill/tex_half/small_8",
     "gouraud opaque",
     {"fill/gouraud/small_8"},
     TRIS,
     COSTLIER,
     1.5},
    {"flat 8 px",
     "fill/flat/small_8",
     "gouraud opaque",
     {"fill/gouraud/small_8"},
     TRIS,
     COSTLIER,
     1.5},
    {"message window, plain",
     "composite/plain",
     "pixman OVER a8",
     {"peer_pixman/over"},
     PIXELS,
     FASTER,
     8},
    {"message window, fade-in",
     "composite/fade_in",
     "pixman ADD",
     {"peer_pixman/add"},
     PIXELS,
     FASTER,
     5},
    {"message window, additive",
     "composite/add",
     "pixman ADD",
     {"peer_pixman/add"},
     PIXELS,
     FASTER,
     5},
    {"demo frame",
     "frame/demo",
     "memset + memcpy",
     {"peer_memory/memset", "peer_memory/memcpy"},
     TIME,
     COSTLIER,
     4},
    // Per polygon and per layer: no step beyond linear from the ordering table, the packet area
    // or the caches.
    {"cost per polygon, 100,000 small gouraud",
     "sweep/polygons/100000",
     "1,000 of them",
     {"sweep/polygons/1000"},
     TRIS,
     COSTLIER,
     1.2},
    {"cost per layer, 16 full-screen additive",
     "sweep/overdraw/16",
     "1 layer",
     {"sweep/overdraw/1"},
     PIXELS,
     COSTLIER,
     1.1},
    {"showcase stress frame", "frame/showcase_stress", "", {}, TIME, UNDER_MS, 1},
    {"start-up to the first frame", "frame/startup", "", {}, TIME, UNDER_MS, 50},
};

constexpr double MS_PER_SECOND = 1e3;
constexpr double US_PER_SECOND = 1e6;
constexpr double PER_MEGA = 1e-6;

double goal_value(const BenchFigures& f, GoalFigure figure)
{
    switch (figure) {
    case GoalFigure::TIME:
        return f.seconds;
    case GoalFigure::TRIANGLES:
        return f.triangles;
    case GoalFigure::PIXELS:
        return f.pixels;
    }
    return 0;
}

std::string goal_format(double value, GoalFigure figure)
{
    char text[64];
    if (figure == GoalFigure::TIME && value >= 1e-3)
        std::snprintf(text, sizeof text, "%.2f ms", value * MS_PER_SECOND);
    else if (figure == GoalFigure::TIME)
        std::snprintf(text, sizeof text, "%.1f us", value * US_PER_SECOND);
    else
        std::snprintf(text, sizeof text, "%.1f %s", value * PER_MEGA,
                      figure == GoalFigure::TRIANGLES ? "Mtri/s" : "Mpixel/s");
    return text;
}

// The peers' figure: their times summed, or the first one's rate; false when one is missing.
bool goal_peer(const Goal& goal, const BenchResults& results, double* value)
{
    *value = 0;
    for (const char* peer : goal.peers) {
        if (!peer)
            continue;
        const auto found = results.find(peer);
        if (found == results.end())
            return false;
        const double figure = goal_value(found->second, goal.figure);
        if (goal.figure == GoalFigure::TIME)
            *value += figure;
        else if (*value == 0)
            *value = figure;
    }
    return true;
}

std::string goal_row(const Goal& goal, const BenchResults& results)
{
    const auto ours = results.find(goal.ours);
    double peer = 0;
    std::string row = std::string("| ") + goal.what + " | ";
    if (ours == results.end() || !goal_peer(goal, results, &peer))
        return row + "- | " + goal.peer_label + " | - | - | not measured |\n";
    const double value = goal_value(ours->second, goal.figure);
    char ratio[32] = "-";
    char target[32];
    bool pass = false;
    if (goal.sense == GoalSense::UNDER_MS) {
        pass = value * MS_PER_SECOND < goal.target;
        std::snprintf(target, sizeof target, "under %.0f ms", goal.target);
    } else {
        // How many times the peer's speed ours has.
        const double speed = goal.figure == GoalFigure::TIME ? peer / value : value / peer;
        if (goal.sense == GoalSense::FASTER) {
            pass = speed >= goal.target;
            std::snprintf(ratio, sizeof ratio, "%.2fx as fast", speed);
            std::snprintf(target, sizeof target, "at least %.4gx", goal.target);
        } else {
            pass = 1 / speed <= goal.target;
            std::snprintf(ratio, sizeof ratio, "%.2fx the cost", 1 / speed);
            std::snprintf(target, sizeof target, "at most %.4gx", goal.target);
        }
    }
    const std::string peer_text =
        goal.sense == GoalSense::UNDER_MS
            ? "-"
            : std::string(goal.peer_label) + ": " + goal_format(peer, goal.figure);
    return row + goal_format(value, goal.figure) + " | " + peer_text + " | " + ratio + " | " +
           target + " | " + (pass ? "pass" : "falls short") + " |\n";
}

} // namespace

std::string goals_table(const BenchResults& results)
{
    std::string table = "| goal | ours | peer or limit | ratio | target | result |\n"
                        "|---|---|---|---|---|---|\n";
    for (const Goal& goal : GOALS)
        table += goal_row(goal, results);
    return table;
}
