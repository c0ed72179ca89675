/* bore.cpp - holes, their sections and the greedy drilling order.
 *
 * Every check reports with its fixed number, so a diagnostic names the same
 * check whatever the layout of this file. */
#include "holes/bore.h"

#include <cmath>
#include <cstdlib>
#include "holes/hole_index.h"
#include "holes/pool.h"
#include "system/tools.h"

bool reference_paths = false;

/* The data of node `i` of `list`. A missing node ends the run with check
 * `number` of the calling operation, whose text names the list and the index
 * as the call spells them: "d_list_get_idx_node(Root, i) = NULL". */
#define NODE_DATA(list, i, number) \
    node_data((list), (i), __func__, (number), "\"d_list_get_idx_node(" #list ", " #i ") = NULL\"")

static void *node_data(d_list *list, int32_t i, const char *operation, int number, const char *quoted_text)
{
    d_list_node *node = d_list_get_idx_node(list, i);
    if (node == nullptr)
        fatal_error_at(__FILE__, operation, number, quoted_text);
    return node->data;
}

/* A zero-filled record from the pool, or from calloc without one. */
static void *new_record(pool *from, size_t size)
{
    if (from == nullptr)
        return s_calloc(1, size);
    void *record = pool_alloc(from, size);
    if (record == nullptr)
        fatal_error("Kevés a memória: %u bájt kellene.", (unsigned)size);
    return record;
}

/* ---- list callbacks ---- */

static bool same_point(double xa, double ya, double xb, double yb)
{
    return xa == xb && ya == yb;
}

int32_t section_touches(void *data, void *key)
{
    const section *listed = (const section *)data;
    const section *wanted = (const section *)key;
    if (same_point(listed->x1, listed->y1, wanted->x1, wanted->y1) ||
        same_point(listed->x1, listed->y1, wanted->x2, wanted->y2) ||
        same_point(listed->x2, listed->y2, wanted->x1, wanted->y1) ||
        same_point(listed->x2, listed->y2, wanted->x2, wanted->y2))
        return 0;
    return -1;
}

int32_t dist_compare(void *data, void *key)
{
    double difference = ((const dist *)data)->distance - ((const dist *)key)->distance;
    /* Converting a double outside the int32 range is undefined; saturate instead.
     * A difference that is not a number never matches. */
    if (std::isnan(difference))
        return INT32_MIN;
    if (difference >= 2147483647.0)
        return INT32_MAX;
    if (difference <= -2147483648.0)
        return INT32_MIN;
    return (int32_t)difference;
}

void free_bore(void *data)
{
    bore *hole = (bore *)data;
    if (hole == nullptr)
        return;
    if (hole->sections)
        d_list_free(hole->sections);
    if (hole->dists)
        d_list_free(hole->dists);
    if (hole->pool == nullptr)
        free(hole);
}

void free_section(void *data)
{
    free(data);
}

void free_dist(void *data)
{
    free(data);
}

/* ---- sections ---- */

d_list *new_sections(pool *from)
{
    d_list *list = d_list_new_in(from, section_touches, from ? nullptr : free_section);
    if (list == nullptr)
        fatal_error_n(59, "Nem sikerült létrehozni a szakaszok listáját.");
    return list;
}

section *append_section(bore *Bore)
{
    if (Bore == nullptr)
        fatal_error_n(75, "Bore=NULL");
    if (Bore->sections == nullptr)
        fatal_error_n(80, "Bore->sections=NULL");
    pool *from = Bore->sections->pool;
    section *added = (section *)new_record(from, sizeof(section));
    if (d_list_append_node(Bore->sections, added, nullptr, nullptr) == nullptr) {
        if (from == nullptr)
            free(added);
        fatal_error_n(87, "Nem lehet bővíteni a szakaszok listáját.");
    }
    return added;
}

section *add_section(bore *Bore, double x1, double y1, double x2, double y2)
{
    if (Bore != nullptr && Bore->sections == nullptr)
        Bore->sections = new_sections(Bore->pool);
    section *added = append_section(Bore);
    added->x1 = x1;
    added->y1 = y1;
    added->x2 = x2;
    added->y2 = y2;
    if (Bore->index != nullptr) {
        claim_point(Bore->index, x1, y1, Bore);
        claim_point(Bore->index, x2, y2, Bore);
    }
    return added;
}

/* The earlier in list order of two holes, either of which may be null. */
static bore *earlier(bore *a, bore *b)
{
    if (a == nullptr)
        return b;
    if (b == nullptr)
        return a;
    return a->ordinal <= b->ordinal ? a : b;
}

bore *search_section(d_list *Root, double x1, double y1, double x2, double y2)
{
    /* Without a hole list no hole can hold the section. */
    if (Root == nullptr)
        return nullptr;
    const hole_index *index = (const hole_index *)Root->attachment;
    if (index != nullptr)
        return earlier(point_owner(index, x1, y1), point_owner(index, x2, y2));
    section key = {x1, y1, x2, y2};
    for (int32_t i = 0; i < Root->count; i++) {
        bore *hole = (bore *)NODE_DATA(Root, i, 140);
        /* A hole without sections fails the search with EINVAL: no match. */
        if (hole != nullptr && d_list_search_node(hole->sections, &key) != nullptr)
            return hole;
    }
    return nullptr;
}

/* ---- distances ---- */

d_list *new_dists(void)
{
    d_list *list = d_list_new(dist_compare, free_dist);
    if (list == nullptr)
        fatal_error_n(185, "Nem sikerült létrehozni a furatok távolságának listáját.");
    return list;
}

dist *append_dist(bore *Root)
{
    if (Root == nullptr)
        fatal_error_n(201, "Root=NULL");
    dist *added = (dist *)s_malloc(sizeof(dist));
    added->bore = nullptr;
    added->distance = 0.0;
    if (d_list_append_node(Root->dists, added, nullptr, nullptr) == nullptr) {
        free(added);
        fatal_error_n(208, "Nem lehet bővíteni a távolságok listáját.");
    }
    return added;
}

dist *add_dist(bore *Root, bore *other, double distance)
{
    if (Root == nullptr)
        fatal_error_n(224, "Root=NULL");
    if (Root->dists == nullptr)
        Root->dists = new_dists();
    dist *added = append_dist(Root);
    added->bore = other;
    added->distance = distance;
    return added;
}

/* ---- holes ---- */

d_list *new_bores(void)
{
    d_list *list = d_list_new_pooled(nullptr, free_bore);
    if (list == nullptr)
        fatal_error_n(270, "Nem sikerült létrehozni a furatok listáját.");
    if (!reference_paths) {
        list->free_attachment = free_hole_index;
        list->attachment = new_hole_index();
    }
    return list;
}

bore *append_bore(d_list *Root)
{
    pool *from = Root != nullptr ? Root->pool : nullptr;
    bore *added = (bore *)new_record(from, sizeof(bore));
    if (d_list_append_node(Root, added, nullptr, nullptr) == nullptr) {
        if (from == nullptr)
            free(added);
        fatal_error_n(286, "Nem lehet bővíteni a furatok listáját.");
    }
    added->index = (hole_index *)Root->attachment;
    added->ordinal = Root->count - 1;
    added->pool = from;
    return added;
}

void compute_quad(d_list *Root)
{
    if (Root == nullptr)
        fatal_error_n(344, "Root=NULL");
    for (int32_t i = 0; i < Root->count; i++) {
        bore *hole = (bore *)NODE_DATA(Root, i, 358);
        if (hole == nullptr)
            fatal_error_n(365, "bore=NULL");
        d_list *sections = hole->sections;
        if (sections == nullptr)
            fatal_error_n(372, "bore->sections=NULL");
        double min_x = FAR_AWAY, min_y = FAR_AWAY;
        double max_x = -2147483648.0, max_y = -2147483648.0;
        for (int32_t j = 0; j < sections->count; j++) {
            const section *part = (const section *)NODE_DATA(sections, j, 384);
            if (part->x1 < min_x) min_x = part->x1;
            if (part->x2 < min_x) min_x = part->x2;
            if (part->x1 > max_x) max_x = part->x1;
            if (part->x2 > max_x) max_x = part->x2;
            if (part->y1 < min_y) min_y = part->y1;
            if (part->y2 < min_y) min_y = part->y2;
            if (part->y1 > max_y) max_y = part->y1;
            if (part->y2 > max_y) max_y = part->y2;
        }
        hole->x = min_x + (max_x - min_x) * 0.5;
        hole->y = min_y + (max_y - min_y) * 0.5;
    }
}

void normalize_coords(d_list *Root, double x_offset, double y_offset)
{
    if (Root == nullptr)
        fatal_error_n(455, "Root=NULL");
    if (Root->count == 0)
        return;
    double min_x = FAR_AWAY, min_y = FAR_AWAY;
    for (int32_t i = 0; i < Root->count; i++) {
        const bore *hole = (const bore *)NODE_DATA(Root, i, 471);
        if (hole == nullptr)
            fatal_error_n(478, "bore=NULL");
        if (hole->x < min_x) min_x = hole->x;
        if (hole->y < min_y) min_y = hole->y;
    }
    for (int32_t i = 0; i < Root->count; i++) {
        bore *hole = (bore *)NODE_DATA(Root, i, 504);
        if (hole == nullptr)
            fatal_error_n(511, "bore=NULL");
        hole->x = (hole->x - min_x) + x_offset;
        hole->y = (hole->y - min_y) + y_offset;
    }
}

/* ---- drilling order ---- */

bore *tour_start(d_list *Root)
{
    hole_index *index = Root != nullptr ? (hole_index *)Root->attachment : nullptr;
    if (index == nullptr)
        return compute_distances(Root);
    plan_tour(index, Root);
    /* x - 0.0 is x exactly, so this is the distance sqrt(x * x + y * y) from the origin. */
    return nearest_undrilled(index, 0.0, 0.0, nullptr);
}

bore *tour_next(d_list *Root, bore *Bore)
{
    hole_index *index = Root != nullptr ? (hole_index *)Root->attachment : nullptr;
    /* Without an index or a planned tour, or asked wrongly, the distance tables answer and report. */
    if (index == nullptr || !tour_planned(index) || Bore == nullptr)
        return get_nearest_bore(Bore);
    return nearest_undrilled(index, Bore->x, Bore->y, Bore);
}

bore *compute_distances(d_list *Root)
{
    if (Root == nullptr)
        fatal_error_n(537, "Root=NULL");
    double best = FAR_AWAY;
    bore *start = nullptr;
    const int32_t n = Root->count;
    for (int32_t i = 0; i < n; i++) {
        bore *hole = (bore *)NODE_DATA(Root, i, 550);
        double to_origin = std::sqrt(hole->x * hole->x + hole->y * hole->y);
        if (to_origin < best) {
            best = to_origin;
            start = hole;
        }
        /* A second run must not leak or extend the earlier table. */
        if (hole->dists != nullptr)
            d_list_free(hole->dists);
        hole->dists = new_dists();
        for (int32_t j = 0; j < n; j++) {
            bore *other = (bore *)NODE_DATA(Root, j, 581);
            if (j == i)
                continue;
            double dx = other->x - hole->x, dy = other->y - hole->y;
            add_dist(hole, other, std::sqrt(dx * dx + dy * dy));
        }
    }
    return start;
}

bore *get_nearest_bore(bore *Bore)
{
    if (Bore == nullptr)
        fatal_error_n(613, "Bore=NULL");
    d_list *dists = Bore->dists;
    if (dists == nullptr)
        fatal_error_n(620, "Bore->dists=NULL");
    double best = FAR_AWAY;
    bore *nearest = nullptr;
    for (int32_t i = 0; i < dists->count; i++) {
        const dist *entry = (const dist *)NODE_DATA(dists, i, 631);
        if (entry == nullptr)
            fatal_error_n(637, "dt=NULL");
        if (entry->bore == nullptr)
            fatal_error_n(642, "dt->bore=NULL");
        if (entry->bore->drilled != 0)
            continue;
        if (entry->distance < best) {
            best = entry->distance;
            nearest = entry->bore;
        }
    }
    return nearest;
}
