/* gerber_run.cpp - the Gerber file's conversion sequence. */
#include "app/gerber_run.h"

#include <cmath>
#include <memory>

#include "app/output_name.h"
#include "holes/bore.h"
#include "holes/d_list.h"
#include "holes/mirror.h"
#include "reading/gerber.h"
#include "system/platform.h"
#include "system/tools.h"
#include "writing/gcode_writer.h"
#include "writing/program_file.h"

/* A stroke's or flash's line ("X30271Y25541D01*" and its line end) takes
 * some 17 to 30 bytes: the file's size over the short end of that is the
 * number of end points to expect, or a little more. Too many would cost
 * the map at most two and a half times the file's size. */
enum { BYTES_PER_POINT = 24 };

static size_t expected_points(int in)
{
    long long size = platform_file_size(in);
    return size > 0 ? (size_t)(size / BYTES_PER_POINT) : 0;
}

int convert_gerber(int in, settings_t &s)
{
    int out = open_output(s);
    if (out < 0)
        return 1;
    /* Freed also when a diagnostic unwinds the run in a test or fuzzer. */
    std::unique_ptr<d_list, int (*)(d_list *)> holes(new_bores(), d_list_free);
    expect_points(holes.get(), expected_points(in));
    gerber(holes.get(), in, s.integer_digits);
    compute_quad(holes.get());
    mirror_holes(holes.get(), (mirror_axis)s.mirror);
    /* The corner moves by whole millimetres, in either output unit. */
    normalize_coords(holes.get(), std::trunc(s.x_offset), std::trunc(s.y_offset));
    bore *first_bore = tour_start(holes.get());
    if (first_bore == nullptr)
        fatal_error_at("main.cpp", "main", 463, "\"first_bore=NULL\"");  /* the text it has always had */
    print_bores(out, style_of(s), holes.get(), first_bore);
    holes.reset();
    return finish_program_file() ? 0 : 1;
}
