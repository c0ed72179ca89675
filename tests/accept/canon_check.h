/* canon_check.h - judges a drilling program by the canonical machine calls
 * that LinuxCNC's stand-alone interpreter rs274 makes for it, so that the
 * verdict rests on how a controller reads the program, not on its text.
 *
 * A program may drill with several bits. Between two bits it rises to the
 * safe height, parks at X0 Y0, stops the spindle, shows a message, may change
 * the tool, pauses (M0) and starts the spindle again. A program for a
 * spindle that needs time to reach its speed dwells after every start. */
#ifndef CANON_CHECK_H
#define CANON_CHECK_H

#include <cstddef>
#include <string>

/* What the program must do, in its own unit (millimetres or inches). */
struct drilling_plan {
    bool inch = false;
    bool counter_clockwise = false;
    double feed = 0;
    double speed = 0;
    double safe_z = 0;             /* height of every X/Y move */
    double drill_z = 0;            /* depth of every plunge */
    double corner_x = 0, corner_y = 0;  /* lowest X and Y of the holes */
    std::size_t holes = 0;         /* over all bits */
    double dwell = 0;              /* seconds after every spindle start, before any move; 0: none */
};

/* The first fault of the program `tap` (its text), whose canonical calls are
 * `canon`, against the plan; empty when there is none. */
std::string judge_program(const std::string &canon, const std::string &tap, const drilling_plan &plan);

#endif
