/* paths_test.cpp - the indexed grouping and tour against the reference list
 * scan and distance tables: whole conversions of randomised boards must
 * give the same program, messages and exit status either way. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "holes/bore.h"
#include "reading/gerber.h"
#include "app/driver.h"
#include "test_support.h"
#include "system/tools.h"

namespace {

/* A flash when both ends are the same point, else a stroke; in file units. */
struct mark { long x1, y1, x2, y2; };
typedef std::vector<mark> board;
typedef std::function<board(std::mt19937 &, int)> board_maker;

/* File units: 0.1 um in a millimetre file (FSLAX34Y34), 10 uin in an inch file (FSLAX25Y25). */
const long MM_PITCH = 25400;    /* 2.54 mm */
const long INCH_PITCH = 10000;  /* 0.1 inch */

long uniform(std::mt19937 &rng, long low, long high)
{
    return std::uniform_int_distribution<long>(low, high)(rng);
}

mark flash(long x, long y) { return {x, y, x, y}; }

/* n flashes on a square grid of the pitch, each moved by up to `jitter`. */
board jittered(std::mt19937 &rng, int n, long pitch, long jitter)
{
    board out;
    int columns = (int)std::ceil(std::sqrt((double)n));
    for (int i = 0; i < n; i++)
        out.push_back(flash(pitch * (1 + i % columns) + uniform(rng, -jitter, jitter),
                            pitch * (1 + i / columns) + uniform(rng, -jitter, jitter)));
    return out;
}

/* n distinct points of an exact grid that includes its corner (0, 0), in random order. */
board exact_grid(std::mt19937 &rng, int n, long pitch)
{
    int columns = (int)std::ceil(std::sqrt(2.0 * n));
    std::vector<long> cells(columns * columns - 1);
    for (size_t i = 0; i < cells.size(); i++)
        cells[i] = (long)i + 1;
    std::shuffle(cells.begin(), cells.end(), rng);
    board out{flash(0, 0)};
    for (int i = 1; i < n; i++)
        out.push_back(flash(pitch * (cells[i] % columns), pitch * (cells[i] / columns)));
    std::shuffle(out.begin(), out.end(), rng);
    return out;
}

/* A closed polygon of k sides around (x, y), as strokes in drawing order. */
board outline(long x, long y, long radius, int k)
{
    board out;
    for (int v = 0; v < k; v++) {
        double a = 2 * M_PI * v / k, b = 2 * M_PI * (v + 1) / k;
        out.push_back({x + std::lround(radius * std::cos(a)), y + std::lround(radius * std::sin(a)),
                       x + std::lround(radius * std::cos(b)), y + std::lround(radius * std::sin(b))});
    }
    return out;
}

board clusters(std::mt19937 &rng, int n)
{
    board out;
    std::vector<mark> centres;
    for (int c = 0; c < 1 + n / 40; c++)
        centres.push_back(flash(uniform(rng, 50000, 2000000), uniform(rng, 50000, 2000000)));
    for (int i = 0; i < n; i++) {
        const mark &c = centres[uniform(rng, 0, (long)centres.size() - 1)];
        out.push_back(flash(c.x1 + uniform(rng, -300, 300), c.y1 + uniform(rng, -300, 300)));
    }
    return out;
}

/* Rings of different sizes and a flash around the same centre are separate holes on one point. */
board duplicate_centres(std::mt19937 &rng, int n)
{
    board out;
    while ((int)out.size() < n) {
        long x = uniform(rng, 1, 40) * MM_PITCH, y = uniform(rng, 1, 40) * MM_PITCH;
        out.push_back(flash(x, y));
        for (long radius : {2000L, 3500L}) {
            board ring = outline(x, y, radius, 4);
            out.insert(out.end(), ring.begin(), ring.end());
        }
    }
    out.resize(n);
    return out;
}

/* Chains of strokes, then strokes from an end point of one chain to another's. */
board bridges(std::mt19937 &rng, int n)
{
    board out;
    for (int i = 0; i < n; i++) {
        if (i > 0 && uniform(rng, 0, 2) == 0) {
            const mark &a = out[uniform(rng, 0, i - 1)], &b = out[uniform(rng, 0, i - 1)];
            out.push_back({a.x2, a.y2, b.x1, b.y1});
        } else if (i > 0 && uniform(rng, 0, 1) == 0) {
            const mark &a = out[i - 1];
            out.push_back({a.x2, a.y2, std::max(0L, a.x2 + uniform(rng, -5000, 5000)),
                           std::max(0L, a.y2 + uniform(rng, -5000, 5000))});
        } else {
            long x = uniform(rng, 10000, 1000000), y = uniform(rng, 10000, 1000000);
            out.push_back({x, y, x + uniform(rng, 0, 5000), y + uniform(rng, 0, 5000)});
        }
    }
    return out;
}

/* 16-sided outlines whose strokes are shuffled among each other and drawn either way round. */
board scrambled_outlines(std::mt19937 &rng, int n)
{
    board out;
    for (int i = 0; out.size() < (size_t)n; i++) {
        board ring = outline(MM_PITCH * (2 + i % 30) + uniform(rng, -3000, 3000),
                             MM_PITCH * (2 + i / 30) + uniform(rng, -3000, 3000), 4000, 16);
        out.insert(out.end(), ring.begin(), ring.end());
    }
    out.resize(n);
    for (mark &m : out)
        if (uniform(rng, 0, 1))
            m = {m.x2, m.y2, m.x1, m.y1};
    std::shuffle(out.begin(), out.end(), rng);
    return out;
}

/* Lattice points at equal distances from the corner, (a, b) beside (b, a), and the ties among them. */
board equidistant(std::mt19937 &rng, int n)
{
    static const long pairs[][2] = {{0, 5}, {3, 4}, {1, 7}, {5, 5}, {1, 8}, {4, 7}, {0, 10}, {6, 8}, {2, 11}, {5, 10}};
    board out;
    for (int i = 0; (int)out.size() < n; i++) {
        long shift = MM_PITCH * 12 * (i / 10);
        const long *p = pairs[i % 10];
        out.push_back(flash(shift + p[0] * MM_PITCH, p[1] * MM_PITCH));
        out.push_back(flash(shift + p[1] * MM_PITCH, p[0] * MM_PITCH));
    }
    out.resize(n);
    std::shuffle(out.begin(), out.end(), rng);
    return out;
}

std::string gerber_text(const board &marks, bool inch)
{
    std::string out = inch ? "%FSLAX25Y25*%\n%MOIN*%\n%ADD10C,0.032*%\n" : "%FSLAX34Y34*%\n%MOMM*%\n%ADD10C,0.8*%\n";
    out += "G01*\nD10*\n";
    for (const mark &m : marks) {
        char line[96];
        if (m.x1 == m.x2 && m.y1 == m.y2)
            snprintf(line, sizeof line, "X%ldY%ldD03*\n", m.x1, m.y1);
        else
            snprintf(line, sizeof line, "X%ldY%ldD02*\nX%ldY%ldD01*\n", m.x1, m.y1, m.x2, m.y2);
        out += line;
    }
    return out + "M02*\n";
}

struct outcome {
    int status;
    std::string out, err, program;
};

struct driver_exit { int status; };
void throw_exit(int status) { throw driver_exit{status}; }

/* One in-process conversion of the input in `dir` along the chosen path. */
outcome convert(const temp_dir &dir, std::vector<std::string> args, bool reference)
{
    args.insert(args.begin(), "drelvo");
    args.push_back(dir.file("board.gbr"));
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);

    outcome result;
    bore_path previous_path = set_default_bore_path(reference ? BORE_REFERENCE : BORE_INDEXED);
    fatal_handler_fn previous = set_fatal_handler(throw_exit);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    try {
        result.status = drelvo_main((int)args.size(), argv.data());
    } catch (const driver_exit &exit) {
        result.status = exit.status;
    }
    fflush(stdout);
    result.out = testing::internal::GetCapturedStdout();
    result.err = testing::internal::GetCapturedStderr();
    set_fatal_handler(previous);
    set_default_bore_path(previous_path);
    result.program = read_file(dir.file("board.gbr.tap"));
    return result;
}

struct board_case {
    const char *name;
    board_maker make;
    bool inch_file;
    std::vector<std::string> options;
};

const board_case cases[] = {
    {"jittered, millimetres", [](std::mt19937 &r, int n) { return jittered(r, n, MM_PITCH, MM_PITCH / 5); }, false, {}},
    {"jittered, inches", [](std::mt19937 &r, int n) { return jittered(r, n, INCH_PITCH, INCH_PITCH / 5); }, true, {"-m", "coll"}},
    {"2.54 mm grid with a hole on the origin", [](std::mt19937 &r, int n) { return exact_grid(r, n, MM_PITCH); }, false, {}},
    {"2.54 mm grid, inch program", [](std::mt19937 &r, int n) { return exact_grid(r, n, MM_PITCH); }, false, {"-m", "coll"}},
    {"0.1 inch grid", [](std::mt19937 &r, int n) { return exact_grid(r, n, INCH_PITCH); }, true, {}},
    {"0.1 inch grid, inch program, corner offsets", [](std::mt19937 &r, int n) { return exact_grid(r, n, INCH_PITCH); }, true,
     {"-m", "coll", "-x", "7", "-y", "993"}},
    {"clusters", clusters, false, {}},
    {"duplicate centres", duplicate_centres, false, {}},
    {"strokes bridging two groups", bridges, false, {"-x", "1000"}},
    {"outlines in scrambled order", scrambled_outlines, false, {"-y", "3"}},
    {"equidistant from the origin", equidistant, false, {}},
    {"equidistant, corner offsets", equidistant, false, {"-x", "5", "-y", "5"}},
};

/* Sizes on both sides of a tree leaf (8 holes) and of the end-point map's first growth (32 points). */
const int sizes[] = {1, 2, 8, 9, 33, 150, 700};

TEST(paths, index_and_reference_convert_alike)
{
    temp_dir dir;
    for (const board_case &c : cases) {
        for (int n : sizes) {
            for (uint32_t seed = 1; seed <= 2; seed++) {
                SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(n) + " marks, seed " + std::to_string(seed));
                std::mt19937 rng(seed * 7919 + n);
                write_file(dir.file("board.gbr"), gerber_text(c.make(rng, n), c.inch_file));
                outcome reference = convert(dir, c.options, true);
                outcome indexed = convert(dir, c.options, false);
                ASSERT_EQ(reference.status, 0) << reference.err;
                EXPECT_EQ(indexed.status, reference.status);
                EXPECT_EQ(indexed.out, reference.out);
                EXPECT_EQ(indexed.err, reference.err);
                ASSERT_EQ(indexed.program, reference.program);
            }
        }
    }
}

}  // namespace
