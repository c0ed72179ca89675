/* reference_path.h - the plain path of a hole list, which the index is held
 * against: grouping scans every hole's sections, and the tour fills complete
 * distance tables (compute_distances) and scans them (get_nearest_bore), in
 * time and memory that grow with the square of the holes. The tables are
 * kept beside the holes, in the path's data for the list, by list position. */
#ifndef REFERENCE_PATH_H
#define REFERENCE_PATH_H

#include "holes/hole.h"

extern const hole_path reference_path;

typedef struct dist {
    struct bore *bore;  /* the other hole, not owned */
    double distance;    /* Euclidean distance between the two centres */
} dist;

/* A distance list: compares with dist_compare, releases with free_dist. */
d_list *new_dists(void);
/* Appends an entry to the hole's existing distance list. */
dist *append_dist(bore *Root);
/* Creates the hole's distance list when needed, appends and fills an entry. */
dist *add_dist(bore *Root, bore *other, double distance);
/* The hole's distance list; null before compute_distances or add_dist, or off the reference path. */
d_list *distances_of(const bore *hole);

/* List callbacks, exposed for tests. */
int32_t dist_compare(void *data, void *key);      /* distance difference truncated to int */
void free_dist(void *data);

/* Fills every hole's distance table; returns the hole nearest (0, 0), or null for no holes. */
bore *compute_distances(d_list *Root);
/* Nearest hole not yet drilled in the hole's distance table, or null. */
bore *get_nearest_bore(bore *Bore);
/* Releases every table of the list, as its release does. */
void free_distances(d_list *Root);

#endif
