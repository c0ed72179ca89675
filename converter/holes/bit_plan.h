/* bit_plan.h - the drilling order of an Excellon job: one tour per bit, all
 * of the job's positions moved together onto the corner.
 *
 * Each bit's tour runs over a hole list of its own (new_bores, so the fast
 * index serves it): a stop per hole, and two per slot, one at each end. The
 * tour enters a slot at whichever end it reaches first; the other end then
 * leaves the tour. A position the bit has drilled already, at a hole or in
 * another slot, is not drilled again. */
#ifndef BIT_PLAN_H
#define BIT_PLAN_H

#include <vector>

#include "holes/bore.h"
#include "holes/drill_job.h"

/* How a position of the file reaches the program: (x - min_x) + x_offset. */
typedef struct corner_move {
    double min_x, min_y;       /* the lowest X and Y of every hit of the job */
    double x_offset, y_offset;
} corner_move;

typedef struct bit_plan {
    const excellon_bit *bit;
    d_list *stops;                  /* while the tour runs: the bit's holes in its order, then the ends of its slots */
    std::vector<bore *> slot_ends;  /* slot k's ends: [2k] at `from`, [2k + 1] at `to` */
    corner_move move;
    long plunges;                   /* every position of the bit once, as bit_hits counts them */
    /* A bit with slots: the place of each hit, a number equal positions share
     * (hole i is place i; slot k's hits from place[first_hit[k]] on), and
     * whether each place is drilled. */
    std::vector<int32_t> place;
    std::vector<int32_t> first_hit;
    std::vector<char> drilled;
    std::vector<excellon_point> hits;   /* stop_hits' answer, reused from stop to stop */
} bit_plan;

/* The plans of the job's bits in its order, every position moved so that the
 * lowest X and Y of all hits, slots included, are the offsets. */
std::vector<bit_plan> plan_bits(const excellon_job &job, double x_offset, double y_offset);
void free_bit_plans(std::vector<bit_plan> &plans);

/* The bit's tour: bit_tour_start lays out its stops and gives the first,
 * bit_tour_next the one after `stop`; null at the end, where the stops are
 * released, so that one bit's tour reuses the memory of the one before. */
bore *bit_tour_start(bit_plan &plan);
bore *bit_tour_next(bit_plan &plan, bore *stop);

/* The hits of a stop the tour has reached, moved onto the corner, in
 * drilling order, without those drilled before. The stop counts as drilled;
 * so does a slot's other end. The answer lasts until the next call. */
const std::vector<excellon_point> &stop_hits(bit_plan &plan, bore *stop);

/* Every plunge of the bit: its holes and the hits of its slots, each
 * position once (the holes are each once already). */
long bit_hits(const excellon_bit &bit);

#endif
