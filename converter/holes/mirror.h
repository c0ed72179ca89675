/* mirror.h - the holes mirrored, for drilling a board turned over.
 *
 * The mirror only negates one coordinate of every position; moving the
 * pattern onto the corner afterwards (normalize_coords, plan_bits) puts its
 * lower left corner back where -x and -y say, and the tour is built on the
 * mirrored positions. */
#ifndef MIRROR_H
#define MIRROR_H

#include "holes/d_list.h"
#include "holes/drill_job.h"

/* In the order of -k's choices. */
enum mirror_axis { MIRROR_NONE, MIRROR_X, MIRROR_Y };

/* MIRROR_X: X becomes -X (across the Y axis, the board turned over left to
 * right); MIRROR_Y: Y becomes -Y. Every hole centre of the list. */
void mirror_holes(d_list *holes, mirror_axis axis);
/* Every hole, slot end and slot hit of the job. */
void mirror_job(excellon_job &job, mirror_axis axis);

#endif
