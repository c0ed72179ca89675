/* reference_path.cpp - grouping by scanning the list, the tour by distance tables.
 *
 * These checks were written in bore.cpp and report from there under their
 * fixed numbers, so a diagnostic names the same check wherever it lives. */
#include "holes/reference_path.h"

#include <cmath>
#include <cstdlib>
#include "system/tools.h"

static const char CHECK_FILE[] = "bore.cpp";
#define CHECK_FAILED(number, text) fatal_error_at(CHECK_FILE, __func__, (number), #text)
#define NODE_DATA(list, i, number) NODE_DATA_AT(CHECK_FILE, __func__, list, i, number)

/* The path's data for a list: each hole's distance table by list position. */
typedef struct distance_tables {
    d_list **tables;
    int32_t capacity;
} distance_tables;

static void *new_tables(void)
{
    return s_calloc(1, sizeof(distance_tables));
}

static void release_tables(void *data)
{
    distance_tables *tables = (distance_tables *)data;
    for (int32_t i = 0; i < tables->capacity; i++)
        if (tables->tables[i] != nullptr)
            d_list_free(tables->tables[i]);
    free(tables->tables);
    free(tables);
}

/* The reference data of the hole's list, or null when the list takes another path. */
static distance_tables *tables_of_list(const d_list *list)
{
    const path_choice *choice = list != nullptr ? (const path_choice *)list->attachment : nullptr;
    return choice != nullptr && choice->path == &reference_path ? (distance_tables *)choice->data : nullptr;
}

/* Where the hole's table is kept, grown to hold it; null off the reference path. */
static d_list **table_slot(const bore *hole)
{
    distance_tables *tables = tables_of_list(hole->list);
    if (tables == nullptr || hole->ordinal < 0)
        return nullptr;
    if (hole->ordinal >= tables->capacity) {
        int32_t capacity = hole->ordinal + 1 > 2 * tables->capacity ? hole->ordinal + 1 : 2 * tables->capacity;
        d_list **grown = (d_list **)s_calloc((size_t)capacity, sizeof(d_list *));
        for (int32_t i = 0; i < tables->capacity; i++)
            grown[i] = tables->tables[i];
        free(tables->tables);
        tables->tables = grown;
        tables->capacity = capacity;
    }
    return &tables->tables[hole->ordinal];
}

d_list *distances_of(const bore *hole)
{
    distance_tables *tables = hole != nullptr ? tables_of_list(hole->list) : nullptr;
    if (tables == nullptr || hole->ordinal < 0 || hole->ordinal >= tables->capacity)
        return nullptr;
    return tables->tables[hole->ordinal];
}

void free_distances(d_list *Root)
{
    distance_tables *tables = tables_of_list(Root);
    for (int32_t i = 0; tables != nullptr && i < tables->capacity; i++)
        if (tables->tables[i] != nullptr) {
            d_list_free(tables->tables[i]);
            tables->tables[i] = nullptr;
        }
}

/* ---- list callbacks ---- */

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

void free_dist(void *data)
{
    free(data);
}

/* ---- grouping ---- */

static void claim_nothing(void *, bore *, const section *)
{
}

static bore *scan_for_owner(void *, d_list *Root, const section *key)
{
    for (int32_t i = 0; i < Root->count; i++) {
        bore *hole = (bore *)NODE_DATA_AT(CHECK_FILE, "search_section", Root, i, 140);
        /* A hole without sections fails the search with EINVAL: no match. */
        if (hole != nullptr && d_list_search_node(hole->sections, (void *)key) != nullptr)
            return hole;
    }
    return nullptr;
}

/* ---- distances ---- */

d_list *new_dists(void)
{
    d_list *list = d_list_new(dist_compare, free_dist);
    if (list == nullptr)
        CHECK_FAILED(185, "Nem sikerült létrehozni a furatok távolságának listáját.");
    return list;
}

dist *append_dist(bore *Root)
{
    if (Root == nullptr)
        CHECK_FAILED(201, "Root=NULL");
    dist *added = (dist *)s_malloc(sizeof(dist));
    added->bore = nullptr;
    added->distance = 0.0;
    if (d_list_append_node(distances_of(Root), added, nullptr, nullptr) == nullptr) {
        free(added);
        CHECK_FAILED(208, "Nem lehet bővíteni a távolságok listáját.");
    }
    return added;
}

dist *add_dist(bore *Root, bore *other, double distance)
{
    if (Root == nullptr)
        CHECK_FAILED(224, "Root=NULL");
    d_list **table = table_slot(Root);
    if (table != nullptr && *table == nullptr)
        *table = new_dists();
    dist *added = append_dist(Root);
    added->bore = other;
    added->distance = distance;
    return added;
}

/* ---- the tour ---- */

bore *compute_distances(d_list *Root)
{
    if (Root == nullptr)
        CHECK_FAILED(537, "Root=NULL");
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
        d_list **table = table_slot(hole);
        if (table == nullptr)
            CHECK_FAILED(560, "Root->dists=NULL");
        /* A second run must not leak or extend the earlier table. */
        if (*table != nullptr)
            d_list_free(*table);
        *table = new_dists();
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
        CHECK_FAILED(613, "Bore=NULL");
    d_list *dists = distances_of(Bore);
    if (dists == nullptr)
        CHECK_FAILED(620, "Bore->dists=NULL");
    double best = FAR_AWAY;
    bore *nearest = nullptr;
    for (int32_t i = 0; i < dists->count; i++) {
        const dist *entry = (const dist *)NODE_DATA(dists, i, 631);
        if (entry == nullptr)
            CHECK_FAILED(637, "dt=NULL");
        if (entry->bore == nullptr)
            CHECK_FAILED(642, "dt->bore=NULL");
        if (entry->bore->drilled != 0)
            continue;
        if (entry->distance < best) {
            best = entry->distance;
            nearest = entry->bore;
        }
    }
    return nearest;
}

static bore *start_tables(void *, d_list *Root)
{
    return compute_distances(Root);
}

static bore *next_from_table(void *, d_list *, bore *Bore)
{
    return get_nearest_bore(Bore);
}

/* The scans keep nothing that a size would help. */
static void reserve_nothing(void *, size_t) {}
static void expect_nothing(void *, const section *) {}

const hole_path reference_path = {true, new_tables, release_tables, reserve_nothing, expect_nothing, claim_nothing, scan_for_owner, start_tables, next_from_table};
