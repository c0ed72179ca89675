/* bit_plan.cpp - tours over the bits of an Excellon job. */
#include "holes/bit_plan.h"

#include <algorithm>

namespace {

excellon_point moved(const corner_move &m, excellon_point p)
{
    /* The same expression as normalize_coords, so that a Gerber file of the
     * same holes gives the same program. */
    return {(p.x - m.min_x) + m.x_offset, (p.y - m.min_y) + m.y_offset};
}

corner_move job_corner(const excellon_job &job, double x_offset, double y_offset)
{
    corner_move m{FAR_AWAY, FAR_AWAY, x_offset, y_offset};
    auto take = [&m](excellon_point p) {
        if (p.x < m.min_x) m.min_x = p.x;
        if (p.y < m.min_y) m.min_y = p.y;
    };
    for (const excellon_bit &bit : job.bits) {
        for (excellon_point p : bit.holes)
            take(p);
        for (const excellon_slot &slot : bit.slots)
            for (excellon_point p : slot.hits)
                take(p);
    }
    return m;
}

bore *add_stop(d_list *stops, excellon_point at)
{
    bore *stop = append_bore(stops);
    stop->x = at.x;
    stop->y = at.y;
    return stop;
}

}  // namespace

std::vector<bit_plan> plan_bits(const excellon_job &job, double x_offset, double y_offset)
{
    const corner_move move = job_corner(job, x_offset, y_offset);
    std::vector<bit_plan> plans;
    for (const excellon_bit &bit : job.bits) {
        bit_plan plan{&bit, new_bores(), {}, move, {}};
        for (excellon_point p : bit.holes)
            add_stop(plan.stops, moved(move, p));
        for (const excellon_slot &slot : bit.slots) {
            plan.slot_ends.push_back(add_stop(plan.stops, moved(move, slot.from)));
            plan.slot_ends.push_back(add_stop(plan.stops, moved(move, slot.to)));
        }
        plans.push_back(plan);
    }
    return plans;
}

void free_bit_plans(std::vector<bit_plan> &plans)
{
    for (bit_plan &plan : plans)
        d_list_free(plan.stops);
    plans.clear();
}

std::vector<excellon_point> stop_hits(bit_plan &plan, bore *stop)
{
    stop->drilled = 1;
    const excellon_bit &bit = *plan.bit;
    const int32_t holes = (int32_t)bit.holes.size();
    if (bit.slots.empty())
        return {moved(plan.move, bit.holes[stop->ordinal])};
    std::vector<excellon_point> in_file;
    if (stop->ordinal < holes) {
        in_file.push_back(bit.holes[stop->ordinal]);
    } else {
        const int32_t end = stop->ordinal - holes;
        plan.slot_ends[end ^ 1]->drilled = 1;
        const excellon_slot &slot = bit.slots[end / 2];
        in_file = slot.hits;
        /* Entered at `to`: that end first, then `from`; the midpoints stay as they are. */
        if (end % 2 == 1 && in_file.size() >= 2 && !(slot.from.x == slot.to.x && slot.from.y == slot.to.y))
            std::swap(in_file[0], in_file[1]);
    }
    std::vector<excellon_point> hits;
    for (excellon_point p : in_file)
        if (plan.drilled.insert({p.x + 0.0, p.y + 0.0}).second)   /* + 0.0: -0.0 is 0.0 */
            hits.push_back(moved(plan.move, p));
    return hits;
}

long bit_hits(const excellon_bit &bit)
{
    if (bit.slots.empty())
        return (long)bit.holes.size();   /* each position once already */
    std::vector<std::pair<double, double>> all;
    for (excellon_point p : bit.holes)
        all.emplace_back(p.x + 0.0, p.y + 0.0);
    for (const excellon_slot &slot : bit.slots)
        for (excellon_point p : slot.hits)
            all.emplace_back(p.x + 0.0, p.y + 0.0);
    std::sort(all.begin(), all.end());
    return (long)(std::unique(all.begin(), all.end()) - all.begin());
}
