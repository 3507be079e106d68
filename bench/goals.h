// The performance goals. Each compares one figure of ours with the same figure of a peer or a
// limit measured in the same run (the median of the repetitions), or holds one figure under an
// absolute limit, and says whether it passes. A goal is one row of GOALS in goals.cpp.
#pragma once

#include <map>
#include <string>

// What one benchmark measured: the median over its repetitions when it was repeated.
struct BenchFigures {
    double seconds;   // CPU time per iteration
    double triangles; // per second, 0 when not counted
    double pixels;    // per second, 0 when not counted
};

using BenchResults = std::map<std::string, BenchFigures>;

// The goal table in Markdown: every goal with both figures, the ratio, the target and "pass" or
// "falls short" ("not measured" when a benchmark it names did not run).
std::string goals_table(const BenchResults& results);
