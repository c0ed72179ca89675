/* excellon_fuzz.cpp - detection and the Excellon reader on arbitrary bytes.
 *
 * Each input is written to a scratch file, detected, and read with no
 * number format given, or with 2.3 or 3.5 (chosen by the input's length, so
 * that the corpus seeds keep their bytes). The reading must end with a job or
 * with a diagnostic; a job must keep the reader's promises: bits in
 * ascending diameter, each tool in one bit, every position once per bit and
 * within reach, every slot's hits on it with its ends first, and no more hits
 * than the fuzz runs' limit. */
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fcntl.h>
#include <set>
#include <vector>
#include <unistd.h>

#include "holes/bit_plan.h"
#include "reading/excellon.h"
#include "harness.h"
#include "system/tools.h"

namespace {

struct reader_exit {
    int status;
};

void throw_exit(int status) { throw reader_exit{status}; }

bool within_reach(excellon_point p) { return std::fabs(p.x) <= 1.0e6 && std::fabs(p.y) <= 1.0e6; }

bool same(excellon_point a, excellon_point b) { return a.x == b.x && a.y == b.y; }

void check_slot(const excellon_slot &s)
{
    if (s.hits.empty() || !same(s.hits[0], s.from))
        broken_promise("a slot's first hit is not its start");
    if (!same(s.from, s.to) && (s.hits.size() < 2 || !same(s.hits[1], s.to)))
        broken_promise("a slot's second hit is not its end");
    if (s.hits.size() > SLOT_MAX_DIVISIONS + 1)
        broken_promise("a slot with too many hits", std::to_string(s.hits.size()));
    for (excellon_point p : s.hits)
        if (!within_reach(p))
            broken_promise("a slot hit out of reach");
}

void check_job(const excellon_job &job)
{
    if (job.bits.empty() || job.format.empty())
        broken_promise("a job without bits or without its description");
    std::set<int> tools;
    double previous = 0.0;
    size_t hits = 0;
    for (const excellon_bit &bit : job.bits) {
        if (!(bit.diameter > previous) || !std::isfinite(bit.diameter))
            broken_promise("bits not in ascending diameter", std::to_string(bit.diameter));
        previous = bit.diameter;
        if (bit.tools.empty() || (bit.holes.empty() && bit.slots.empty()))
            broken_promise("a bit without tools or without holes");
        for (int t : bit.tools)
            if (!tools.insert(t).second)
                broken_promise("a tool in two bits", std::to_string(t));
        std::vector<std::pair<double, double>> seen;
        for (excellon_point p : bit.holes) {
            if (!within_reach(p))
                broken_promise("a hole out of reach");
            seen.push_back({p.x, p.y});
        }
        std::sort(seen.begin(), seen.end());
        if (std::adjacent_find(seen.begin(), seen.end()) != seen.end())
            broken_promise("a position drilled twice by one bit");
        size_t all_hits = bit.holes.size();
        for (const excellon_slot &s : bit.slots) {
            check_slot(s);
            all_hits += s.hits.size();
        }
        const long plunges = bit_hits(bit);
        if (plunges < (long)bit.holes.size() || plunges > (long)all_hits)
            broken_promise("plunges not between the holes and all hits", std::to_string(plunges));
        hits += all_hits;
    }
    if (hits > (size_t)FUZZ_HIT_LIMIT)
        broken_promise("more hits than the limit", std::to_string(hits));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string input = scratch_dir() + "/in.drl";
    static const excellon_digits formats[] = {{0, 0}, {2, 3}, {3, 5}};
    excellon_hit_limit = FUZZ_HIT_LIMIT;

    write_whole_file(input, data, size);
    int fd = open(input.c_str(), O_RDONLY);
    if (fd < 0)
        broken_promise("cannot open the scratch file");
    is_excellon(fd);
    if (lseek(fd, 0, SEEK_CUR) != 0)
        broken_promise("detection left the file unrewound");

    fatal_handler_fn previous = set_fatal_handler(throw_exit);
    try {
        check_job(read_excellon(fd, formats[size % 3]));
    } catch (const reader_exit &exit) {
        if (exit.status != 1)
            broken_promise("a diagnostic with a status other than 1", std::to_string(exit.status));
    }
    set_fatal_handler(previous);
    close(fd);
    return 0;
}
