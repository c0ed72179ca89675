/* bit_plan.cpp - tours over the bits of an Excellon job. */
#include "holes/bit_plan.h"

#include <algorithm>
#include <cstdint>
#include <new>

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

/* A slot hit's position, -0.0 as 0.0, and its number among the bit's slot hits. */
struct numbered_hit {
    double x, y;
    int32_t at;
};

bool before(const numbered_hit &a, const numbered_hit &b) { return a.x != b.x ? a.x < b.x : a.y < b.y; }

/* Numbers the places of the bit's hits, shared by equal positions: hole i
 * is place i (the holes are each once already), and place[k] is that of
 * the slots' hit k, counted over the slots in order. Returns how many
 * places. Only the few slot hits are sorted; each hole looks itself up
 * among them. */
long number_places(const excellon_bit &bit, std::vector<int32_t> &place)
{
    std::vector<numbered_hit> hits;
    for (const excellon_slot &slot : bit.slots)
        for (excellon_point p : slot.hits)
            hits.push_back({p.x + 0.0, p.y + 0.0, (int32_t)hits.size()});
    /* Past 32-bit numbers the hits alone would take tens of GiB. */
    if (bit.holes.size() + hits.size() > (size_t)INT32_MAX)
        throw std::bad_alloc();
    std::sort(hits.begin(), hits.end(), before);
    std::vector<int32_t> group(hits.size()), group_place;   /* the run of equal positions of each hit */
    for (size_t k = 0; k < hits.size(); k++) {
        if (k == 0 || before(hits[k - 1], hits[k]))
            group_place.push_back(-1);
        group[k] = (int32_t)group_place.size() - 1;
    }
    for (size_t i = 0; i < bit.holes.size(); i++) {
        numbered_hit hole{bit.holes[i].x + 0.0, bit.holes[i].y + 0.0, 0};
        auto found = std::lower_bound(hits.begin(), hits.end(), hole, before);
        if (found != hits.end() && !before(hole, *found))
            group_place[group[found - hits.begin()]] = (int32_t)i;
    }
    int32_t places = (int32_t)bit.holes.size();
    for (int32_t &at : group_place)
        if (at < 0)
            at = places++;
    place.resize(hits.size());
    for (size_t k = 0; k < hits.size(); k++)
        place[hits[k].at] = group_place[group[k]];
    return places;
}

/* A hit of the plan's bit at place `at`, already moved onto the corner,
 * unless that place is drilled already. */
void take_hit(bit_plan &plan, int32_t at, excellon_point p)
{
    if (!plan.drilled.empty()) {
        char &drilled = plan.drilled[at];
        if (drilled)
            return;
        drilled = 1;
    }
    plan.hits.push_back(p);
}

/* The tour's stops released, if laid out. */
void drop_stops(bit_plan &plan)
{
    if (plan.stops != nullptr)
        d_list_free(plan.stops);
    plan.stops = nullptr;
    plan.slot_ends.clear();
}

}  // namespace

std::vector<bit_plan> plan_bits(const excellon_job &job, double x_offset, double y_offset)
{
    const corner_move move = job_corner(job, x_offset, y_offset);
    std::vector<bit_plan> plans;
    plans.reserve(job.bits.size());
    for (const excellon_bit &bit : job.bits) {
        plans.push_back(bit_plan{&bit, nullptr, {}, move, (long)bit.holes.size(), {}, {}, {}, {}});
        bit_plan &plan = plans.back();
        if (bit.slots.empty())
            continue;   /* its holes are each once already */
        int32_t at = 0;
        for (const excellon_slot &slot : bit.slots) {
            plan.first_hit.push_back(at);
            at += (int32_t)slot.hits.size();
        }
        plan.plunges = number_places(bit, plan.place);
    }
    return plans;
}

void free_bit_plans(std::vector<bit_plan> &plans)
{
    for (bit_plan &plan : plans)
        drop_stops(plan);
    plans.clear();
}

bore *bit_tour_start(bit_plan &plan)
{
    const excellon_bit &bit = *plan.bit;
    drop_stops(plan);
    plan.stops = new_bores();
    for (excellon_point p : bit.holes)
        add_stop(plan.stops, moved(plan.move, p));
    for (const excellon_slot &slot : bit.slots) {
        plan.slot_ends.push_back(add_stop(plan.stops, moved(plan.move, slot.from)));
        plan.slot_ends.push_back(add_stop(plan.stops, moved(plan.move, slot.to)));
    }
    plan.drilled.assign(bit.slots.empty() ? 0 : (size_t)plan.plunges, 0);
    return tour_start(plan.stops);
}

bore *bit_tour_next(bit_plan &plan, bore *stop)
{
    bore *next = tour_next(plan.stops, stop);
    if (next == nullptr)
        drop_stops(plan);
    return next;
}

const std::vector<excellon_point> &stop_hits(bit_plan &plan, bore *stop)
{
    stop->drilled = 1;
    const excellon_bit &bit = *plan.bit;
    const int32_t holes = (int32_t)bit.holes.size();
    plan.hits.clear();
    if (stop->ordinal < holes) {
        take_hit(plan, stop->ordinal, {stop->x, stop->y});
        return plan.hits;
    }
    const int32_t end = stop->ordinal - holes;
    plan.slot_ends[end ^ 1]->drilled = 1;
    const excellon_slot &slot = bit.slots[end / 2];
    /* Entered at `to`: that end first, then `from`; the midpoints stay as they are. */
    const bool at_to = end % 2 == 1 && slot.hits.size() >= 2 && !(slot.from.x == slot.to.x && slot.from.y == slot.to.y);
    for (size_t k = 0; k < slot.hits.size(); k++) {
        size_t hit = at_to && k < 2 ? 1 - k : k;
        take_hit(plan, plan.place[(size_t)plan.first_hit[end / 2] + hit], moved(plan.move, slot.hits[hit]));
    }
    return plan.hits;
}

long bit_hits(const excellon_bit &bit)
{
    if (bit.slots.empty())
        return (long)bit.holes.size();   /* each position once already */
    std::vector<int32_t> place;
    return number_places(bit, place);
}
