/* bore.cpp - holes, their sections and the greedy drilling order.
 *
 * Every check reports with its fixed number, so a diagnostic names the same
 * check whatever the layout of this file. */
#include "bore.h"

#include <cmath>
#include <cstdlib>
#include "tools.h"

/* Starting value of every minimum search; a hole farther away is never chosen. */
static const double FAR_AWAY = 2147483647.0;

/* ---- list callbacks ---- */

static bool same_point(double xa, double ya, double xb, double yb)
{
    return xa == xb && ya == yb;
}

int32_t section_touches(void *data, void *key)
{
    const section *s = (const section *)data;
    const section *k = (const section *)key;
    if (same_point(s->x1, s->y1, k->x1, k->y1) || same_point(s->x1, s->y1, k->x2, k->y2) ||
        same_point(s->x2, s->y2, k->x1, k->y1) || same_point(s->x2, s->y2, k->x2, k->y2))
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

d_list *new_sections(void)
{
    d_list *list = d_list_new(section_touches, free_section);
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
    section *added = (section *)s_calloc(1, sizeof(section));
    if (d_list_append_node(Bore->sections, added, nullptr, nullptr) == nullptr) {
        free(added);
        fatal_error_n(87, "Nem lehet bővíteni a szakaszok listáját.");
    }
    return added;
}

section *add_section(bore *Bore, double x1, double y1, double x2, double y2)
{
    if (Bore != nullptr && Bore->sections == nullptr)
        Bore->sections = new_sections();
    section *added = append_section(Bore);
    added->x1 = x1;
    added->y1 = y1;
    added->x2 = x2;
    added->y2 = y2;
    return added;
}

bore *search_section(d_list *Root, double x1, double y1, double x2, double y2)
{
    /* Without a hole list no hole can hold the section. */
    if (Root == nullptr)
        return nullptr;
    section key = {x1, y1, x2, y2};
    for (int32_t i = 0; i < Root->count; i++) {
        d_list_node *node = d_list_get_idx_node(Root, i);
        if (node == nullptr)
            fatal_error_n(140, "d_list_get_idx_node(Root, i) = NULL");
        bore *hole = (bore *)node->data;
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
    d_list *list = d_list_new(nullptr, free_bore);
    if (list == nullptr)
        fatal_error_n(270, "Nem sikerült létrehozni a furatok listáját.");
    return list;
}

bore *append_bore(d_list *Root)
{
    bore *added = (bore *)s_calloc(1, sizeof(bore));
    if (d_list_append_node(Root, added, nullptr, nullptr) == nullptr) {
        free(added);
        fatal_error_n(286, "Nem lehet bővíteni a furatok listáját.");
    }
    return added;
}

void compute_quad(d_list *Root)
{
    if (Root == nullptr)
        fatal_error_n(344, "Root=NULL");
    for (int32_t i = 0; i < Root->count; i++) {
        d_list_node *node = d_list_get_idx_node(Root, i);
        if (node == nullptr)
            fatal_error_n(358, "d_list_get_idx_node(Root, i) = NULL");
        bore *hole = (bore *)node->data;
        if (hole == nullptr)
            fatal_error_n(365, "bore=NULL");
        d_list *sections = hole->sections;
        if (sections == nullptr)
            fatal_error_n(372, "bore->sections=NULL");
        double min_x = FAR_AWAY, min_y = FAR_AWAY;
        double max_x = -2147483648.0, max_y = -2147483648.0;
        for (int32_t j = 0; j < sections->count; j++) {
            d_list_node *section_node = d_list_get_idx_node(sections, j);
            if (section_node == nullptr)
                fatal_error_n(384, "d_list_get_idx_node(sections, j) = NULL");
            const section *s = (const section *)section_node->data;
            if (s->x1 < min_x) min_x = s->x1;
            if (s->x2 < min_x) min_x = s->x2;
            if (s->x1 > max_x) max_x = s->x1;
            if (s->x2 > max_x) max_x = s->x2;
            if (s->y1 < min_y) min_y = s->y1;
            if (s->y2 < min_y) min_y = s->y2;
            if (s->y1 > max_y) max_y = s->y1;
            if (s->y2 > max_y) max_y = s->y2;
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
        d_list_node *node = d_list_get_idx_node(Root, i);
        if (node == nullptr)
            fatal_error_n(471, "d_list_get_idx_node(Root, i) = NULL");
        const bore *hole = (const bore *)node->data;
        if (hole == nullptr)
            fatal_error_n(478, "bore=NULL");
        if (hole->x < min_x) min_x = hole->x;
        if (hole->y < min_y) min_y = hole->y;
    }
    for (int32_t i = 0; i < Root->count; i++) {
        d_list_node *node = d_list_get_idx_node(Root, i);
        if (node == nullptr)
            fatal_error_n(504, "d_list_get_idx_node(Root, i) = NULL");
        bore *hole = (bore *)node->data;
        if (hole == nullptr)
            fatal_error_n(511, "bore=NULL");
        hole->x = (hole->x - min_x) + x_offset;
        hole->y = (hole->y - min_y) + y_offset;
    }
}

/* ---- drilling order ---- */

bore *compute_distances(d_list *Root)
{
    if (Root == nullptr)
        fatal_error_n(537, "Root=NULL");
    double best = FAR_AWAY;
    bore *start = nullptr;
    const int32_t n = Root->count;
    for (int32_t i = 0; i < n; i++) {
        d_list_node *node = d_list_get_idx_node(Root, i);
        if (node == nullptr)
            fatal_error_n(550, "d_list_get_idx_node(Root, i) = NULL");
        bore *a = (bore *)node->data;
        double r = std::sqrt(a->x * a->x + a->y * a->y);
        if (r < best) {
            best = r;
            start = a;
        }
        /* A second run must not leak or extend the earlier table. */
        if (a->dists != nullptr)
            d_list_free(a->dists);
        a->dists = new_dists();
        for (int32_t j = 0; j < n; j++) {
            d_list_node *other = d_list_get_idx_node(Root, j);
            if (other == nullptr)
                fatal_error_n(581, "d_list_get_idx_node(Root, j) = NULL");
            if (j == i)
                continue;
            bore *b = (bore *)other->data;
            double dx = b->x - a->x, dy = b->y - a->y;
            add_dist(a, b, std::sqrt(dx * dx + dy * dy));
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
        d_list_node *node = d_list_get_idx_node(dists, i);
        if (node == nullptr)
            fatal_error_n(631, "d_list_get_idx_node(dists, i) = NULL");
        const dist *dt = (const dist *)node->data;
        if (dt == nullptr)
            fatal_error_n(637, "dt=NULL");
        if (dt->bore == nullptr)
            fatal_error_n(642, "dt->bore=NULL");
        if (dt->bore->drilled != 0)
            continue;
        if (dt->distance < best) {
            best = dt->distance;
            nearest = dt->bore;
        }
    }
    return nearest;
}
