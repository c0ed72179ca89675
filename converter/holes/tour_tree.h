/* tour_tree.h - the 2-d tree over a hole list's centres that answers the
 * tour's question: which undrilled hole is nearest a point.
 *
 * The tree is planned once over the centres as they are when the tour
 * starts; its nodes know whether they still hold undrilled holes, and a
 * hole the writer marked drilled is taken out when a search would choose it. The
 * answer is the one the reference path's distance tables give: the same
 * distance expression, the same strict comparison, ties to the earlier hole
 * in list order. Memory comes from s_calloc and s_malloc, so running out of
 * it ends the run with their diagnostic. */
#ifndef TOUR_TREE_H
#define TOUR_TREE_H

#include "holes/hole.h"

typedef struct tour_tree tour_tree;

/* The tree over every hole of `Root` at a finite place. */
tour_tree *tour_tree_new(d_list *Root);
void tour_tree_free(tour_tree *tree);
/* The undrilled hole nearest (x, y) other than `from`, closer than FAR_AWAY; null if none. */
bore *tour_tree_nearest(tour_tree *tree, double x, double y, const bore *from);

#endif
