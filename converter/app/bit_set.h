/* bit_set.h - a drill job on the bits at hand (-b).
 *
 * Each size of the file is drilled with the nearest bit of the set, a tie
 * going to the larger; sizes that meet on one bit become one bit of the job,
 * one change. A size further from every bit than 0.1 mm or 10 % of itself,
 * whichever is larger, is refused: a hole silently drilled with a wrong bit
 * is worse than a refused job. */
#ifndef BIT_SET_H
#define BIT_SET_H

#include <vector>

#include "holes/drill_job.h"

enum { BIT_SET_MAX = 32 };  /* bits in a set at the most */

/* The bit of the set (not empty) nearest to `size`, a tie to the larger. */
double nearest_bit(const std::vector<double> &set, double size);
/* Whether `bit` may drill a hole of `size`. */
bool bit_fits(double bit, double size);
/* The job's bits replaced by the set's; for each new bit in order, the file's
 * sizes it drills. A size that no bit fits ends the run with a diagnostic
 * naming it and the nearest bit. */
std::vector<std::vector<double>> fit_bit_set(excellon_job &job, const std::vector<double> &set);
/* "Fúrókészlet: 0.80 mm-es fúróval: 0.7874, 0.8128 mm", a line a bit, on standard output. */
void print_bit_set(const excellon_job &job, const std::vector<std::vector<double>> &sizes);

#endif
