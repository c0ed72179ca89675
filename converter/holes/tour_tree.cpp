/* tour_tree.cpp - the 2-d tree over the hole centres that the tour searches.
 *
 * Why the tour can prune without changing a single choice: every distance
 * is sqrt(dx * dx + dy * dy) with dx = x(B) - x(A), as the distance tables
 * compute it, and each of those rounded operations is monotone. A node's
 * bound uses the same operations on the gap between the point and the
 * smallest box around the node's own members, which no member lies outside
 * of, so no member's distance can come out below it. A node is skipped only
 * when its bound is greater than the best distance so far, or equal to it
 * with no member earlier in list order. Squares are never compared instead
 * of roots: two different squares can round to the same root, which is a tie
 * the tables resolve by list order.
 *
 * Two shortcuts keep that argument. A square above the square of the next
 * double after the best distance has a root above the best, as sqrt rounds
 * monotonically onto doubles; so a hole or node whose square is above a
 * threshold rounded up from that square loses without a root, and only the
 * squares at or under it are rooted and compared as above. And a search
 * from the hole last answered starts in that hole's leaf and climbs: each
 * ancestor's other child is searched as any node, and the climb stops once
 * the gap from the point to the nearest side of the node's cell (the region
 * its ancestors' splits leave it, on or beyond whose sides every hole outside
 * the node lies) gives a square over the threshold. The leaf and the stop save
 * work only: a climb to the root has searched every node. */
#include "holes/tour_tree.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "system/platform.h"
#include "system/tools.h"

enum { LEAF_SIZE = 32 };

typedef struct tour_point {
    double x, y;         /* the centre when the tour was planned */
    bore *hole;
    int32_t ordinal;     /* position in the hole list */
} tour_point;

/* A node covers points[first, end); an inner node's left child follows it, its right child is `right`.
 * A leaf keeps its points not yet taken out in front: its `end` moves down as they are. */
typedef struct tour_node {
    double min_x, max_x, min_y, max_y;   /* the box around the node's points */
    double low_x, high_x, low_y, high_y; /* the node's cell; infinite where no split bounds it */
    int32_t first, end;
    int32_t right;        /* -1 in a leaf */
    int32_t parent;       /* -1 at the root */
    int32_t live;         /* a leaf's points not yet taken out, an inner node's children holding any */
    int32_t min_ordinal;  /* earliest list position among the node's points when planned */
} tour_node;

struct tour_tree {
    tour_point *points;
    tour_node *nodes;
    size_t point_bytes, node_bytes;
    int32_t node_count;
    const bore *last_found;   /* the last answer, null before any */
    int32_t last_leaf;        /* its leaf: the tour's next search starts there */
    int32_t last_position;    /* and its place in the leaf */
};

/* An axis-parallel rectangle: a node's cell, or the box around a set of points. */
typedef struct extent {
    double low_x, high_x, low_y, high_y;
} extent;

/* Orders the points on the axis about a median, so that the depth stays logarithmic; returns where
 * the upper part starts and sets `split` to a value that no point before it exceeds and none from it
 * falls below. A sample's median costs one pass; when it leaves either part less than a quarter of
 * the points, the exact median is taken, so leaves hold more than LEAF_SIZE / 4 points. */
template <double tour_point::*axis>
static int32_t split_points(tour_point *points, int32_t first, int32_t end, double *split)
{
    enum { SAMPLES = 31 };
    const int32_t count = end - first;
    double sample[SAMPLES];
    for (int32_t k = 0; k < SAMPLES; k++)
        sample[k] = points[first + (int32_t)((int64_t)count * k / SAMPLES)].*axis;
    std::nth_element(sample, sample + SAMPLES / 2, sample + SAMPLES);
    const double pivot = sample[SAMPLES / 2];
    tour_point *upper = std::partition(points + first, points + end,
                                       [pivot](const tour_point &p) { return p.*axis < pivot; });
    int32_t middle = (int32_t)(upper - points);
    *split = pivot;
    if (4 * (middle - first) >= count && 4 * (end - middle) >= count)
        return middle;
    middle = first + count / 2;
    std::nth_element(points + first, points + middle, points + end,
                     [](const tour_point &a, const tour_point &b) { return a.*axis < b.*axis; });
    *split = points[middle].*axis;
    return middle;
}

/* The box around points[first, end) and their earliest list position. */
static extent box_of(const tour_point *points, int32_t first, int32_t end, int32_t *min_ordinal)
{
    extent box = {points[first].x, points[first].x, points[first].y, points[first].y};
    *min_ordinal = points[first].ordinal;
    for (int32_t i = first + 1; i < end; i++) {
        box.low_x = std::min(box.low_x, points[i].x);
        box.high_x = std::max(box.high_x, points[i].x);
        box.low_y = std::min(box.low_y, points[i].y);
        box.high_y = std::max(box.high_y, points[i].y);
        *min_ordinal = std::min(*min_ordinal, points[i].ordinal);
    }
    return box;
}

/* Builds the node over points[first, end) in `region`; `around` encloses the points and chooses the
 * axis of the split. A node's box is its children's together, so the points are measured once, in the leaves. */
static int32_t build_node(tour_tree *index, int32_t first, int32_t end, int32_t parent, extent region, extent around)
{
    int32_t id = index->node_count++;
    index->nodes[id] = {0, 0, 0, 0, region.low_x, region.high_x, region.low_y, region.high_y,
                        first, end, -1, parent, end - first, 0};
    if (end - first <= LEAF_SIZE) {
        tour_node *leaf = &index->nodes[id];
        extent box = box_of(index->points, first, end, &leaf->min_ordinal);
        leaf->min_x = box.low_x, leaf->max_x = box.high_x, leaf->min_y = box.low_y, leaf->max_y = box.high_y;
        return id;
    }
    bool by_x = around.high_x - around.low_x >= around.high_y - around.low_y;
    double split;
    int32_t middle = by_x ? split_points<&tour_point::x>(index->points, first, end, &split)
                          : split_points<&tour_point::y>(index->points, first, end, &split);
    extent left = region, right = region, left_around = around, right_around = around;
    (by_x ? left.high_x : left.high_y) = (by_x ? left_around.high_x : left_around.high_y) = split;
    (by_x ? right.low_x : right.low_y) = (by_x ? right_around.low_x : right_around.low_y) = split;
    int32_t left_id = build_node(index, first, middle, id, left, left_around);
    int32_t right_id = build_node(index, middle, end, id, right, right_around);
    const tour_node *a = &index->nodes[left_id], *b = &index->nodes[right_id];
    tour_node *node = &index->nodes[id];
    node->min_x = std::min(a->min_x, b->min_x), node->max_x = std::max(a->max_x, b->max_x);
    node->min_y = std::min(a->min_y, b->min_y), node->max_y = std::max(a->max_y, b->max_y);
    node->min_ordinal = std::min(a->min_ordinal, b->min_ordinal);
    node->right = right_id;
    node->live = 2;
    return id;
}

/* A million holes' tree is some 45 MB written once: on large pages its
 * first writes fault far less often. */
static void *tree_block(size_t size)
{
    void *block = platform_large_block(size);
    if (block == nullptr)
        fatal_error("Kevés a memória: %u bájt kellene.", (unsigned)size);
    return block;
}

tour_tree *tour_tree_new(d_list *Root)
{
    tour_tree *index = (tour_tree *)s_calloc(1, sizeof(tour_tree));
    int32_t count = 0;
    /* Holes at an infinite or undefined place are left out: no distance to or from them is below FAR_AWAY. */
    index->point_bytes = sizeof(tour_point) * (size_t)std::max(Root->count, 1);
    index->points = (tour_point *)tree_block(index->point_bytes);
    int32_t ordinal = 0;
    for (d_list_node *node = Root->first; node != nullptr && ordinal < Root->count; node = node->next, ordinal++) {
        bore *hole = (bore *)node->data;
        if (hole != nullptr && std::isfinite(hole->x) && std::isfinite(hole->y))
            index->points[count++] = {hole->x, hole->y, hole, ordinal};
    }
    if (count == 0)
        return index;
    /* Leaves hold more than LEAF_SIZE / 4 points once the tree splits, so fewer than 4 * count / LEAF_SIZE
     * leaves and twice as many nodes. */
    index->node_bytes = sizeof(tour_node) * (8 * (size_t)count / LEAF_SIZE + 1);
    index->nodes = (tour_node *)tree_block(index->node_bytes);
    int32_t min_ordinal;  /* the root's is gathered from its leaves */
    extent around = box_of(index->points, 0, count, &min_ordinal);
    build_node(index, 0, count, -1, {-INFINITY, INFINITY, -INFINITY, INFINITY}, around);
    return index;
}

void tour_tree_free(tour_tree *index)
{
    if (index == nullptr)
        return;
    platform_release_block(index->points, index->point_bytes);
    platform_release_block(index->nodes, index->node_bytes);
    free(index);
}

typedef struct nearest_search {
    double x, y;          /* the point searched from */
    const bore *from;     /* never the answer */
    double best;          /* distance of the best hole so far, FAR_AWAY before any */
    double losing_square; /* a square above this has a root above `best` */
    int32_t best_ordinal; /* its list position; -1 before any, so that no tie at FAR_AWAY wins */
    bore *found;
    int32_t found_leaf, found_position;
} nearest_search;

/* The next double above a finite v >= +0: for such doubles the bit patterns run in the order of the values. */
static double next_up(double v)
{
    uint64_t bits;
    memcpy(&bits, &v, sizeof bits);
    bits++;
    memcpy(&v, &bits, sizeof v);
    return v;
}

/* At least the square of the double after `best`, whose root cannot round to `best` or below.
 * `best` is at most FAR_AWAY, so neither the square nor the step after it overflows. */
static double losing_square(double best)
{
    double next = next_up(best);
    return next_up(next * next);
}

static double gap(double at, double low, double high)
{
    return at < low ? low - at : at > high ? at - high : 0.0;
}

/* The square of the gap between the point and the node's box, the rounding as in a distance. */
static double gap_square(const nearest_search *search, const tour_node *node)
{
    double gap_x = gap(search->x, node->min_x, node->max_x), gap_y = gap(search->y, node->min_y, node->max_y);
    return gap_x * gap_x + gap_y * gap_y;
}

static bool may_improve(const nearest_search *search, const tour_node *node, double square)
{
    if (node->live == 0 || square > search->losing_square)
        return false;
    double bound = std::sqrt(square);
    return bound < search->best || (bound == search->best && node->min_ordinal < search->best_ordinal);
}

/* Moves the leaf's point at `position` behind its live points and uncounts it. */
static void take_out(tour_tree *index, int32_t leaf, int32_t position)
{
    tour_node *node = &index->nodes[leaf];
    std::swap(index->points[position], index->points[--node->end]);
    for (int32_t id = leaf; --index->nodes[id].live == 0 && index->nodes[id].parent >= 0;)
        id = index->nodes[id].parent;
}

static void search_leaf(const tour_tree *index, int32_t leaf, nearest_search *search)
{
    /* Kept in locals: for all the compiler knows, each store into the search could change them. */
    const double x = search->x, y = search->y;
    double losing = search->losing_square;
    const tour_point *points = index->points;
    for (int32_t i = index->nodes[leaf].first, end = index->nodes[leaf].end; i < end; i++) {
        double dx = points[i].x - x, dy = points[i].y - y;
        double square = dx * dx + dy * dy;
        if (square > losing)
            continue;
        double distance = std::sqrt(square);
        if (distance > search->best || (distance == search->best && points[i].ordinal >= search->best_ordinal))
            continue;
        if (points[i].hole == search->from)
            continue;
        search->best = distance;
        search->losing_square = losing = losing_square(distance);
        search->best_ordinal = points[i].ordinal;
        search->found = points[i].hole;
        /* The answer's hole is read next: fetched while the search goes on. */
        __builtin_prefetch(points[i].hole);
        search->found_leaf = leaf;
        search->found_position = i;
    }
}

/* Visits the node if it may hold a better hole, the nearer child first. */
static void search_node(const tour_tree *index, int32_t id, double square, nearest_search *search)
{
    const tour_node *node = &index->nodes[id];
    if (!may_improve(search, node, square))
        return;
    if (node->right < 0) {
        search_leaf(index, id, search);
        return;
    }
    int32_t near = id + 1, far = node->right;
    double near_square = gap_square(search, &index->nodes[near]);
    double far_square = gap_square(search, &index->nodes[far]);
    if (far_square < near_square) {
        std::swap(near, far);
        std::swap(near_square, far_square);
    }
    search_node(index, near, near_square, search);
    search_node(index, far, far_square, search);
}

/* Searches the node, its bound not yet known. */
static void search_from(const tour_tree *index, int32_t id, nearest_search *search)
{
    search_node(index, id, gap_square(search, &index->nodes[id]), search);
}

/* True when every hole outside the node lies farther than the best so far. */
static bool holds_the_nearest(const nearest_search *search, const tour_node *node)
{
    double margin = std::min(std::min(search->x - node->low_x, node->high_x - search->x),
                             std::min(search->y - node->low_y, node->high_y - search->y));
    return margin > 0.0 && margin * margin > search->losing_square;
}

/* Searches the whole tree, starting in `leaf` and climbing. */
static void search_up_from(const tour_tree *index, int32_t leaf, nearest_search *search)
{
    search_leaf(index, leaf, search);
    for (int32_t id = leaf; id > 0 && !holds_the_nearest(search, &index->nodes[id]); id = index->nodes[id].parent) {
        int32_t parent = index->nodes[id].parent;
        search_from(index, id == parent + 1 ? index->nodes[parent].right : parent + 1, search);
    }
}

/* The searches read no hole: the holes lie elsewhere in memory. The tour drills what the tree answered,
 * so that hole is taken out before the next search starts from it; a hole drilled otherwise is taken out
 * when a search would answer it, and the search is run again without it. */
bore *tour_tree_nearest(tour_tree *index, double x, double y, const bore *from)
{
    if (index->node_count == 0 || !std::isfinite(x) || !std::isfinite(y))
        return nullptr;
    /* The tour searches from the hole it was last given; any other search starts at the root. */
    const bool from_last = from != nullptr && from == index->last_found;
    if (from_last && from->drilled != 0)
        take_out(index, index->last_leaf, index->last_position);
    for (;;) {
        nearest_search search = {x, y, from, FAR_AWAY, losing_square(FAR_AWAY), -1, nullptr, -1, -1};
        if (from_last)
            search_up_from(index, index->last_leaf, &search);
        else
            search_from(index, 0, &search);
        if (search.found == nullptr || search.found->drilled == 0) {
            index->last_found = search.found;
            index->last_leaf = search.found_leaf, index->last_position = search.found_position;
            return search.found;
        }
        take_out(index, search.found_leaf, search.found_position);
    }
}
