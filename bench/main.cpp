// luma_bench: every benchmark of the renderer and of its peers in one run, then the goal table.
//   luma_bench [Google Benchmark flags] [--goals_out=FILE] [--span_path=NAME]
// The table goes to standard output after the benchmarks, and to FILE when given. Run it with
// repetitions and random interleaving (scripts/bench does) so that ours and the peers share the
// machine's state alike and every figure is a median.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_register.h"
#include "bench/bench_stage.h"
#include "bench/goals.h"
#include "raster/span_path.h"

namespace {

constexpr std::string_view GOALS_OUT_FLAG = "--goals_out=";
constexpr std::string_view SPAN_PATH_FLAG = "--span_path=";
constexpr int BENCH_EXIT_USAGE = 2;

void bench_print_help()
{
    std::cout << "luma_bench: the renderer's benchmarks beside its peers, then the goal table.\n"
                 "  --goals_out=FILE  also write the goal table to FILE\n"
                 "  --span_path=NAME  draw with the span routines NAME (portable, SSE2, AVX2 or\n"
                 "                    AVX512) instead of the widest the processor runs\n"
                 "and Google Benchmark's options:\n";
    benchmark::PrintDefaultHelp();
}

// The console output as usual, and every figure kept for the goals: the median aggregate when
// there are repetitions, the single run otherwise.
class GoalReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred || (run.run_type == Run::RT_Aggregate && !median))
                continue;
            const std::string name = run.run_name.function_name;
            if (!median && medians_.count(name))
                continue;
            if (median)
                medians_.insert(name);
            const auto counter = [&](const char* key) {
                const auto found = run.counters.find(key);
                return found == run.counters.end() ? 0.0 : static_cast<double>(found->second);
            };
            results_[name] = {run.GetAdjustedCPUTime() /
                                  benchmark::GetTimeUnitMultiplier(run.time_unit),
                              counter("triangles"), counter("pixels")};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const BenchResults& results() const
    {
        return results_;
    }

private:
    BenchResults results_;
    std::set<std::string> medians_;
};

// Makes the fillers run the path named, for measuring a narrower processor's routines on this
// one; false when there is no such path or the processor lacks it.
bool bench_select_path(std::string_view name)
{
    for (const RasterPath path : RASTER_PATHS) {
        if (name == raster_path_name(path))
            return raster_path_set(path);
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    std::string goals_out;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with(GOALS_OUT_FLAG)) {
            goals_out = arg.substr(GOALS_OUT_FLAG.size());
        } else if (arg.starts_with(SPAN_PATH_FLAG)) {
            const std::string_view name = arg.substr(SPAN_PATH_FLAG.size());
            if (!bench_select_path(name)) {
                std::cerr << "luma_bench: no span path \"" << name
                          << "\" on this processor; the paths are portable, SSE2, AVX2 and "
                             "AVX512, where the build and the processor have them\n";
                return BENCH_EXIT_USAGE;
            }
        } else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());

    bench_register_surface();
    bench_register_peers_memory();
    bench_register_raster();
    bench_register_peers_scanline();
    bench_register_peers_sdl();
    bench_register_composite();
    bench_register_peers_pixman();
    bench_register_filters();
    bench_register_frame();

    benchmark::Initialize(&count, args.data(), bench_print_help);
    // Google Benchmark leaves what it does not know in place; a mistyped option must not run the
    // whole suite as if it had been given.
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        std::cerr << "luma_bench: the options are:\n";
        bench_print_help();
        return BENCH_EXIT_USAGE;
    }
    GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    bench_stage_stop();
    benchmark::Shutdown();

    const std::string table = goals_table(reporter.results());
    std::cout << "\n" << table;
    if (!goals_out.empty()) {
        std::ofstream out(goals_out);
        out << table;
        if (!out) {
            std::cerr << "luma_bench: cannot write " << goals_out << "\n";
            return 1;
        }
    }
    return 0;
}
