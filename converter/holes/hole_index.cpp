/* hole_index.cpp - the end-point map for grouping, and the tour tree as the list's path. */
#include "holes/hole_index.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "holes/tour_tree.h"
#include "system/platform.h"
#include "system/tools.h"

enum { FIRST_CAPACITY = 64, RECENT = 4 };

typedef struct point_claim {
    double x, y;
    bore *hole;          /* null in an empty slot */
} point_claim;

/* A point looked up lately and the slot where the search for it ended. */
typedef struct recent_point {
    double x, y;
    size_t slot;
} recent_point;

struct hole_index {
    point_claim *claims;  /* open addressing, linear probing; a power of two slots, none before the first claim,
                             at most four fifths used: an outline's 16 points a hole fit in half the memory */
    size_t capacity;
    size_t used;
    /* A section's owner and its claim ask for the same points, and an outline's
     * strokes share their ends: the search for a recent point starts at its slot. */
    recent_point recent[RECENT];
    size_t recent_count;  /* valid entries, the first ones; 0 whenever the slots move */
    size_t recent_next;   /* the entry a new point takes; 0 with recent_count */
    tour_tree *tour;      /* null until the tour starts */
    bool grouping_over;   /* the map went with the tour's planning */
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

/* The slots move or go: no search may resume at a remembered one. */
static void forget_recent(hole_index *index)
{
    index->recent_count = 0;
    index->recent_next = 0;
}

/* Zero-filled slots, null when memory runs out. */
static point_claim *new_claims(size_t capacity)
{
    return (point_claim *)platform_large_block(capacity * sizeof(point_claim));
}

static void free_claims(point_claim *claims, size_t capacity)
{
    platform_release_block(claims, capacity * sizeof(point_claim));
}

/* The map goes when the tour is planned, grouping being over by then. */
static void drop_claims(hole_index *index)
{
    free_claims(index->claims, index->capacity);
    index->claims = nullptr;
    index->capacity = 0;
    index->used = 0;
    forget_recent(index);
    index->grouping_over = true;
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

/* The slot holding (x, y), or the empty slot where it belongs, searching from slot `i`. */
static size_t probe_from(const point_claim *claims, size_t capacity, size_t i, double x, double y)
{
    size_t mask = capacity - 1;
    for (;; i = (i + 1) & mask)
        if (claims[i].hole == nullptr || (claims[i].x == x && claims[i].y == y))
            return i;
}

static point_claim *find_claim(point_claim *claims, size_t capacity, double x, double y)
{
    return &claims[probe_from(claims, capacity, point_hash(x, y) & (capacity - 1), x, y)];
}

/* find_claim, remembering the point. Slots are never emptied while the map
 * keeps its size, so every slot between a point's hash and where its search
 * ended still holds another point: the search may resume there. */
static point_claim *find_recent(hole_index *index, double x, double y)
{
    size_t k = 0;
    while (k < index->recent_count && !(index->recent[k].x == x && index->recent[k].y == y))
        k++;
    bool known = k < index->recent_count;
    size_t start = known ? index->recent[k].slot : point_hash(x, y) & (index->capacity - 1);
    size_t slot = probe_from(index->claims, index->capacity, start, x, y);
    if (!known) {
        /* In turn, the oldest first: an outline's next stroke starts where the last one ended. */
        k = index->recent_next;
        index->recent_next = (k + 1) % RECENT;
        if (index->recent_count < RECENT)
            index->recent_count++;
    }
    index->recent[k] = {x, y, slot};
    return &index->claims[slot];
}

/* Moves the map to `capacity` slots; false, with the map as it was, when memory runs out. */
static bool move_claims(hole_index *index, size_t capacity)
{
    point_claim *claims = new_claims(capacity);
    if (claims == nullptr)
        return false;
    for (size_t i = 0; i < index->capacity; i++)
        if (index->claims[i].hole != nullptr)
            *find_claim(claims, capacity, index->claims[i].x, index->claims[i].y) = index->claims[i];
    free_claims(index->claims, index->capacity);
    index->claims = claims;
    index->capacity = capacity;
    forget_recent(index);
    return true;
}

/* Whether `points` fit in `capacity` slots: at most four fifths of them used. */
static bool fits(size_t points, size_t capacity)
{
    return points * 5 <= capacity * 4;
}

static void grow_claims(hole_index *index)
{
    size_t capacity = index->capacity > 0 ? index->capacity * 2 : (size_t)FIRST_CAPACITY;
    if (!move_claims(index, capacity))
        fatal_error("Kevés a memória: %u bájt kellene.", (unsigned)(capacity * sizeof(point_claim)));
}

/* The point as the map keys it: -0.0 as 0.0, which == takes for equal and
 * the hash must too. False for a point that can never equal another one
 * (NaN): it needs no entry. */
static bool as_key(double *x, double *y)
{
    if (std::isnan(*x) || std::isnan(*y))
        return false;
    *x = *x == 0.0 ? 0.0 : *x;
    *y = *y == 0.0 ? 0.0 : *y;
    return true;
}

static void claim_point(hole_index *index, double x, double y, bore *hole)
{
    if (!as_key(&x, &y))
        return;
    if (!fits(index->used + 1, index->capacity))
        grow_claims(index);
    point_claim *claim = find_recent(index, x, y);
    if (claim->hole == nullptr) {
        *claim = {x, y, hole};
        index->used++;
    } else if (hole->ordinal < claim->hole->ordinal) {
        claim->hole = hole;
    }
}

static bore *point_owner(hole_index *index, double x, double y)
{
    if (index->capacity == 0 || !as_key(&x, &y))
        return nullptr;
    return find_recent(index, x, y)->hole;
}

/* The slot where the search for (x, y) starts; the map itself when the point needs none. */
static const point_claim *home_slot(const hole_index *index, double x, double y)
{
    if (index->capacity == 0 || !as_key(&x, &y))
        return index->claims;
    return &index->claims[point_hash(x, y) & (index->capacity - 1)];
}

/* A new point's slot is a cache miss in a large map: fetched ahead, the
 * search for it later finds the line there. (A helper that only prefetched
 * would count as having no effect, and its calls would be dropped.) */
static void expect_ends(void *data, const section *coming)
{
    const hole_index *index = (const hole_index *)data;
    __builtin_prefetch(home_slot(index, coming->x1, coming->y1));
    if (coming->x2 != coming->x1 || coming->y2 != coming->y1)
        __builtin_prefetch(home_slot(index, coming->x2, coming->y2));
}

/* A flash's ends are one point: claimed once. */
static void claim_section(hole_index *index, bore *hole, const section *added)
{
    claim_point(index, added->x1, added->y1, hole);
    if (added->x2 != added->x1 || added->y2 != added->y1)
        claim_point(index, added->x2, added->y2, hole);
}

/* The holes keep no sections to make the map anew from: grouping is over
 * once the tour has dropped it. */
static void check_grouping(const hole_index *index)
{
    if (index->grouping_over)
        fatal_error("index->grouping_over=1");
}

/* Far more points than any board has: a hint beyond it is no board's. */
static const size_t MOST_POINTS = (size_t)1 << 24;

/* Sizes the map once for the points expected. The hint is only that: a map
 * it cannot get stays as it is and grows as the points come. */
static void reserve_claims(void *data, size_t points)
{
    hole_index *index = (hole_index *)data;
    check_grouping(index);
    if (points > MOST_POINTS)
        points = MOST_POINTS;
    size_t capacity = index->capacity > 0 ? index->capacity : (size_t)FIRST_CAPACITY;
    while (!fits(points, capacity))
        capacity *= 2;
    if (capacity > index->capacity)
        move_claims(index, capacity);
}

static void claim_ends(void *data, bore *hole, const section *added)
{
    hole_index *index = (hole_index *)data;
    check_grouping(index);
    if (hole->parts++ == 0)
        hole->box = EMPTY_BOX;
    widen_box(&hole->box, added);
    claim_section(index, hole, added);
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

static bore *owner_of_ends(void *data, d_list *, const section *key)
{
    hole_index *index = (hole_index *)data;
    check_grouping(index);
    bore *first = point_owner(index, key->x1, key->y1);
    if (key->x2 == key->x1 && key->y2 == key->y1)
        return first;
    return earlier(first, point_owner(index, key->x2, key->y2));
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

const hole_path indexed_path = {false, new_hole_index, free_hole_index, reserve_claims, expect_ends, claim_ends, owner_of_ends, start_tour, next_stop};
