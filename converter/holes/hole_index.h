/* hole_index.h - the index of a hole list, which answers the two questions
 * of a conversion in about constant and logarithmic time instead of by
 * scanning: which hole owns a section with a given end point, and which
 * undrilled hole is nearest a point.
 *
 * Grouping keeps a hash map from each exact end point to the hole earliest
 * in list order that owns a section there. The tour keeps a 2-d tree over the
 * hole centres whose nodes know how many of their holes are still undrilled;
 * a drilled hole is taken out when a search meets it. Both answer exactly as
 * the list scan and the distance tables of bore.cpp do: the same
 * expressions, the same strict comparisons, ties to the earlier hole.
 *
 * The index belongs to the hole list (its attachment) and is released with
 * it. Memory comes from s_calloc and s_malloc, so running out of it ends the
 * run with their diagnostic. */
#ifndef HOLE_INDEX_H
#define HOLE_INDEX_H

#include "holes/d_list.h"

struct bore;
typedef struct hole_index hole_index;

/* An empty index. */
hole_index *new_hole_index(void);
/* Releases the index; the hole list's release function for its attachment. */
void free_hole_index(void *index);

/* Records that `hole` owns a section ending at (x, y); an earlier owner in list order keeps the point. */
void claim_point(hole_index *index, double x, double y, struct bore *hole);
/* The hole earliest in list order owning a section that ends at (x, y); null if none. */
struct bore *point_owner(const hole_index *index, double x, double y);

/* Builds the tour's tree over the centres of the holes now in `Root`, in list order. */
void plan_tour(hole_index *index, d_list *Root);
/* Whether plan_tour has run. */
bool tour_planned(const hole_index *index);
/* Among the planned holes not drilled and not `from`: the one with the smallest distance
 * from (x, y), below 2147483647.0, the earliest in list order on a tie; null if none. */
struct bore *nearest_undrilled(hole_index *index, double x, double y, const struct bore *from);

#endif
