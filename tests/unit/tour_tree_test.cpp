/* tour_tree_test.cpp - the tour's tree against a plain scan with the same
 * distance expression, on boards made for ties and odd scales, with holes
 * drilled behind the tree's back and searches from anywhere. */
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "holes/bore.h"
#include "holes/tour_tree.h"
#include "test_support.h"

namespace {

/* The undrilled hole nearest (x, y) other than `from`, ties to the earlier in list order. */
bore *nearest_by_scan(const std::vector<bore *> &holes, double x, double y, const bore *from)
{
    double best = FAR_AWAY;
    bore *found = nullptr;
    for (bore *hole : holes) {
        double dx = hole->x - x, dy = hole->y - y, distance = std::sqrt(dx * dx + dy * dy);
        if (hole != from && hole->drilled == 0 && distance < best)
            best = distance, found = hole;
    }
    return found;
}

std::uniform_int_distribution<int> pick(int low, int high) { return std::uniform_int_distribution<int>(low, high); }

TEST(tour_tree, answers_as_a_scan_whatever_is_drilled_and_wherever_it_searches_from)
{
    const struct {
        const char *name;
        int holes;
        std::function<double(std::mt19937 &)> coordinate;
    } cases[] = {
        {"few values: ties, shared centres", 3000, [](std::mt19937 &r) { return 2.54 * pick(0, 12)(r); }},
        {"every hole on one centre", 200, [](std::mt19937 &) { return 7.0; }},
        {"one leaf", 30, [](std::mt19937 &r) { return 0.5 * pick(0, 4)(r); }},
        {"squares below the smallest double", 500, [](std::mt19937 &r) { return 1e-320 * pick(0, 40)(r); }},
        {"huge, some past the start value", 500, [](std::mt19937 &r) { return 3e8 * pick(0, 12)(r) + pick(0, 3)(r); }},
        {"clusters and stragglers", 3000,
         [](std::mt19937 &r) { return pick(0, 9)(r) == 0 ? 1e3 * pick(0, 100)(r) : 0.01 * pick(0, 50)(r); }},
    };
    for (const auto &c : cases) {
        for (uint32_t seed = 1; seed <= 3; seed++) {
            SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
            std::mt19937 rng(seed);
            d_list *root = new_hole_list(true);
            std::vector<bore *> holes;
            for (int i = 0; i < c.holes; i++) {
                holes.push_back(append_bore(root));
                holes.back()->x = c.coordinate(rng);
                holes.back()->y = c.coordinate(rng);
            }
            tour_tree *tree = tour_tree_new(root);
            /* Mostly the tour's own walk; now and then a hole drilled elsewhere or a search from
             * another hole, drilled or not, or from a point that is no hole. */
            bore *at = nullptr;
            for (int step = 0; step < 2 * c.holes; step++) {
                int event = pick(0, 9)(rng);
                if (event == 0)
                    holes[pick(0, c.holes - 1)(rng)]->drilled = 1;
                if (event == 1 || at == nullptr)
                    at = holes[pick(0, c.holes - 1)(rng)];
                double x = event == 2 ? c.coordinate(rng) : at->x, y = event == 2 ? c.coordinate(rng) : at->y;
                bore *expected = nearest_by_scan(holes, x, y, at);
                ASSERT_EQ(tour_tree_nearest(tree, x, y, at), expected) << "step " << step;
                if (expected == nullptr)
                    break;
                expected->drilled = event == 3 ? 0 : 1;  /* now and then searched from, left undrilled */
                at = expected;
            }
            tour_tree_free(tree);
            d_list_free(root);
        }
    }
}

}  // namespace
