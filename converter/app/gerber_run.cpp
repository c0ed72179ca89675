/* gerber_run.cpp - the Gerber file's conversion sequence. */
#include "app/gerber_run.h"

#include <cmath>
#include <memory>

#include "app/output_name.h"
#include "holes/bore.h"
#include "holes/d_list.h"
#include "holes/mirror.h"
#include "reading/gerber.h"
#include "system/tools.h"
#include "writing/gcode_writer.h"
#include "writing/program_file.h"

int convert_gerber(int in, settings_t &s)
{
    int out = open_output(s);
    if (out < 0)
        return 1;
    /* Freed also when a diagnostic unwinds the run in a test or fuzzer. */
    std::unique_ptr<d_list, int (*)(d_list *)> holes(new_bores(), d_list_free);
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
