/* bit_set.cpp - the file's sizes on the bits at hand. */
#include "app/bit_set.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>

#include "system/console_text.h"
#include "system/tools.h"
#include "writing/gcode_writer.h"

/* Sizes closer than this are equal: 0.7 lies as far from 0.6 as from 0.8. */
static const double SAME_MM = 1e-9;

double nearest_bit(const std::vector<double> &set, double size)
{
    double best = set.front();
    for (double bit : set) {
        const double distance = std::fabs(bit - size), best_distance = std::fabs(best - size);
        if (distance < best_distance - SAME_MM || (distance <= best_distance + SAME_MM && bit > best))
            best = bit;
    }
    return best;
}

bool bit_fits(double bit, double size)
{
    return std::fabs(bit - size) <= std::max(0.1, 0.1 * size) + SAME_MM;
}

/* `from` drilled with `into`'s bit too: its tools, its holes not yet there, its slots. */
static void merge_bit(excellon_bit &into, const excellon_bit &from, std::set<std::pair<double, double>> &places)
{
    into.tools.insert(into.tools.end(), from.tools.begin(), from.tools.end());
    std::sort(into.tools.begin(), into.tools.end());
    into.tools.erase(std::unique(into.tools.begin(), into.tools.end()), into.tools.end());
    for (excellon_point p : from.holes)
        if (places.insert({p.x, p.y}).second)
            into.holes.push_back(p);
    into.slots.insert(into.slots.end(), from.slots.begin(), from.slots.end());
}

std::vector<std::vector<double>> fit_bit_set(excellon_job &job, const std::vector<double> &set)
{
    /* The mapping keeps the order of sizes, so the sizes of one bit follow each other. */
    std::vector<excellon_bit> bits;
    std::vector<std::vector<double>> sizes;
    std::set<std::pair<double, double>> places;  /* the holes of the latest bit */
    for (const excellon_bit &bit : job.bits) {
        const double chosen = nearest_bit(set, bit.diameter);
        if (!bit_fits(chosen, bit.diameter))
            fatal_error("Ehhez a mérethez nincs fúró a készletben: %s mm; a legközelebbi, %s mm, túl messze van.\n",
                        diameter_text(bit.diameter).c_str(), diameter_text(chosen).c_str());
        if (bits.empty() || bits.back().diameter != chosen) {
            bits.push_back({chosen, {}, {}, {}});
            sizes.emplace_back();
            places.clear();
        }
        merge_bit(bits.back(), bit, places);
        sizes.back().push_back(bit.diameter);
    }
    job.bits = bits;
    return sizes;
}

void print_bit_set(const excellon_job &job, const std::vector<std::vector<double>> &sizes)
{
    for (size_t k = 0; k < job.bits.size(); k++) {
        std::string list;
        for (double size : sizes[k])
            list += (list.empty() ? "" : ", ") + diameter_text(size);
        print_text(stdout, "Fúrókészlet: %s mm-es fúróval: %s mm\n", diameter_text(job.bits[k].diameter).c_str(),
                   list.c_str());
    }
}
