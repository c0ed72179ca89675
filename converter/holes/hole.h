/* hole.h - the hole and section records, and the contract of a path: one
 * way of answering the two questions of a conversion, which hole owns a
 * section with a given end point and which undrilled hole is nearest.
 *
 * Two paths implement the contract: the index (hole_index.h), which answers
 * in about constant and logarithmic time, and the reference
 * (reference_path.h), which scans the list and fills complete distance
 * tables. Both choose the same holes, ties to the earlier hole in list
 * order; the tests and the fuzzer run the same cases on each. A hole list
 * chooses its path when it is created (bore.h) and keeps it with the data
 * the path needs. The reference keeps each hole's sections in a list, which
 * it scans; the index answers grouping from its own map of end points, so a
 * hole keeps only the box around its sections and their number, and
 * grouping ends when its tour starts. */
#ifndef HOLE_H
#define HOLE_H

#include <cstddef>
#include <cstdint>
#include "holes/d_list.h"
#include "system/tools.h"

typedef struct section {
    double x1, y1;      /* start point */
    double x2, y2;      /* end point; equal to the start for a flash */
} section;

/* The rectangle around the end points of a hole's sections. */
typedef struct section_box {
    double min_x, min_y;
    double max_x, max_y;
} section_box;

typedef struct bore {
    d_list *sections;   /* list of section where the path keeps them (keeps_sections), else null */
    double x;           /* centre, set by compute_quad and normalize_coords */
    double y;
    section_box box;    /* where the path keeps no sections: the box around them, grown by widen_box */
    int32_t drilled;    /* 1 once the writer has emitted the hole */
    int32_t ordinal;    /* the hole's position in its list, set by append_bore */
    int32_t parts;      /* where the path keeps no sections: how many the hole has */
    d_list *list;       /* the list holding the hole (its pool, its path), null outside one */
} bore;

/* Starting value of every minimum search; a hole this far away or farther is never chosen. */
const double FAR_AWAY = 2147483647.0;

/* The box of no section, which every section widens. */
const section_box EMPTY_BOX = {FAR_AWAY, FAR_AWAY, -2147483648.0, -2147483648.0};

/* Widens `box` to the ends of `part`. Strict comparisons: a NaN end leaves it as it was. */
inline void widen_box(section_box *box, const section *part)
{
    if (part->x1 < box->min_x) box->min_x = part->x1;
    if (part->x2 < box->min_x) box->min_x = part->x2;
    if (part->x1 > box->max_x) box->max_x = part->x1;
    if (part->x2 > box->max_x) box->max_x = part->x2;
    if (part->y1 < box->min_y) box->min_y = part->y1;
    if (part->y2 < box->min_y) box->min_y = part->y2;
    if (part->y1 > box->max_y) box->max_y = part->y1;
    if (part->y2 > box->max_y) box->max_y = part->y2;
}

/* The operations of a path. `data` is what create made for the list. */
typedef struct hole_path {
    /* Whether the holes keep their sections in lists; a path that does not
     * keeps each hole's box and count of sections instead. */
    bool keeps_sections;
    void *(*create)(void);
    void (*release)(void *data);
    /* About `points` end points are coming: a hint, wrong either way, which the path may size its store by. */
    void (*reserve)(void *data, size_t points);
    /* `coming` will be asked about or claimed soon: the path may start fetching what that reads. */
    void (*expect)(void *data, const section *coming);
    /* `hole` now owns `added`, which the path copies what it needs from. */
    void (*claim)(void *data, bore *hole, const section *added);
    /* The first hole in list order owning a section that shares an end point with `key`; null if none. */
    bore *(*owner)(void *data, d_list *Root, const section *key);
    /* Prepares the tour; the hole nearest (0, 0), or null for no holes. */
    bore *(*start)(void *data, d_list *Root);
    /* The undrilled hole nearest `Bore`, which tour_start has seen; null if none. */
    bore *(*next)(void *data, d_list *Root, bore *Bore);
} hole_path;

/* A hole list's attachment: its path, the path's data and whether its tour has started. */
typedef struct path_choice {
    const hole_path *path;
    void *data;
    bool touring;
} path_choice;

/* The data of node `i` of `list`. A missing node ends the run with check
 * `number` of `operation` as reported from `file`, whose text names the list
 * and the index as the call spells them: "d_list_get_idx_node(Root, i) = NULL". */
#define NODE_DATA_AT(file, operation, list, i, number) \
    node_data((list), (i), (file), (operation), (number), "\"d_list_get_idx_node(" #list ", " #i ") = NULL\"")

inline void *node_data(d_list *list, int32_t i, const char *file, const char *operation, int number,
                       const char *quoted_text)
{
    d_list_node *node = d_list_get_idx_node(list, i);
    if (node == nullptr)
        fatal_error_at(file, operation, number, quoted_text);
    return node->data;
}

#endif
