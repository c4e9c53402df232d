// The display's share of a frame: the enlargement against the cheapest way
// to write every framebuffer byte once, and the whole drawing of a frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "data/level_map.h"
#include "display/canvas.h"
#include "display/status_line.h"
#include "platform/display.h"
#include "platform/headless/headless.h"

namespace {

// A level like a played one: a wall round the edge, floor inside, and
// scattered obstacles of several colours, so that draw_level_map's
// transparency test is not always taken the same way.
void make_level() {
    uint32_t seed = 12345;
    for (int32_t x = 0; x < MAP_W; ++x) {
        for (int32_t y = 0; y < MAP_H; ++y) {
            seed = seed * 1664525U + 1013904223U;
            const bool edge = x == 0 || y == 0 || x == MAP_W - 1 || y == MAP_H - 1;
            int32_t value = CELL_FLOOR;
            if (edge) {
                value = 7;
            } else if ((seed >> 24U) < 40U) {
                value = static_cast<int32_t>(2 + (seed >> 8U) % 14U);
            } else if ((seed >> 24U) < 44U) {
                value = 0;  // not drawn
            }
            level_cell(level_map, x, y) = value;
        }
    }
}

void set_up_screen() {
    headless_reset();
    screen_open(SCREEN_W, SCREEN_H, 8, 0, 0, 0);
    build_block_patterns();
    framebuffer = screen_framebuffer();
    create_canvas();
    make_level();
    clear_canvas();
    draw_level_map();
}

void BM_memset_framebuffer(benchmark::State& state) {
    set_up_screen();
    int32_t value = 0;
    for (auto _ : state) {
        std::memset(framebuffer, value & 0x0F, SCREEN_BYTES);
        benchmark::ClobberMemory();
        ++value;
    }
    state.SetBytesProcessed(state.iterations() * SCREEN_BYTES);
}

// The same bytes written one 640-byte row at a time. A single memset of the
// whole framebuffer may take the processor's string-store path, which
// ordinary stores cannot match; this shows what ordinary stores cost.
void BM_memset_framebuffer_rows(benchmark::State& state) {
    set_up_screen();
    int32_t value = 0;
    for (auto _ : state) {
        for (int32_t y = 0; y < SCREEN_H; ++y) {
            std::memset(framebuffer + static_cast<size_t>(y) * SCREEN_W, value & 0x0F, SCREEN_W);
        }
        benchmark::ClobberMemory();
        ++value;
    }
    state.SetBytesProcessed(state.iterations() * SCREEN_BYTES);
}

void BM_present_canvas(benchmark::State& state) {
    set_up_screen();
    for (auto _ : state) {
        present_canvas();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * SCREEN_BYTES);
}

void BM_clear_and_draw_level(benchmark::State& state) {
    set_up_screen();
    for (auto _ : state) {
        clear_canvas();
        draw_level_map();
        benchmark::ClobberMemory();
    }
}

void BM_status_line(benchmark::State& state) {
    set_up_screen();
    int32_t frame = 0;
    for (auto _ : state) {
        print_status_line(frame % 76, frame % 56, 1 + frame % 4);
        benchmark::ClobberMemory();
        ++frame;
    }
}

// Frame steps 4 to 6 and 10 to 12: everything of a frame's drawing that the
// display does.
void BM_frame_drawing(benchmark::State& state) {
    set_up_screen();
    int32_t frame = 0;
    for (auto _ : state) {
        screen_lock();
        clear_canvas();
        draw_level_map();
        present_canvas();
        print_status_line(frame % 76, frame % 56, 1 + frame % 4);
        screen_unlock(-1, -1);
        benchmark::ClobberMemory();
        ++frame;
    }
}

constexpr int REPETITIONS = 5;

BENCHMARK(BM_memset_framebuffer)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_memset_framebuffer_rows)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_present_canvas)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_clear_and_draw_level)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_status_line)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_frame_drawing)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);

// The console report, and the median CPU time of each benchmark kept for the
// summary that compares them. CPU time, because the machine is shared: wall
// time also counts the slices other processes took meanwhile.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    explicit SummaryReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.time_unit != benchmark::kMicrosecond) {
                continue;
            }
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || run.run_type == Run::RT_Iteration) {
                median_us[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> median_us;
};

void print_summary(const std::map<std::string, double>& median_us) {
    std::ostream& out = std::cout;
    out << std::fixed << std::setprecision(2);
    const auto memset_time = median_us.find("BM_memset_framebuffer");
    const auto present_time = median_us.find("BM_present_canvas");
    if (memset_time != median_us.end() && present_time != median_us.end() &&
        memset_time->second > 0.0) {
        out << "present_canvas / memset (median CPU time): "
            << present_time->second / memset_time->second << " (" << present_time->second
            << " us / " << memset_time->second << " us; target at most 1.50)\n";
    }
    const auto rows_time = median_us.find("BM_memset_framebuffer_rows");
    if (rows_time != median_us.end() && present_time != median_us.end() &&
        rows_time->second > 0.0) {
        out << "present_canvas / memset by rows (median CPU time): "
            << present_time->second / rows_time->second << " (" << rows_time->second
            << " us by rows)\n";
    }
    const auto frame_time = median_us.find("BM_frame_drawing");
    if (frame_time != median_us.end()) {
        out << "frame drawing (median CPU time): " << frame_time->second
            << " us (target under 30 us)\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // Colours only on a terminal, so that a saved report stays plain text.
    SummaryReporter reporter(isatty(STDOUT_FILENO) != 0 ? benchmark::ConsoleReporter::OO_Defaults
                                                        : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    print_summary(reporter.median_us);
    return 0;
}
