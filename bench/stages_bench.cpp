/* stages_bench.cpp - time of each conversion stage against the number of holes.
 *
 * Reading covers the line reader, the Gerber interpreter and the grouping of
 * sections into holes (search_section); the distance table and the tour are
 * measured on flash boards read the same way, and so is releasing the table,
 * which the converter pays at its end. Grouping and the tour are also timed
 * alone, through the index and through the reference path side by side
 * (the _Paths cases). Every case reports the fitted growth over its sizes
 * (the _BigO line). */
#include <benchmark/benchmark.h>

#include <cmath>
#include <fcntl.h>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <utility>

#include "board.h"
#include "holes/bore.h"
#include "holes/d_list.h"
#include "holes/reference_path.h"
#include "reading/gerber.h"
#include "app/settings.h"
#include "test_support.h"
#include "system/tools.h"
#include "writing/gcode_writer.h"
#include "writing/output_buffer.h"

namespace {

/* Boards are written once per shape and size and removed at exit. */
const std::string &board_file(hole_shape shape, int holes)
{
    static temp_dir dir;
    static std::map<std::pair<hole_shape, int>, std::string> files;
    std::string &path = files[{shape, holes}];
    if (path.empty()) {
        board_spec spec;
        spec.holes = holes;
        spec.shape = shape;
        path = dir.file(std::string(shape_name(shape)) + "-" + std::to_string(holes) + ".gbr");
        write_file(path, gerber_board(spec));
    }
    return path;
}

d_list *read_board(const std::string &path, bore_path along = BORE_INDEXED)
{
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path);
    d_list *root = new_bores_on(along);
    gerber(root, fd, 2);
    close(fd);
    return root;
}

bore *hole_at(d_list *root, int32_t i) { return static_cast<bore *>(d_list_get_idx_node(root, i)->data); }

/* A flash board read, centred and moved as the converter does before ordering; the
 * distance tables belong to the reference path. */
struct placed_board {
    d_list *root;
    placed_board(int holes, bore_path along) : root(read_board(board_file(hole_shape::flash, holes), along))
    {
        compute_quad(root);
        normalize_coords(root, 0.0, 0.0);
    }
    ~placed_board() { d_list_free(root); }
    placed_board(const placed_board &) = delete;
    placed_board &operator=(const placed_board &) = delete;

    void drop_distances() { free_distances(root); }
    void clear_drilled()
    {
        for (int32_t i = 0; i < root->count; ++i)
            hole_at(root, i)->drilled = 0;
    }
};

void BM_Read(benchmark::State &state, hole_shape shape)
{
    const int holes = static_cast<int>(state.range(0));
    const std::string &path = board_file(shape, holes);
    for (auto _ : state) {
        d_list *root = read_board(path);
        state.PauseTiming();
        const int32_t found = root->count;
        d_list_free(root);
        state.ResumeTiming();
        if (found != holes) {
            state.SkipWithError("the board did not read as its number of holes");
            break;
        }
    }
    board_spec spec;
    spec.holes = holes;
    spec.shape = shape;
    state.counters["sections"] = static_cast<double>(board_sections(spec));
    state.SetComplexityN(holes);
}

void BM_ComputeDistances(benchmark::State &state)
{
    placed_board board(static_cast<int>(state.range(0)), BORE_REFERENCE);
    for (auto _ : state) {
        benchmark::DoNotOptimize(compute_distances(board.root));
        state.PauseTiming();
        board.drop_distances();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

/* Releasing the table, which the converter does with the hole list at its end. */
void BM_FreeDistances(benchmark::State &state)
{
    placed_board board(static_cast<int>(state.range(0)), BORE_REFERENCE);
    for (auto _ : state) {
        state.PauseTiming();
        compute_distances(board.root);
        state.ResumeTiming();
        board.drop_distances();
    }
    state.SetComplexityN(state.range(0));
}

/* The nearest-neighbour walk alone, as print_bores drives it. */
void BM_Tour(benchmark::State &state)
{
    placed_board board(static_cast<int>(state.range(0)), BORE_REFERENCE);
    bore *first = compute_distances(board.root);
    for (auto _ : state) {
        bore *b = first;
        b->drilled = 1;
        for (int32_t step = 1; step < board.root->count; ++step) {
            b = get_nearest_bore(b);
            b->drilled = 1;
        }
        state.PauseTiming();
        board.clear_drilled();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

/* The tour with the G-code written through the program file's buffer, as
 * the converter runs them: planned by tour_start, walked by print_bores. */
void BM_TourAndWrite(benchmark::State &state)
{
    placed_board board(static_cast<int>(state.range(0)), BORE_INDEXED);
    settings_t settings;
    reset_settings(settings);
    const program_style style = style_of(settings);
    const int out = open("/dev/null", O_WRONLY);
    set_text_mode(out);
    for (auto _ : state) {
        print_bores(out, style, board.root, tour_start(board.root));
        state.PauseTiming();
        board.clear_drilled();
        state.ResumeTiming();
    }
    close_file(out);
    state.SetComplexityN(state.range(0));
}

/* ---- the index against the reference path ---- */

/* The sections of a board of closed 4-stroke outlines on a jittered 2.54 mm
 * grid, in drawing order and in millimetres, as the reader hands them over:
 * neighbouring strokes share their end point exactly. */
const std::vector<section> &outline_sections(int holes)
{
    static std::map<int, std::vector<section>> streams;
    std::vector<section> &stream = streams[holes];
    if (stream.empty()) {
        std::mt19937 rng(1);
        const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(holes))));
        for (int i = 0; i < holes; ++i) {
            long x = 25400 * (1 + i % columns) + static_cast<long>(rng() % 10161) - 5080;
            long y = 25400 * (1 + i / columns) + static_cast<long>(rng() % 10161) - 5080;
            const long corner[5][2] = {{x - 3810, y - 3810}, {x + 3810, y - 3810}, {x + 3810, y + 3810},
                                       {x - 3810, y + 3810}, {x - 3810, y - 3810}};
            for (int k = 0; k < 4; ++k)
                stream.push_back({corner[k][0] * 1e-4, corner[k][1] * 1e-4, corner[k + 1][0] * 1e-4, corner[k + 1][1] * 1e-4});
        }
    }
    return stream;
}

/* Grouping alone, as the reader drives it: find the touching hole or start one. */
void BM_Grouping_Paths(benchmark::State &state, bool reference)
{
    const std::vector<section> &stream = outline_sections(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        d_list *root = group_sections(stream, reference);
        state.PauseTiming();
        if (root->count != state.range(0))
            state.SkipWithError("the outlines did not group into their number of holes");
        d_list_free(root);
        state.ResumeTiming();
    }
    state.counters["sections"] = static_cast<double>(stream.size());
    state.SetComplexityN(state.range(0));
}

/* The whole tour: the reference builds its tables, the index its tree, and each walks every hole. */
void BM_Tour_Paths(benchmark::State &state, bool reference)
{
    const int holes = static_cast<int>(state.range(0));
    const std::vector<section> &stream = outline_sections(holes);
    d_list *root = new_hole_list(reference);
    for (int i = 0; i < holes; ++i) {
        const section &s = stream[4 * i];
        bore *hole = append_bore(root);
        hole->x = s.x1 + 0.381;
        hole->y = s.y1 + 0.381;
    }
    normalize_coords(root, 0.0, 0.0);
    for (auto _ : state) {
        bore *hole = tour_start(root);
        hole->drilled = 1;
        for (int32_t step = 1; step < holes; ++step) {
            hole = tour_next(root, hole);
            hole->drilled = 1;
        }
        state.PauseTiming();
        for (int32_t i = 0; i < holes; ++i) {
            bore *b = hole_at(root, i);
            b->drilled = 0;
        }
        free_distances(root);
        state.ResumeTiming();
    }
    d_list_free(root);
    state.SetComplexityN(holes);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Grouping_Paths, reference, true)
    ->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Grouping_Paths, indexed, false)
    ->Arg(1000)->Arg(3000)->Arg(10000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(BM_Tour_Paths, reference, true)
    ->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Tour_Paths, indexed, false)
    ->Arg(1000)->Arg(3000)->Arg(10000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(BM_Read, flash, hole_shape::flash)
    ->Arg(100)->Arg(300)->Arg(1000)->Arg(3000)->Arg(10000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(BM_Read, outline4, hole_shape::outline4)
    ->Arg(100)->Arg(300)->Arg(1000)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(BM_Read, outline16, hole_shape::outline16)
    ->Arg(30)->Arg(100)->Arg(300)->Arg(1000)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(BM_Read, mix, hole_shape::mix)
    ->Arg(100)->Arg(300)->Arg(1000)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_ComputeDistances)
    ->Arg(100)->Arg(300)->Arg(1000)->Arg(3000)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_FreeDistances)
    ->Arg(100)->Arg(300)->Arg(1000)->Arg(3000)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_Tour)
    ->Arg(100)->Arg(300)->Arg(1000)->Arg(3000)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_TourAndWrite)
    ->Arg(100)->Arg(300)->Arg(1000)->Arg(3000)->Arg(10000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMillisecond)->Complexity();

BENCHMARK_MAIN();
