/* gcode_writer.cpp - the drilling program's lines. */
#include "writing/gcode_writer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "reading/excellon.h"
#include "system/tools.h"
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

/* One hole at (x, y) mm. Right after the spindle start the drill is at the
 * safe height already; otherwise it rises out of the previous hole. */
static void print_plunge(int fd, const program_style &style, double x, double y, bool after_start)
{
    const int decimals = style.precision;
    if (!after_start)
        message(fd, "G0 Z%0.*lf\n", decimals, safe_height(style));
    message(fd, "X%0.*lf Y%0.*lf\n", decimals, output_length(style, x), decimals, output_length(style, y));
    message(fd, "G1 Z%0.*lf\n", decimals, output_length(style, std::trunc(-style.depth)));
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
    print_plunge(fd, style, first_bore->x, first_bore->y, true);
    first_bore->drilled = 1;

    bore *hole = first_bore;
    const int32_t count = holes->count;
    for (int32_t i = 1; i < count; i++) {
        hole = tour_next(holes, hole);
        if (hole == nullptr)
            /* Named as the driver's own check always was, so that its text stays the same. */
            fatal_error_at("main.cpp", "print_bores", 240, "\"br=NULL\"");
        print_plunge(fd, style, hole->x, hole->y, false);
        hole->drilled = 1;
    }
    print_program_end(fd, style);
}

/* The bit's tour, from the hole nearest the origin; the spindle has just started. */
static void print_bit_tour(int fd, const program_style &style, bit_plan &plan)
{
    bool after_start = true;
    for (bore *stop = tour_start(plan.stops); stop != nullptr; stop = tour_next(plan.stops, stop))
        for (excellon_point hit : stop_hits(plan, stop)) {
            print_plunge(fd, style, hit.x, hit.y, after_start);
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
static void print_bit_change(int fd, const program_style &style, int place, const excellon_bit &bit)
{
    const int decimals = style.precision;
    const double change_height = output_length(style, std::trunc(style.change_height));
    message(fd, "G0 Z%0.*lf\n", decimals, change_height);
    message(fd, "X%0.*lf Y%0.*lf\nM5\n", decimals, 0.0, decimals, 0.0);
    message(fd, "(MSG, %d. furo %s mm %ld furat)\n", place, diameter_text(bit.diameter).c_str(), bit_hits(bit));
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
        print_bit_change(fd, style, (int)k + 1, *plans[k].bit);
        print_bit_tour(fd, style, plans[k]);
    }
    print_program_end(fd, style);
}
