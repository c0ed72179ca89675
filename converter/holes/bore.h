/* bore.h - the drilling job: holes, the sections that make them up, and the
 * greedy drilling order.
 *
 * A stroke or flash of the Gerber file becomes a `section`; sections that
 * share an end point exactly are gathered into one `bore` (hole). After
 * reading, compute_quad centres each hole in the rectangle that encloses its
 * sections and normalize_coords moves the group onto the start corner.
 * tour_start and tour_next then walk the greedy nearest-neighbour tour.
 * All coordinates are millimetres. Every operation succeeds or ends the
 * process through fatal_error; none returns an error.
 *
 * Two implementations answer the grouping and the tour. A hole list from
 * new_bores carries an index (hole_index.h) and is answered from it, for
 * every size of board: one path serves boards of ten holes and of a million
 * alike, so the small boards of everyday use run the same code as a panel.
 * A list created while `reference_paths` is set has no index and takes the
 * reference path: search_section scans every hole's sections, and the tour
 * fills complete distance tables (compute_distances) and scans them
 * (get_nearest_bore), in time and memory that grow with the square of the
 * holes. Both paths choose the same holes; the tests and the fuzzer hold
 * the index against the reference. */
#ifndef BORE_H
#define BORE_H

#include <cstdint>
#include "holes/d_list.h"

typedef struct bore {
    d_list *sections;   /* list of section, null until the first one */
    double x;           /* centre, set by compute_quad and normalize_coords */
    double y;
    int32_t drilled;    /* 1 once the writer has emitted the hole */
    int32_t ordinal;    /* the hole's position in its list, set by append_bore */
    d_list *dists;      /* list of dist, null until compute_distances */
    struct hole_index *index;   /* the index of the hole's list, null in a list without one */
    struct pool *pool;  /* its list's pool, which holds the hole and its sections; null: calloc */
} bore;

typedef struct section {
    double x1, y1;      /* start point */
    double x2, y2;      /* end point; equal to the start for a flash */
} section;

typedef struct dist {
    struct bore *bore;  /* the other hole, not owned */
    double distance;    /* Euclidean distance between the two centres */
} dist;

/* Starting value of every minimum search; a hole this far away or farther is never chosen. */
const double FAR_AWAY = 2147483647.0;

/* Set by tests and benchmarks only: hole lists created meanwhile take the reference path. */
extern bool reference_paths;

/* The hole list: no comparison, releases holes with free_bore; carries an index unless reference_paths.
 * Its holes, their section lists and sections come from one pool, returned with the list. */
d_list *new_bores(void);
/* Appends a zero-filled hole, numbered by its position and tied to the list's index. */
bore *append_bore(d_list *Root);

/* A section list: compares with section_touches, releases with free_section; or made in a
 * hole list's pool, whose sections then go back with the pool. */
d_list *new_sections(struct pool *from = nullptr);
/* Appends a zero-filled section to the hole's existing section list, from the list's pool if it has one. */
section *append_section(bore *Bore);
/* Creates the hole's section list when needed, appends and fills a section; records its end points in the index. */
section *add_section(bore *Bore, double x1, double y1, double x2, double y2);
/* First hole, in list order, owning a section that shares an end point with the given one; null if none.
 * Answered from the list's index, or by scanning the list when it has none. */
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

/* The tour: the hole nearest (0, 0), or null for no holes; prepares tour_next. */
bore *tour_start(d_list *Root);
/* The undrilled hole nearest the one just drilled, ties to the earlier in list order; null if none. */
bore *tour_next(d_list *Root, bore *Bore);

/* The reference tour. Fills every hole's distance table; returns the hole nearest (0, 0), or null for no holes. */
bore *compute_distances(d_list *Root);
/* Nearest hole not yet drilled in the hole's distance table, or null. */
bore *get_nearest_bore(bore *Bore);

#endif
