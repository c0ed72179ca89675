/* bit_plan_test.cpp - the tours over a drill job's bits: every position of
 * a bit drilled exactly once, whichever holes and slot hits share it. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "holes/bit_plan.h"

namespace {

typedef std::pair<double, double> position;

/* -0.0 is 0.0, as == sees them. */
position key(excellon_point p) { return {p.x + 0.0, p.y + 0.0}; }

/* A bit of a few holes and slots on a small grid, so that slot hits fall on
 * holes (a slot's end drilled earlier by a hole), on each other's hits in
 * other slots, and on 0.0 written as -0.0. Its holes are each once, as the
 * reader leaves them. */
excellon_bit random_bit(std::mt19937 &random)
{
    auto coordinate = [&random]() {
        int v = (int)(random() % 5) - 1;
        return v == 0 && random() % 2 ? -0.0 : (double)v;
    };
    auto point = [&]() { return excellon_point{coordinate(), coordinate()}; };
    excellon_bit bit{1.0, {1}, {}, {}};
    std::set<position> holes;
    for (int k = (int)(random() % 12); k > 0; k--) {
        excellon_point p = point();
        if (holes.insert(key(p)).second)
            bit.holes.push_back(p);
    }
    for (int k = (int)(random() % 5) + 1; k > 0; k--) {
        excellon_slot slot{point(), point(), {}};
        slot.hits = {slot.from, slot.to};
        for (int m = (int)(random() % 4); m > 0; m--)
            slot.hits.push_back(point());
        bit.slots.push_back(slot);
    }
    return bit;
}

/* The hits of each stop of the plan's tour, in order, and how many stops it made. */
std::vector<excellon_point> tour_hits(bit_plan &plan, int *stops)
{
    std::vector<excellon_point> hits;
    *stops = 0;
    for (bore *stop = bit_tour_start(plan); stop != nullptr; stop = bit_tour_next(plan, stop)) {
        ++*stops;
        const std::vector<excellon_point> &at = stop_hits(plan, stop);
        hits.insert(hits.end(), at.begin(), at.end());
    }
    return hits;
}

TEST(BitPlan, EveryPositionOfABitIsDrilledOnce)
{
    std::mt19937 random(3);
    for (int round = 0; round < 400; round++) {
        excellon_job job;
        job.bits = {random_bit(random)};
        const excellon_bit &bit = job.bits[0];
        std::vector<bit_plan> plans = plan_bits(job, 0.0, 0.0);
        bit_plan &plan = plans.at(0);

        std::vector<excellon_point> hits = bit.holes;
        for (const excellon_slot &slot : bit.slots)
            hits.insert(hits.end(), slot.hits.begin(), slot.hits.end());
        double min_x = INFINITY, min_y = INFINITY;
        for (excellon_point p : hits)
            min_x = std::min(min_x, p.x), min_y = std::min(min_y, p.y);
        std::set<position> all;   /* every hit, moved onto the corner */
        for (excellon_point p : hits)
            all.insert(key({p.x - min_x, p.y - min_y}));
        int stops;
        std::vector<excellon_point> drilled = tour_hits(plan, &stops);
        std::multiset<position> seen;
        for (excellon_point p : drilled)
            seen.insert(key(p));

        SCOPED_TRACE(round);
        EXPECT_EQ(std::set<position>(seen.begin(), seen.end()), all);
        EXPECT_EQ(seen.size(), all.size()) << "a position drilled twice";
        EXPECT_EQ(plan.plunges, (long)all.size());
        EXPECT_EQ(bit_hits(bit), (long)all.size());
        EXPECT_EQ(stops, (int)(bit.holes.size() + bit.slots.size())) << "a slot's other end stays in the tour";
        free_bit_plans(plans);
    }
}

}  // namespace
