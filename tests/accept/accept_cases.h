/* accept_cases.h - the programs that the machine controllers' checks (LinuxCNC's
 * rs274, GRBL) run: the golden programs, boards of the benchmarks' generator and
 * drill files of the shared corpus, with the settings each is converted with. */
#ifndef ACCEPT_CASES_H
#define ACCEPT_CASES_H

#include <cstddef>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "board.h"

/* A run's settings as drelvo takes them, in whole millimetres; the run-up in
 * seconds with at most one decimal, the bits at hand and the mirror as typed. */
struct settings {
    bool inch = false;
    bool left = false;
    int speed = 1000, feed = 400, safe = 2, depth = 2, x = 0, y = 0;
    double warmup = 0;
    const char *bits = "";    /* -b */
    const char *mirror = "";  /* -k */
};

/* The command-line options that give the settings. */
std::vector<std::string> options(const settings &s);

/* ---- the golden programs ---- */

/* Holes of the example boards, counted on the boards themselves. */
extern const std::map<std::string, std::size_t> example_holes;

/* Names of the golden programs, without ".tap", sorted. */
std::vector<std::string> golden_names();

/* The settings a golden program's name states: <board>.<mm|coll>.<jobb|bal>,
 * then p<speed>, e<feed>, a<safe height>, h<depth>, x<X>y<Y> where they differ
 * from the defaults. */
settings golden_settings(const std::string &name);

/* Test names may not hold dots. */
std::string dots_to_underscores(std::string name);

/* ---- boards of the generator, converted in the test ---- */

struct generated_case {
    const char *name;
    board_spec board;
    settings set;
};

inline void PrintTo(const generated_case &c, std::ostream *os) { *os << c.name; }

/* Both units from boards in both units, both directions, corner offsets up to
 * the limit, the extremes of speed, feed and heights, and 1,000 holes. */
extern const std::vector<generated_case> generated_cases;

/* ---- drill files of several bits ---- */

struct drill_case {
    const char *name;
    const char *file;    /* in the shared drill corpus */
    const char *style;   /* -t */
    settings set;
};

inline void PrintTo(const drill_case &c, std::ostream *os) { *os << c.name; }

/* Slots and many bits, with a pause or a tool change before each bit, in
 * both output units and with a corner offset. */
extern const std::vector<drill_case> drill_cases;

/* ---- made with the options that fit the job to the machine ---- */

/* The run-up, the bits at hand and the mirror, on boards and drill files. */
extern const std::vector<generated_case> machine_board_cases;
extern const std::vector<drill_case> machine_drill_cases;

/* Path of a file of the shared drill corpus. */
std::string drill_corpus_file(const std::string &name);

/* What a drill file asks for, on the bits at hand when `bits` lists them:
 * its bits (one per diameter) and every plunge, each position of its holes
 * and its slots' hits once a bit (-0.0 and 0.0 are one position). */
struct job_size {
    std::size_t bits = 0, hits = 0;
};
job_size drill_job_size(const std::string &path, const std::string &bits = "");

#endif
