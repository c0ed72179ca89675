/* bore.h - the drilling job: holes, the sections that make them up, and the
 * distance tables of the drilling order.
 *
 * A stroke or flash of the Gerber file becomes a `section`; sections that
 * share an end point exactly are gathered into one `bore` (hole). After
 * reading, compute_quad centres each hole in the rectangle that encloses its
 * sections and normalize_coords moves the group onto the start corner.
 * compute_distances then gives every hole the distances to all the others
 * and get_nearest_bore walks the greedy nearest-neighbour tour.
 * All coordinates are millimetres. Every operation succeeds or ends the
 * process through fatal_error; none returns an error. */
#ifndef BORE_H
#define BORE_H

#include <cstdint>
#include "d_list.h"

typedef struct bore {
    d_list *sections;   /* list of section, null until the first one */
    double x;           /* centre, set by compute_quad and normalize_coords */
    double y;
    int32_t drilled;    /* 1 once the writer has emitted the hole */
    d_list *dists;      /* list of dist, null until compute_distances */
} bore;

typedef struct section {
    double x1, y1;      /* start point */
    double x2, y2;      /* end point; equal to the start for a flash */
} section;

typedef struct dist {
    struct bore *bore;  /* the other hole, not owned */
    double distance;    /* Euclidean distance between the two centres */
} dist;

/* The hole list: no comparison, releases holes with free_bore. */
d_list *new_bores(void);
/* Appends a zero-filled hole. */
bore *append_bore(d_list *Root);

/* A section list: compares with section_touches, releases with free_section. */
d_list *new_sections(void);
/* Appends a zero-filled section to the hole's existing section list. */
section *append_section(bore *Bore);
/* Creates the hole's section list when needed, appends and fills a section. */
section *add_section(bore *Bore, double x1, double y1, double x2, double y2);
/* First hole, in list order, owning a section that shares an end point with the given one; null if none. */
bore *search_section(d_list *Root, double x1, double y1, double x2, double y2);

/* A distance list: compares with dist_compare, releases with free_dist. */
d_list *new_dists(void);
/* Appends an entry to the hole's existing distance list. */
dist *append_dist(bore *Root);
/* Creates the hole's distance list when needed, appends and fills an entry. */
dist *add_dist(bore *Root, bore *other, double distance);

/* List callbacks, exposed for tests. */
int32_t section_touches(void *data, void *key);   /* 0 when two sections share an end point */
int32_t dist_compare(void *data, void *key);      /* distance difference truncated to int */
void free_bore(void *data);
void free_section(void *data);
void free_dist(void *data);

/* Sets every hole's centre to the middle of the box around its sections. */
void compute_quad(d_list *Root);
/* Shifts all centres so that the smallest x and y equal the offsets. */
void normalize_coords(d_list *Root, double x_offset, double y_offset);

/* Fills every hole's distance table; returns the hole nearest (0, 0), or null for no holes. */
bore *compute_distances(d_list *Root);
/* Nearest hole not yet drilled in the hole's distance table, or null. */
bore *get_nearest_bore(bore *Bore);

#endif
