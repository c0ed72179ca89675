/* board.cpp - synthetic Gerber boards for measuring and checking the converter. */
#include "board.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

namespace {

/* Grid pitch in file units: 2.54 mm, or 0.1 inch. */
long pitch_of(board_unit unit) { return unit == board_unit::mm ? 25400 : 10000; }

int strokes_of(hole_shape shape)
{
    switch (shape) {
    case hole_shape::outline4: return 4;
    case hole_shape::outline16: return 16;
    default: return 0;
    }
}

/* Calls `visit` with the centre and the concrete shape of every hole, in file order.
 * mt19937's output is fixed by the standard, so boards do not depend on the library. */
void plan_holes(const board_spec &spec, const std::function<void(long, long, hole_shape)> &visit)
{
    std::mt19937 rng(spec.seed);
    const long pitch = pitch_of(spec.unit);
    const long jitter = pitch / 5;   /* neighbours stay 0.6 pitch apart, outlines span 0.3 */
    const int cols = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(spec.holes))));
    for (int i = 0; i < spec.holes; ++i) {
        long x = pitch * (1 + i % cols) + static_cast<long>(rng() % (2 * jitter + 1)) - jitter;
        long y = pitch * (1 + i / cols) + static_cast<long>(rng() % (2 * jitter + 1)) - jitter;
        hole_shape shape = spec.shape;
        if (shape == hole_shape::mix) {
            static const hole_shape kinds[] = {hole_shape::flash, hole_shape::outline4, hole_shape::outline16};
            shape = kinds[rng() % 3];
        }
        visit(x, y, shape);
    }
}

void append_point(std::string &out, long x, long y, const char *d_code)
{
    char line[64];
    std::snprintf(line, sizeof line, "X%ldY%ld%s*\n", x, y, d_code);
    out += line;
}

}  // namespace

std::string gerber_board(const board_spec &spec)
{
    const bool mm = spec.unit == board_unit::mm;
    const long radius = pitch_of(spec.unit) * 3 / 20;
    std::string out;
    out.reserve(static_cast<size_t>(board_sections(spec)) * 24 + 256);
    out += "G04 synthetic drilling board*\n";
    out += mm ? "%FSLAX44Y44*%\n%MOMM*%\n%ADD10C,0.8*%\n%ADD11C,0.1*%\n"
              : "%FSLAX35Y35*%\n%MOIN*%\n%ADD10C,0.032*%\n%ADD11C,0.004*%\n";
    out += "G01*\n";
    int aperture = 0;
    /* An aperture select is a block end too, and this reader repeats the last D code
     * there; so the select follows a D02 move, where the repeat only moves again. */
    auto move_to = [&](long x, long y, int wanted) {
        append_point(out, x, y, "D02");
        if (wanted != aperture) {
            out += wanted == 10 ? "D10*\n" : "D11*\n";
            aperture = wanted;
        }
    };
    plan_holes(spec, [&](long x, long y, hole_shape shape) {
        if (shape == hole_shape::flash) {
            if (aperture != 10)
                move_to(x, y, 10);
            append_point(out, x, y, "D03");
            return;
        }
        const int k = strokes_of(shape);
        long vx[16], vy[16];
        for (int v = 0; v < k; ++v) {
            /* Start half a step round, so the square stands on its side. */
            const double angle = (2.0 * M_PI * (v + 0.5)) / k;
            vx[v] = x + std::lround(radius * std::cos(angle));
            vy[v] = y + std::lround(radius * std::sin(angle));
        }
        move_to(vx[0], vy[0], 11);
        for (int v = 1; v <= k; ++v)
            append_point(out, vx[v % k], vy[v % k], "D01");
    });
    out += "M02*\n";
    return out;
}

long board_sections(const board_spec &spec)
{
    long sections = 0;
    plan_holes(spec, [&](long, long, hole_shape shape) {
        sections += shape == hole_shape::flash ? 1 : strokes_of(shape);
    });
    return sections;
}

const char *shape_name(hole_shape shape)
{
    switch (shape) {
    case hole_shape::flash: return "flash";
    case hole_shape::outline4: return "outline4";
    case hole_shape::outline16: return "outline16";
    case hole_shape::mix: return "mix";
    }
    return "?";
}

bool parse_shape(const std::string &name, hole_shape *shape)
{
    for (hole_shape s : {hole_shape::flash, hole_shape::outline4, hole_shape::outline16, hole_shape::mix})
        if (name == shape_name(s)) {
            *shape = s;
            return true;
        }
    return false;
}
