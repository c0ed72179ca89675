/* bit_plan_test.cpp - the tour over a drill bit drills each of its positions
 * once, whichever holes and slot hits share it. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <utility>

#include "holes/bit_plan.h"

namespace {

typedef std::pair<double, double> position;   /* -0.0 as 0.0 */

/* Bits on a grid of four values a side, so that slot hits fall on holes
 * (a slot's end drilled earlier by a hole), on hits of other slots, and on
 * 0.0 written as -0.0; the holes are each once, as the reader leaves them. */
TEST(BitPlan, EveryPositionOfABitIsDrilledOnce)
{
    std::mt19937 random(3);
    auto point = [&random]() {
        double xy[2];
        for (double &v : xy)
            v = random() % 5 == 0 ? (random() % 2 ? -0.0 : 0.0) : (double)(random() % 4) - 1.0;
        return excellon_point{xy[0], xy[1]};
    };
    auto key = [](excellon_point p) { return std::make_pair(p.x + 0.0, p.y + 0.0); };
    for (int round = 0; round < 400; round++) {
        SCOPED_TRACE(round);
        excellon_job job;
        job.bits = {excellon_bit{1.0, {1}, {}, {}}};
        excellon_bit &bit = job.bits[0];
        std::set<position> all, holes;   /* as in the file */
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
            for (excellon_point p : slot.hits)
                all.insert(key(p));
        }
        all.insert(holes.begin(), holes.end());

        double min_x = all.begin()->first, min_y = INFINITY;
        for (auto p : all)
            min_y = std::min(min_y, p.second);

        std::vector<bit_plan> plans = plan_bits(job, 0.0, 0.0);
        std::multiset<position> drilled;   /* moved back off the corner */
        size_t stops = 0;
        for (bore *stop = bit_tour_start(plans[0]); stop != nullptr; stop = bit_tour_next(plans[0], stop), stops++)
            for (excellon_point p : stop_hits(plans[0], stop))
                drilled.insert(key({p.x + min_x, p.y + min_y}));
        EXPECT_EQ(std::set<position>(drilled.begin(), drilled.end()), all) << "a position left out";
        EXPECT_EQ(drilled.size(), all.size()) << "a position drilled twice";
        EXPECT_EQ(plans[0].plunges, (long)all.size());
        EXPECT_EQ(bit_hits(bit), (long)all.size());
        EXPECT_EQ(stops, bit.holes.size() + bit.slots.size()) << "a slot's other end stays in the tour";
        free_bit_plans(plans);
    }
}

}  // namespace
