/* hole_index.cpp - the end-point map for grouping, and the tour tree as the list's path. */
#include "holes/hole_index.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "holes/tour_tree.h"
#include "system/tools.h"

enum { FIRST_CAPACITY = 64 };

typedef struct point_claim {
    double x, y;
    bore *hole;          /* null in an empty slot */
} point_claim;

struct hole_index {
    point_claim *claims;  /* open addressing, linear probing; a power of two slots, none before the first claim */
    size_t capacity;
    size_t used;
    tour_tree *tour;      /* null until the tour starts */
    bool claims_dropped;  /* the map went with the tour's planning; made anew when asked again */
};

static void *new_hole_index(void)
{
    /* A drill file's bit never claims a point: its index costs no table. */
    return (hole_index *)s_calloc(1, sizeof(hole_index));
}

static void drop_tour(hole_index *index)
{
    tour_tree_free(index->tour);
    index->tour = nullptr;
}

/* The map goes when the tour is planned, grouping being over by then; asked
 * again, it is made anew from every section of the list. */
static void drop_claims(hole_index *index)
{
    free(index->claims);
    index->claims = nullptr;
    index->capacity = 0;
    index->used = 0;
    index->claims_dropped = true;
}

static void free_hole_index(void *data)
{
    hole_index *index = (hole_index *)data;
    if (index == nullptr)
        return;
    drop_tour(index);
    drop_claims(index);
    free(index);
}

/* ---- grouping ---- */

/* Equal points (as == sees them: -0.0 is 0.0) hash alike. */
static uint64_t point_hash(double x, double y)
{
    uint64_t a, b;
    memcpy(&a, &x, sizeof a);
    memcpy(&b, &y, sizeof b);
    uint64_t h = a ^ (b * 0x9E3779B97F4A7C15ull);
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

/* The slot holding (x, y), or the empty slot where it belongs. */
static point_claim *find_claim(point_claim *claims, size_t capacity, double x, double y)
{
    size_t mask = capacity - 1;
    for (size_t i = point_hash(x, y) & mask;; i = (i + 1) & mask)
        if (claims[i].hole == nullptr || (claims[i].x == x && claims[i].y == y))
            return &claims[i];
}

static void grow_claims(hole_index *index)
{
    size_t capacity = index->capacity > 0 ? index->capacity * 2 : (size_t)FIRST_CAPACITY;
    point_claim *claims = (point_claim *)s_calloc(capacity, sizeof(point_claim));
    for (size_t i = 0; i < index->capacity; i++)
        if (index->claims[i].hole != nullptr)
            *find_claim(claims, capacity, index->claims[i].x, index->claims[i].y) = index->claims[i];
    free(index->claims);
    index->claims = claims;
    index->capacity = capacity;
}

/* A point that can never equal another one (NaN) needs no entry. */
static bool comparable(double x, double y)
{
    return !std::isnan(x) && !std::isnan(y);
}

static void claim_point(hole_index *index, double x, double y, bore *hole)
{
    if (!comparable(x, y))
        return;
    x = x == 0.0 ? 0.0 : x;
    y = y == 0.0 ? 0.0 : y;
    if ((index->used + 1) * 2 > index->capacity)
        grow_claims(index);
    point_claim *claim = find_claim(index->claims, index->capacity, x, y);
    if (claim->hole == nullptr) {
        *claim = {x, y, hole};
        index->used++;
    } else if (hole->ordinal < claim->hole->ordinal) {
        claim->hole = hole;
    }
}

static bore *point_owner(const hole_index *index, double x, double y)
{
    if (!comparable(x, y) || index->capacity == 0)
        return nullptr;
    x = x == 0.0 ? 0.0 : x;
    y = y == 0.0 ? 0.0 : y;
    return find_claim(index->claims, index->capacity, x, y)->hole;
}

static void claim_section(hole_index *index, bore *hole, const section *added)
{
    claim_point(index, added->x1, added->y1, hole);
    claim_point(index, added->x2, added->y2, hole);
}

/* The map as the claims of every section of the list in order would have made it. */
static void restore_claims(hole_index *index, d_list *Root)
{
    if (!index->claims_dropped)
        return;
    index->claims_dropped = false;
    for (d_list_node *node = Root != nullptr ? Root->first : nullptr; node != nullptr; node = node->next) {
        bore *hole = (bore *)node->data;
        for (d_list_node *part = hole != nullptr && hole->sections ? hole->sections->first : nullptr; part != nullptr;
             part = part->next)
            claim_section(index, hole, (const section *)part->data);
    }
}

static void claim_ends(void *data, bore *hole, const section *added)
{
    restore_claims((hole_index *)data, hole->list);
    claim_section((hole_index *)data, hole, added);
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

static bore *owner_of_ends(void *data, d_list *Root, const section *key)
{
    restore_claims((hole_index *)data, Root);
    const hole_index *index = (const hole_index *)data;
    return earlier(point_owner(index, key->x1, key->y1), point_owner(index, key->x2, key->y2));
}

/* ---- the tour ---- */

static bore *start_tour(void *data, d_list *Root)
{
    hole_index *index = (hole_index *)data;
    drop_tour(index);
    drop_claims(index);
    index->tour = tour_tree_new(Root);
    /* x - 0.0 is x exactly, so this is the distance sqrt(x * x + y * y) from the origin. */
    return tour_tree_nearest(index->tour, 0.0, 0.0, nullptr);
}

static bore *next_stop(void *data, d_list *, bore *Bore)
{
    return tour_tree_nearest(((hole_index *)data)->tour, Bore->x, Bore->y, Bore);
}

const hole_path indexed_path = {new_hole_index, free_hole_index, claim_ends, owner_of_ends, start_tour, next_stop};
