/* drill_job.h - a drilling job as the Excellon reader hands it over and the
 * bit plan orders it: one bit per diameter with its holes and slots, in
 * millimetres as the file places them. */
#ifndef DRILL_JOB_H
#define DRILL_JOB_H

#include <string>
#include <vector>

typedef struct excellon_point {
    double x, y;
} excellon_point;

/* A slot milled as a row of overlapping hits of its bit, along a straight
 * line or an arc. `hits` is the drilling order when the slot is entered at
 * `from`: both ends, then the midpoints by repeated halving (along the arc
 * for an arc). Entered at `to`, drill hits[1] first, then hits[0], then the
 * rest as listed: every later hit lies midway between two drilled ones, so
 * the bit never cuts sideways into a fresh hole. A full circle has `from`
 * equal to `to` and hits[1] opposite it. */
typedef struct excellon_slot {
    excellon_point from, to;
    std::vector<excellon_point> hits;
} excellon_slot;

/* One drill bit: every tool of the file with this diameter. */
typedef struct excellon_bit {
    double diameter;                     /* mm */
    std::vector<int> tools;              /* the file's tool numbers, ascending */
    std::vector<excellon_point> holes;   /* file order, each position once */
    std::vector<excellon_slot> slots;    /* file order, each path once */
} excellon_bit;

typedef struct excellon_job {
    std::vector<excellon_bit> bits;      /* ascending diameter, each with a hole or a slot */
    std::string format;                  /* what the reading used, one Hungarian line in UTF-8:
                                            goes out through console_text like a fixed text */
    std::vector<std::string> messages;   /* the file's operator messages (M47), control bytes shown as \xNN */
} excellon_job;

#endif
