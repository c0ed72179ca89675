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
 * the tables resolve by list order. */
#include "holes/tour_tree.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "system/tools.h"

enum { LEAF_SIZE = 32 };

typedef struct tour_point {
    double x, y;         /* the centre when the tour was planned */
    bore *hole;          /* null once the hole was found drilled and taken out */
    int32_t ordinal;     /* position in the hole list */
} tour_point;

/* A node covers points[first, end); an inner node's left child follows it, its right child is `right`. */
typedef struct tour_node {
    double min_x, max_x, min_y, max_y;   /* the box around the node's points */
    int32_t first, end;
    int32_t right;        /* -1 in a leaf */
    int32_t parent;       /* -1 at the root */
    int32_t undrilled;    /* points not yet taken out */
    int32_t min_ordinal;  /* earliest list position among the node's points */
} tour_node;

struct tour_tree {
    tour_point *points;
    tour_node *nodes;
    int32_t node_count;
};

static int32_t build_node(tour_tree *index, int32_t first, int32_t end, int32_t parent)
{
    int32_t id = index->node_count++;
    tour_node *node = &index->nodes[id];
    const tour_point *points = index->points;
    *node = {points[first].x, points[first].x, points[first].y, points[first].y,
             first, end, -1, parent, end - first, points[first].ordinal};
    for (int32_t i = first + 1; i < end; i++) {
        node->min_x = std::min(node->min_x, points[i].x);
        node->max_x = std::max(node->max_x, points[i].x);
        node->min_y = std::min(node->min_y, points[i].y);
        node->max_y = std::max(node->max_y, points[i].y);
        node->min_ordinal = std::min(node->min_ordinal, points[i].ordinal);
    }
    if (end - first <= LEAF_SIZE)
        return id;
    /* Split at the median of the wider side; a median split keeps the depth logarithmic. */
    bool by_x = node->max_x - node->min_x >= node->max_y - node->min_y;
    int32_t middle = first + (end - first) / 2;
    std::nth_element(index->points + first, index->points + middle, index->points + end,
                     [by_x](const tour_point &a, const tour_point &b) { return by_x ? a.x < b.x : a.y < b.y; });
    build_node(index, first, middle, id);
    int32_t right = build_node(index, middle, end, id);
    index->nodes[id].right = right;
    return id;
}

tour_tree *tour_tree_new(d_list *Root)
{
    tour_tree *index = (tour_tree *)s_calloc(1, sizeof(tour_tree));
    int32_t count = 0;
    /* Holes at an infinite or undefined place are left out: no distance to or from them is below FAR_AWAY. */
    index->points = (tour_point *)s_malloc(sizeof(tour_point) * (size_t)std::max(Root->count, 1));
    int32_t ordinal = 0;
    for (d_list_node *node = Root->first; node != nullptr && ordinal < Root->count; node = node->next, ordinal++) {
        bore *hole = (bore *)node->data;
        if (hole != nullptr && std::isfinite(hole->x) && std::isfinite(hole->y))
            index->points[count++] = {hole->x, hole->y, hole, ordinal};
    }
    if (count == 0)
        return index;
    /* Leaves hold at least LEAF_SIZE / 2 points once the tree splits, so count / 2 + 1 nodes suffice. */
    index->nodes = (tour_node *)s_malloc(sizeof(tour_node) * ((size_t)count / 2 + 1));
    build_node(index, 0, count, -1);
    return index;
}

void tour_tree_free(tour_tree *index)
{
    if (index == nullptr)
        return;
    free(index->points);
    free(index->nodes);
    free(index);
}

typedef struct nearest_search {
    double x, y;          /* the point searched from */
    const bore *from;     /* never the answer */
    double best;          /* distance of the best hole so far, FAR_AWAY before any */
    int32_t best_ordinal; /* its list position; -1 before any, so that no tie at FAR_AWAY wins */
    bore *found;
} nearest_search;

static double gap(double at, double low, double high)
{
    return at < low ? low - at : at > high ? at - high : 0.0;
}

/* No point of the node lies nearer than this, with the rounding of the distance itself. */
static double node_bound(const tour_node *node, double x, double y)
{
    double gap_x = gap(x, node->min_x, node->max_x), gap_y = gap(y, node->min_y, node->max_y);
    return std::sqrt(gap_x * gap_x + gap_y * gap_y);
}

static bool may_improve(const nearest_search *search, const tour_node *node, double bound)
{
    if (node->undrilled == 0)
        return false;
    return bound < search->best || (bound == search->best && node->min_ordinal < search->best_ordinal);
}

static void take_out(tour_tree *index, int32_t leaf, int32_t position)
{
    index->points[position].hole = nullptr;
    for (int32_t id = leaf; id >= 0; id = index->nodes[id].parent)
        index->nodes[id].undrilled--;
}

static void search_leaf(tour_tree *index, int32_t leaf, nearest_search *search)
{
    for (int32_t i = index->nodes[leaf].first; i < index->nodes[leaf].end; i++) {
        const tour_point *point = &index->points[i];
        if (point->hole == nullptr || point->hole == search->from)
            continue;
        if (point->hole->drilled != 0) {
            take_out(index, leaf, i);
            continue;
        }
        double dx = point->x - search->x, dy = point->y - search->y;
        double distance = std::sqrt(dx * dx + dy * dy);
        if (distance < search->best || (distance == search->best && point->ordinal < search->best_ordinal)) {
            search->best = distance;
            search->best_ordinal = point->ordinal;
            search->found = point->hole;
        }
    }
}

/* Visits the node if it may hold a better hole, the nearer child first. */
static void search_node(tour_tree *index, int32_t id, double bound, nearest_search *search)
{
    const tour_node *node = &index->nodes[id];
    if (!may_improve(search, node, bound))
        return;
    if (node->right < 0) {
        search_leaf(index, id, search);
        return;
    }
    int32_t near = id + 1, far = node->right;
    double near_bound = node_bound(&index->nodes[near], search->x, search->y);
    double far_bound = node_bound(&index->nodes[far], search->x, search->y);
    if (far_bound < near_bound) {
        std::swap(near, far);
        std::swap(near_bound, far_bound);
    }
    search_node(index, near, near_bound, search);
    search_node(index, far, far_bound, search);
}

bore *tour_tree_nearest(tour_tree *index, double x, double y, const bore *from)
{
    nearest_search search = {x, y, from, FAR_AWAY, -1, nullptr};
    if (index->node_count == 0 || !std::isfinite(x) || !std::isfinite(y))
        return nullptr;
    search_node(index, 0, node_bound(&index->nodes[0], x, y), &search);
    return search.found;
}

