/* gcode_writer.cpp - the drilling program's lines. */
#include "writing/gcode_writer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "reading/excellon.h"
#include "system/tools.h"
#include "writing/fixed_point.h"
#include "writing/output_buffer.h"

/* The G-code gives feed, safe height and depth in whole millimetres, or
 * those whole millimetres in inches. */
static const double MM_PER_INCH = 25.4;

/* A length in millimetres in the output unit. */
static double output_length(const program_style &style, double mm)
{
    return style.inch_output ? mm / MM_PER_INCH : mm;
}

/* The feed, safe height and depth as the program writes them. */
static double safe_height(const program_style &style)
{
    return output_length(style, std::trunc(style.neutral_height));
}

/* Absolute coordinates, the unit and the feed. */
static void print_program_head(int fd, const program_style &style)
{
    message(fd, "G90\n");
    message(fd, style.inch_output ? "G20\n" : "G21\n");
    message(fd, "F%0.*lf\n", style.precision, output_length(style, std::trunc(style.feed)));
}

std::string tenths_text(int tenths)
{
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0)
        text += "." + std::to_string(tenths % 10);
    return text;
}

/* The spindle on; a controller that does not wait for its speed (GRBL) dwells for the run-up. */
static void print_spindle_on(int fd, const program_style &style)
{
    message(fd, "S%u\n", style.spindle_speed);
    message(fd, style.spindle_left ? "M4\n" : "M3\n");
    if (style.warmup_tenths > 0)
        message(fd, "G4 P%s\n", tenths_text(style.warmup_tenths).c_str());
}

/* Up to the safe height and the spindle on. */
static void print_spindle_start(int fd, const program_style &style)
{
    message(fd, "G0 Z%0.*lf\n", style.precision, safe_height(style));
    print_spindle_on(fd, style);
}

/* The lines every hole repeats unchanged, formatted once a program: a large
 * board writes them a million times. */
typedef struct plunge_lines {
    int decimals;
    bool inch_output;
    char rise[64];        /* "G0 Z<safe height>\n" */
    char sink[64];        /* "G1 Z<depth>\n" */
    int rise_length, sink_length;
} plunge_lines;

static plunge_lines plunge_lines_of(const program_style &style)
{
    plunge_lines lines;
    lines.decimals = style.precision;
    lines.inch_output = style.inch_output != 0;
    /* The heights and the precision are bounded by the options, so both lines fit. */
    lines.rise_length = snprintf(lines.rise, sizeof lines.rise, "G0 Z%0.*lf\n", style.precision, safe_height(style));
    lines.sink_length = snprintf(lines.sink, sizeof lines.sink, "G1 Z%0.*lf\n", style.precision,
                                 output_length(style, std::trunc(-style.depth)));
    return lines;
}

/* "X<x> Y<y>" at (x, y) mm, formatted into the line directly where format_fixed covers both. */
static void print_move(int fd, const plunge_lines &lines, double x, double y)
{
    if (lines.inch_output) {
        x /= MM_PER_INCH;
        y /= MM_PER_INCH;
    }
    char line[2 * FIXED_POINT_MAX_LENGTH + 8] = "X";
    int x_length = format_fixed(line + 1, x, lines.decimals);
    int y_length = x_length < 0 ? -1 : format_fixed(line + x_length + 3, y, lines.decimals);
    if (y_length < 0) {
        message(fd, "X%0.*lf Y%0.*lf\n", lines.decimals, x, lines.decimals, y);
        return;
    }
    memcpy(line + x_length + 1, " Y", 2);
    int length = x_length + 3 + y_length;
    line[length++] = '\n';
    message_text(fd, line, (size_t)length);
}

/* One hole at (x, y) mm. Right after the spindle start the drill is at the
 * safe height already; otherwise it rises out of the previous hole. */
static void print_plunge(int fd, const plunge_lines &lines, double x, double y, bool after_start)
{
    if (!after_start)
        message_text(fd, lines.rise, (size_t)lines.rise_length);
    print_move(fd, lines, x, y);
    message_text(fd, lines.sink, (size_t)lines.sink_length);
}

/* Out of the last hole, parked at X0 Y0, spindle off, program end. */
static void print_program_end(int fd, const program_style &style)
{
    const int decimals = style.precision;
    message(fd, "G0 Z%0.*lf\n", decimals, safe_height(style));
    message(fd, "X%0.*lf Y%0.*lf\nM5\nM2\n", decimals, 0.0, decimals, 0.0);
}

void print_bores(int fd, const program_style &style, d_list *holes, bore *first_bore)
{
    print_program_head(fd, style);
    print_spindle_start(fd, style);
    const plunge_lines lines = plunge_lines_of(style);
    print_plunge(fd, lines, first_bore->x, first_bore->y, true);
    first_bore->drilled = 1;

    bore *hole = first_bore;
    const int32_t count = holes->count;
    for (int32_t i = 1; i < count; i++) {
        hole = tour_next(holes, hole);
        if (hole == nullptr)
            /* Named as the driver's own check always was, so that its text stays the same. */
            fatal_error_at("main.cpp", "print_bores", 240, "\"br=NULL\"");
        print_plunge(fd, lines, hole->x, hole->y, false);
        hole->drilled = 1;
    }
    print_program_end(fd, style);
}

/* The bit's tour, from the hole nearest the origin; the spindle has just started. */
static void print_bit_tour(int fd, const program_style &style, bit_plan &plan)
{
    const plunge_lines lines = plunge_lines_of(style);
    bool after_start = true;
    for (bore *stop = bit_tour_start(plan); stop != nullptr; stop = bit_tour_next(plan, stop))
        for (excellon_point hit : stop_hits(plan, stop)) {
            print_plunge(fd, lines, hit.x, hit.y, after_start);
            after_start = false;
        }
}

/* The bit's diameter as the operator reads it: two decimals, more where they count. */
std::string diameter_text(double mm)
{
    char text[32];
    for (int decimals = 2; decimals <= 4; decimals++) {
        snprintf(text, sizeof text, "%.*f", decimals, mm);
        if (std::fabs(atof(text) - mm) < 5e-7)
            break;
    }
    return text;
}

/* Before bit `place` (from 1): up, parked, spindle off, the operator told which
 * bit to put in (with T<place> M6 for a tool-change routine), a pause, and
 * the spindle started again. */
static void print_bit_change(int fd, const program_style &style, int place, const bit_plan &plan)
{
    const excellon_bit &bit = *plan.bit;
    const int decimals = style.precision;
    const double change_height = output_length(style, std::trunc(style.change_height));
    message(fd, "G0 Z%0.*lf\n", decimals, change_height);
    message(fd, "X%0.*lf Y%0.*lf\nM5\n", decimals, 0.0, decimals, 0.0);
    message(fd, "(MSG, %d. furo %s mm %ld furat)\n", place, diameter_text(bit.diameter).c_str(), plan.plunges);
    if (style.change_m6)
        message(fd, "T%d M6\n", place);
    message(fd, "M0\n");
    if (change_height != safe_height(style))
        message(fd, "G0 Z%0.*lf\n", decimals, safe_height(style));
    print_spindle_on(fd, style);
}

/* One bit alone: the program a Gerber file of the same holes gives. */
void print_one_bit(int fd, const program_style &style, bit_plan &plan)
{
    print_program_head(fd, style);
    print_spindle_start(fd, style);
    print_bit_tour(fd, style, plan);
    print_program_end(fd, style);
}

/* Several bits in one program, each after its change. */
void print_bits(int fd, const program_style &style, std::vector<bit_plan> &plans)
{
    print_program_head(fd, style);
    for (size_t k = 0; k < plans.size(); k++) {
        print_bit_change(fd, style, (int)k + 1, plans[k]);
        print_bit_tour(fd, style, plans[k]);
    }
    print_program_end(fd, style);
}
