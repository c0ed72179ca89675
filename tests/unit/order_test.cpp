/* order_test.cpp - distance tables and the greedy nearest-neighbour tour,
 * on indexed hole lists and on reference lists alike. */
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "holes/bore.h"
#include "holes/reference_path.h"
#include "test_support.h"

namespace {

struct point { double x, y; };

d_list *holes_at(const std::vector<point> &centres, bool reference = true)
{
    d_list *root = new_hole_list(reference);
    for (const point &p : centres) {
        bore *b = append_bore(root);
        b->x = p.x;
        b->y = p.y;
    }
    return root;
}

int index_of(d_list *root, const bore *b)
{
    for (int i = 0; i < root->count; i++)
        if (d_list_get_idx_node(root, i)->data == b)
            return i;
    return -1;
}

/* The tour as the writer walks it, as hole indexes; stops early at a null step. */
std::vector<int> tour(d_list *root)
{
    std::vector<int> order;
    bore *hole = tour_start(root);
    if (hole == nullptr)
        return order;
    hole->drilled = 1;
    order.push_back(index_of(root, hole));
    for (int32_t step = 1, n = root->count; step < n; step++) {
        hole = tour_next(root, hole);
        if (hole == nullptr)
            break;
        hole->drilled = 1;
        order.push_back(index_of(root, hole));
    }
    return order;
}

TEST(order, greedy_tour_and_its_ties)
{
    struct tour_case {
        const char *name;
        std::vector<point> holes;
        std::vector<int> order;
    } cases[] = {
        {"three holes", {{5, 5}, {1, 1}, {2, 2}}, {1, 2, 0}},
        {"equal distance from the origin, earlier first", {{0, 3}, {3, 0}}, {0, 1}},
        {"same tie listed the other way", {{3, 0}, {0, 3}}, {0, 1}},
        {"tie from a hole goes to the earlier one", {{9, 0}, {0, 9}, {0, 0}}, {2, 0, 1}},
        {"same tie listed the other way", {{0, 9}, {9, 0}, {0, 0}}, {2, 0, 1}},
        {"two holes with the same centre follow each other", {{3, 3}, {0, 0}, {3, 3}, {8, 8}}, {1, 0, 2, 3}},
        {"single hole", {{4, 4}}, {0}},
        {"empty list", {}, {}},
        {"greedy, not optimal", {{0, 0}, {1, 0}, {-1.5, 0}, {2.1, 0}}, {0, 1, 3, 2}},
        {"far beyond the start value is never chosen", {{0, 0}, {3e9, 0}}, {0}},
        {"not a number never wins", {{NAN, 0}, {1, 1}, {10, 1}}, {1, 2}},
        {"not even in Y alone, among enough holes for a tree",
         {{0, NAN}, {5, 9}, {1, 1}, {9, 9}, {2, 5}, {8, 1}, {3, 3}, {7, 7}, {4, 0}, {6, 2}}, {2, 6, 4, 1, 7, 3, 9, 5, 8}},
    };
    for (const tour_case &c : cases) {
        for (bool reference : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (reference ? ", reference" : ", indexed"));
            d_list *root = holes_at(c.holes, reference);
            EXPECT_EQ(tour(root), c.order);
            d_list_free(root);
        }
    }
}

/* Checks each step of the tour independently: the earliest undrilled hole at the smallest distance. */
void expect_greedy_tour(const std::vector<point> &centres, bool reference)
{
    d_list *root = holes_at(centres, reference);
    std::vector<int> order = tour(root);
    d_list_free(root);
    ASSERT_EQ(order.size(), centres.size());
    std::vector<bool> seen(centres.size(), false);
    for (size_t k = 0; k < order.size(); k++) {
        ASSERT_FALSE(seen[order[k]]) << "hole " << order[k] << " emitted twice";
        int expected = -1;
        double best = 0;
        for (size_t j = 0; j < centres.size(); j++) {
            if (seen[j])
                continue;
            const point &from = k == 0 ? point{0, 0} : centres[order[k - 1]];
            double dx = centres[j].x - from.x, dy = centres[j].y - from.y;
            double d = std::sqrt(dx * dx + dy * dy);
            if (expected < 0 || d < best) {
                expected = (int)j;
                best = d;
            }
        }
        EXPECT_EQ(order[k], expected) << "step " << k;
        seen[order[k]] = true;
    }
}

TEST(order, every_hole_once_each_step_to_the_nearest_undrilled)
{
    /* A scattered, deterministic board with repeated centres and equal spacings. */
    std::vector<point> centres;
    for (int i = 0; i < 120; i++)
        centres.push_back({(double)((i * 37) % 23), (double)((i * 11) % 17) * 0.5});
    for (bool reference : {true, false}) {
        SCOPED_TRACE(reference ? "reference" : "indexed");
        expect_greedy_tour(centres, reference);
    }
}

TEST(order, distance_tables_hold_every_other_hole_in_list_order)
{
    d_list *root = holes_at({{0, 0}, {3, 4}, {6, 0}});
    for (int round = 0; round < 2; round++) {   /* a second run rebuilds the tables */
        compute_distances(root);
        const double expected[3][2] = {{5, 6}, {5, 5}, {6, 5}};
        for (int i = 0; i < 3; i++) {
            bore *a = (bore *)d_list_get_idx_node(root, i)->data;
            ASSERT_NE(distances_of(a), nullptr);
            ASSERT_EQ(distances_of(a)->count, 2);
            for (int k = 0; k < 2; k++) {
                const dist *dt = (const dist *)d_list_get_idx_node(distances_of(a), k)->data;
                EXPECT_EQ(index_of(root, dt->bore), k < i ? k : k + 1);
                EXPECT_DOUBLE_EQ(dt->distance, expected[i][k]);
            }
        }
    }
    d_list_free(root);
}

TEST(order, single_hole_gets_an_empty_table)
{
    d_list *root = holes_at({{2, 2}});
    bore *first = compute_distances(root);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(distances_of(first), nullptr);
    EXPECT_EQ(distances_of(first)->count, 0);
    EXPECT_EQ(get_nearest_bore(first), nullptr);
    d_list_free(root);
}

TEST(order, table_and_tour_cost_grow_with_the_square)
{
    const int n = 300;
    std::vector<point> centres;
    for (int i = 0; i < n; i++)
        centres.push_back({(double)(i % 20), (double)(i / 20)});
    d_list *root = holes_at(centres);
    long before = d_list_walk_steps;
    EXPECT_EQ(tour(root).size(), (size_t)n);
    /* n^2 table lookups plus n tour scans of n-1 entries, one step each */
    EXPECT_LT(d_list_walk_steps - before, 3L * n * n);
    d_list_free(root);
}

}  // namespace
