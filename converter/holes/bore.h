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
 * A hole list chooses its path when it is created (hole.h): new_bores
 * takes the index for every size of board, so the small boards of everyday
 * use run the same code as a panel; new_bores_on also offers the reference
 * path, which the tests and the fuzzer hold the index against. The grouping
 * and the tour below dispatch to the list's path. */
#ifndef BORE_H
#define BORE_H

#include <cstdint>
#include "holes/hole.h"

enum bore_path { BORE_INDEXED, BORE_REFERENCE };

/* The path of the lists new_bores creates, the index unless changed; returns the previous one.
 * For tests, fuzzers and benchmarks that run the whole driver along the reference path. */
bore_path set_default_bore_path(bore_path path);

/* The hole list: no comparison, releases holes with free_bore, answered along the default path.
 * Its holes and, on the reference path, their section lists and sections come from one pool,
 * returned with the list. */
d_list *new_bores(void);
/* The hole list along the given path. */
d_list *new_bores_on(bore_path path);
/* Appends a zero-filled hole, numbered by its position and tied to the list. */
bore *append_bore(d_list *Root);

/* A section list: compares with section_touches, releases with free_section; or made in a
 * hole list's pool, whose sections then go back with the pool. */
d_list *new_sections(struct pool *from = nullptr);
/* Appends a zero-filled section to the hole's existing section list, from the list's pool if it has one. */
section *append_section(bore *Bore);
/* Gives the hole a section: on a path that keeps sections (and outside a hole list) appended to
 * its section list, made when needed; the list's path is told. */
void add_section(bore *Bore, double x1, double y1, double x2, double y2);
/* About `points` end points are coming to the list (a hint, wrong either way): the index sizes its map once. */
void expect_points(d_list *Root, size_t points);
/* The section will be added to the list soon: its end points' places in the index map are fetched meanwhile. */
void expect_section(d_list *Root, double x1, double y1, double x2, double y2);
/* First hole, in list order, owning a section that shares an end point with the given one; null if none. */
bore *search_section(d_list *Root, double x1, double y1, double x2, double y2);

/* List callbacks, exposed for tests. */
int32_t section_touches(void *data, void *key);   /* 0 when two sections share an end point */
void free_bore(void *data);
void free_section(void *data);

/* Sets every hole's centre to the middle of the box around its sections: scanned where the
 * path keeps them, else the box the hole kept. */
void compute_quad(d_list *Root);
/* Shifts all centres so that the smallest x and y equal the offsets. */
void normalize_coords(d_list *Root, double x_offset, double y_offset);

/* The tour: the hole nearest (0, 0), or null for no holes; prepares tour_next. */
bore *tour_start(d_list *Root);
/* The undrilled hole nearest the one just drilled, ties to the earlier in list order; null if none. */
bore *tour_next(d_list *Root, bore *Bore);

#endif
