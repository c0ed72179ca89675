#include "accept_cases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "app/bit_set.h"
#include "reading/excellon.h"
#include "test_support.h"

std::vector<std::string> options(const settings &s)
{
    std::vector<std::string> args = {
        "-m", s.inch ? "coll" : "mm", "-f", s.left ? "bal" : "jobb", "-p", std::to_string(s.speed),
        "-e", std::to_string(s.feed), "-a", std::to_string(s.safe), "-h", std::to_string(s.depth),
        "-x", std::to_string(s.x), "-y", std::to_string(s.y)};
    if (s.warmup > 0)
        args.insert(args.end(), {"-w", std::to_string(s.warmup)});
    if (*s.bits)
        args.insert(args.end(), {"-b", s.bits});
    if (*s.mirror)
        args.insert(args.end(), {"-k", s.mirror});
    return args;
}

const std::map<std::string, std::size_t> example_holes = {{"board", 7}, {"outlines", 4}, {"scaled", 5}, {"metric", 5}};

std::vector<std::string> golden_names()
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(std::string(TESTS_DIR) + "/golden"))
        if (entry.path().extension() == ".tap")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

settings golden_settings(const std::string &name)
{
    std::vector<std::string> parts;
    std::istringstream in(name);
    for (std::string part; std::getline(in, part, '.');)
        parts.push_back(part);
    settings s;
    if (parts.size() < 3) {
        ADD_FAILURE() << "no unit and direction in " << name;
        return s;
    }
    s.inch = parts[1] == "coll";
    s.left = parts[2] == "bal";
    for (size_t i = 3; i < parts.size(); ++i) {
        const char *value = parts[i].c_str() + 1;
        switch (parts[i][0]) {
        case 'p': s.speed = std::stoi(value); break;
        case 'e': s.feed = std::stoi(value); break;
        case 'a': s.safe = std::stoi(value); break;
        case 'h': s.depth = std::stoi(value); break;
        case 'x': std::sscanf(value, "%dy%d", &s.x, &s.y); break;
        default: ADD_FAILURE() << "unknown setting " << parts[i];
        }
    }
    return s;
}

std::string dots_to_underscores(std::string name)
{
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
}

const std::vector<generated_case> generated_cases = {
    {"thousand_flashes_mm", {1000, hole_shape::flash, board_unit::mm, 1}, {}},
    {"thousand_mixed_inch_left", {1000, hole_shape::mix, board_unit::inch, 2},
     {true, true, 24000, 1000, 10, 10, 0, 0}},
    {"mm_board_in_mm_far_corner", {60, hole_shape::outline16, board_unit::mm, 3},
     {false, false, 30000, 1, 1, 1, 1000, 250}},
    {"inch_board_in_inch_corner", {60, hole_shape::flash, board_unit::inch, 4},
     {true, false, 1, 250, 5, 3, 17, 999}},
    {"inch_board_in_mm_left_corner", {60, hole_shape::outline4, board_unit::inch, 5},
     {false, true, 12000, 600, 3, 4, 5, 7}},
    {"mm_board_in_inch_left_corner", {60, hole_shape::mix, board_unit::mm, 6},
     {true, true, 8000, 300, 2, 2, 40, 3}},
};

const std::vector<drill_case> drill_cases = {
    {"kicad7_slots_pause", "kicad7-metric-routed-slots.drl", "szünet", {}},
    {"kicad7_slots_m6_inch_left", "kicad7-metric-routed-slots.drl", "m6", {true, true, 24000, 1000, 10, 10, 0, 0}},
    {"altium_eleven_bits_m6_corner", "altium-metric-lz-round-holes.TXT", "m6", {false, false, 12000, 600, 3, 4, 5, 7}},
    {"protel_inch_pause_in_inch", "protel-dxp2005-inch-lz.TXT", "szünet", {true, false, 8000, 300, 2, 2, 40, 3}},
};

const std::vector<generated_case> machine_board_cases = {
    {"mirror_x_run_up", {60, hole_shape::mix, board_unit::mm, 7}, {false, false, 12000, 400, 2, 2, 5, 5, 1.5, "", "x"}},
    /* -b is checked and changes nothing for a Gerber file */
    {"mirror_y_run_up_inch_left", {60, hole_shape::flash, board_unit::inch, 8},
     {true, true, 8000, 300, 3, 2, 0, 0, 2, "0.8", "y"}},
};

/* Nine sizes of an inch file on five bits, eleven on eight. */
const std::vector<drill_case> machine_drill_cases = {
    {"pads_five_bits_at_hand_mirror_x_run_up_inch", "pads-inch-no-header.drl", "szünet",
     {true, false, 20000, 500, 2, 2, 10, 20, 1.5, "0.4,0.8,1.0,1.7,3.0", "x"}},
    {"altium_eight_bits_at_hand_m6_mirror_y_run_up_left", "altium-metric-lz-round-holes.TXT", "m6",
     {false, true, 12000, 600, 3, 4, 5, 7, 2, "0.2,0.4,0.9,1.0,1.3,1.9,2.4,3.0", "y"}},
    {"kicad7_slots_mirror_y_run_up", "kicad7-metric-routed-slots.drl", "szünet", {false, false, 9000, 300, 2, 2, 0, 0, 0.5, "", "y"}},
};

std::string drill_corpus_file(const std::string &name) { return std::string(EXCELLON_CORPUS_DIR) + "/" + name; }

/* The bits of the set in a list such as "0.6,0.8,1.0". */
static std::vector<double> bit_list(const std::string &bits)
{
    std::vector<double> set;
    std::istringstream in(bits);
    for (std::string size; std::getline(in, size, ',');)
        set.push_back(std::stod(size));
    return set;
}

job_size drill_job_size(const std::string &path, const std::string &bits)
{
    int fd = open(path.c_str(), O_RDONLY);
    excellon_job job = read_excellon(fd, {0, 0});
    close(fd);
    const std::vector<double> set = bit_list(bits);
    std::map<double, std::set<std::pair<double, double>>> places;  /* every plunge of each bit */
    for (const excellon_bit &bit : job.bits) {
        auto &at = places[set.empty() ? bit.diameter : nearest_bit(set, bit.diameter)];
        for (const excellon_point &p : bit.holes)
            at.insert({p.x, p.y});
        for (const excellon_slot &slot : bit.slots)
            for (const excellon_point &p : slot.hits)
                at.insert({p.x, p.y});
    }
    job_size size;
    size.bits = places.size();
    for (const auto &bit : places)
        size.hits += bit.second.size();
    return size;
}
