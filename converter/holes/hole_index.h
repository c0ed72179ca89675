/* hole_index.h - the index of a hole list, which answers the two questions
 * of a conversion in about constant and logarithmic time instead of by
 * scanning: which hole owns a section with a given end point, and which
 * undrilled hole is nearest a point.
 *
 * Grouping keeps a hash map from each exact end point to the hole earliest
 * in list order that owns a section there, and grows each hole's box as its
 * sections come: the holes keep no sections. A hint of the points to come
 * sizes the map once, and the slots of points about to be asked for are
 * fetched ahead, a large map's misses being most of grouping's time. The map goes when the tour
 * starts, and grouping with it. The tour keeps a 2-d tree over the
 * hole centres whose nodes know how many of their holes are still undrilled;
 * a drilled hole is taken out when a search meets it. Both answer exactly as
 * the reference path's list scan and distance tables do: the same
 * expressions, the same strict comparisons, ties to the earlier hole.
 *
 * The index is its hole list's path data and is released with the list.
 * Memory comes from s_calloc and s_malloc, so running out of it ends the run
 * with their diagnostic. */
#ifndef HOLE_INDEX_H
#define HOLE_INDEX_H

#include "holes/hole.h"

extern const hole_path indexed_path;

#endif
