/* bore.cpp - holes, their sections, and the one place that chooses a hole
 * list's path and dispatches to it.
 *
 * Every check reports with its fixed number, so a diagnostic names the same
 * check whatever the layout of this file. */
#include "holes/bore.h"

#include <cstdlib>
#include "holes/hole_index.h"
#include "holes/pool.h"
#include "holes/reference_path.h"
#include "system/tools.h"

#define NODE_DATA(list, i, number) NODE_DATA_AT(__FILE__, __func__, list, i, number)

/* The paths by bore_path. */
static const hole_path *const paths[] = {&indexed_path, &reference_path};
static bore_path default_path = BORE_INDEXED;

/* The list's path and its data; a list not made by new_bores is scanned (its tour
 * then answers from the tables whether started or not, so `touring` means nothing there). */
static path_choice *choice_of(d_list *Root)
{
    static path_choice plain = {&reference_path, nullptr, false};
    path_choice *choice = (path_choice *)Root->attachment;
    return choice != nullptr ? choice : &plain;
}

static void free_choice(void *data)
{
    path_choice *choice = (path_choice *)data;
    choice->path->release(choice->data);
    free(choice);
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

void free_bore(void *data)
{
    bore *hole = (bore *)data;
    if (hole == nullptr)
        return;
    if (hole->sections)
        d_list_free(hole->sections);
    if (hole->list == nullptr || hole->list->pool == nullptr)
        free(hole);
}

void free_section(void *data)
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

void add_section(bore *Bore, double x1, double y1, double x2, double y2)
{
    path_choice *choice = Bore != nullptr && Bore->list != nullptr ? choice_of(Bore->list) : nullptr;
    section added = {x1, y1, x2, y2};
    if (choice == nullptr || choice->path->keeps_sections) {
        if (Bore != nullptr && Bore->sections == nullptr)
            Bore->sections = new_sections(Bore->list != nullptr ? Bore->list->pool : nullptr);
        *append_section(Bore) = added;
    }
    if (choice != nullptr)
        choice->path->claim(choice->data, Bore, &added);
}

void expect_points(d_list *Root, size_t points)
{
    path_choice *choice = choice_of(Root);
    choice->path->reserve(choice->data, points);
}

void expect_section(d_list *Root, double x1, double y1, double x2, double y2)
{
    path_choice *choice = choice_of(Root);
    section coming = {x1, y1, x2, y2};
    choice->path->expect(choice->data, &coming);
}

bore *search_section(d_list *Root, double x1, double y1, double x2, double y2)
{
    /* Without a hole list no hole can hold the section. */
    if (Root == nullptr)
        return nullptr;
    path_choice *choice = choice_of(Root);
    section key = {x1, y1, x2, y2};
    return choice->path->owner(choice->data, Root, &key);
}

/* ---- holes ---- */

bore_path set_default_bore_path(bore_path path)
{
    bore_path previous = default_path;
    default_path = path;
    return previous;
}

d_list *new_bores(void)
{
    return new_bores_on(default_path);
}

d_list *new_bores_on(bore_path path)
{
    d_list *list = d_list_new_pooled(nullptr, free_bore);
    if (list == nullptr)
        fatal_error_n(270, "Nem sikerült létrehozni a furatok listáját.");
    path_choice *choice = (path_choice *)s_calloc(1, sizeof(path_choice));
    choice->path = paths[path];
    choice->data = choice->path->create();
    list->attachment = choice;
    list->free_attachment = free_choice;
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
    added->ordinal = Root->count - 1;
    added->list = Root;
    return added;
}

void compute_quad(d_list *Root)
{
    if (Root == nullptr)
        fatal_error_n(344, "Root=NULL");
    bool listed = choice_of(Root)->path->keeps_sections;
    for (int32_t i = 0; i < Root->count; i++) {
        bore *hole = (bore *)NODE_DATA(Root, i, 358);
        if (hole == nullptr)
            fatal_error_n(365, "bore=NULL");
        d_list *sections = hole->sections;
        /* A hole without sections has no box either way. */
        if (listed ? sections == nullptr : hole->parts == 0)
            fatal_error_n(372, "bore->sections=NULL");
        section_box box = listed ? EMPTY_BOX : hole->box;
        for (int32_t j = 0; listed && j < sections->count; j++)
            widen_box(&box, (const section *)NODE_DATA(sections, j, 384));
        hole->x = box.min_x + (box.max_x - box.min_x) * 0.5;
        hole->y = box.min_y + (box.max_y - box.min_y) * 0.5;
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
    /* Without a list the reference reports. */
    if (Root == nullptr)
        return compute_distances(Root);
    path_choice *choice = choice_of(Root);
    choice->touring = true;
    return choice->path->start(choice->data, Root);
}

bore *tour_next(d_list *Root, bore *Bore)
{
    path_choice *choice = Root != nullptr ? choice_of(Root) : nullptr;
    /* Asked before tour_start or wrongly, the distance tables answer and report. */
    if (choice == nullptr || !choice->touring || Bore == nullptr)
        return get_nearest_bore(Bore);
    return choice->path->next(choice->data, Root, Bore);
}
