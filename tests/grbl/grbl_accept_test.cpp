/* grbl_accept_test.cpp - the drilling programs as GRBL 1.1h, the firmware of
 * most hobby machines, takes them. GRBL's own line reader, parser, motion
 * gateway and spindle output, compiled for the host around a scripted sender
 * (grbl-host of the shared grbl-check folder, built into GRBL_BUILD_DIR by
 * CTest first), run each program line by line; the folder's judge.py checks
 * what GRBL answered and did against the options the program was made with:
 * every line answered ok, every X/Y move rapid at the safe (or change) height,
 * every plunge a straight feed move to the depth with the spindle on as set,
 * the pauses, the holes and the end. GRBL has no tool change: the T<k> M6 lines
 * of a -t m6 program are the only ones it may refuse, each with error 20. A
 * program made with a run-up (-w) must dwell after every spindle start.
 *
 * The folder's selftest.sh must catch its faulty variants of our programs, so
 * that a judge that lets everything through cannot pass. */
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "accept_cases.h"
#include "test_support.h"

#if !defined(GRBL_CHECK_DIR) || !defined(GRBL_BUILD_DIR) || !defined(PYTHON3)
#error "GRBL_CHECK_DIR must name the grbl-check folder, GRBL_BUILD_DIR where grbl-host is built, PYTHON3 python3"
#endif

namespace {

const std::string grbl_host = std::string(GRBL_BUILD_DIR) + "/grbl-host";

/* What judge.py expects: the options the program was made with. */
struct expectation {
    settings set;
    int change = 0;              /* -c, 0 for none */
    std::size_t pauses = 0;      /* one before every bit of a program of several */
    long holes = -1;             /* plunges; -1 leaves them uncounted */
    bool tool_changes = false;   /* -t m6: a T<k> M6 line before every pause */
};

std::vector<std::string> judge_options(const expectation &e)
{
    std::vector<std::string> args = {
        "--units", e.set.inch ? "in" : "mm",
        "--dir", e.set.left ? "ccw" : "cw", "--rpm", std::to_string(e.set.speed),
        "--feed", std::to_string(e.set.feed), "--safe", std::to_string(e.set.safe),
        "--depth", std::to_string(e.set.depth), "--pauses", std::to_string(e.pauses)};
    if (e.change)
        args.insert(args.end(), {"--change", std::to_string(e.change)});
    if (e.holes >= 0)
        args.insert(args.end(), {"--holes", std::to_string(e.holes)});
    return args;
}

/* A program to judge and what it must do. */
struct program_case {
    std::string label;   /* names it in the verdict */
    std::string path;
    expectation e;
};

struct judgement {
    std::string summary;                 /* judge.py's summary line */
    long plunges = 0;
    std::string findings;                /* one a line */
    std::size_t refused_tool_changes = 0;
};

/* GRBL has no M6, so it refuses a tool change with error 20 (unsupported command). */
const std::regex refused_tool_change(R"(  line \d+: error:20 \(\w+\) on 'T\d+ M6')");

/* What judge.py printed for one program: its summary line, then its findings. */
judgement read_judgement(const std::string &printed, const expectation &e)
{
    judgement j;
    std::istringstream lines(printed);
    std::getline(lines, j.summary);
    std::vector<std::string> columns;
    std::istringstream summary(j.summary);
    for (std::string column; std::getline(summary, column, '\t');)
        columns.push_back(column);
    if (columns.size() < 6) {
        j.findings = "no summary line from judge.py: " + printed;
        return j;
    }
    j.plunges = std::stol(columns[5]);
    for (std::string line; std::getline(lines, line);) {
        if (e.tool_changes && std::regex_match(line, refused_tool_change))
            ++j.refused_tool_changes;
        else
            j.findings += line + "\n";
    }
    testing::Test::RecordProperty(columns[0], j.summary);
    return j;
}

/* With a run-up, GRBL must have taken a G4 of that many seconds after every
 * spindle start, before any motion; without one, no G4 at all. The harness
 * parses a dwell but does not time it. Empty when so. */
std::string dwell_fault(const std::string &records, double warmup)
{
    std::istringstream lines(records);
    std::string pin = "off";
    bool due = false;
    int starts = 0, dwells = 0;
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            f.push_back(field);
        if (f.size() < 3)
            continue;
        if (f[0] == "S") {
            if (pin == "off" && f[2] != "off") {
                ++starts;
                due = warmup > 0;
            }
            pin = f[2];
        } else if (f[0] == "M" && due) {
            return "line " + f[1] + ": a move before the run-up dwell";
        } else if (f[0] == "L" && f.size() > 4 && f[4].rfind("G4", 0) == 0) {
            ++dwells;
            const std::size_t p = f[4].find('P');
            if (!due || f[3] != "0" || p == std::string::npos || std::stod(f[4].substr(p + 1)) != warmup)
                return "line " + f[1] + ": " + f[4] + " (status " + f[3] + ") is not the run-up dwell due";
            due = false;
        }
    }
    if (due || dwells != (warmup > 0 ? starts : 0))
        return std::to_string(dwells) + " run-up dwells for " + std::to_string(starts) + " spindle starts";
    return "";
}

/* Each program run through GRBL, its records kept in `scratch`, then all of them
 * judged in one Python process (starting Python costs more than judging a program). */
std::vector<judgement> judge_all(const std::vector<program_case> &programs, const temp_dir &scratch)
{
    std::string list;
    std::vector<std::string> dwell_faults;
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const std::string records = scratch.file(std::to_string(i) + ".records");
        run_result grbl = run_program({grbl_host, programs[i].path}, "", 60);
        EXPECT_EQ(grbl.status, 0) << grbl_host << " on " << programs[i].label << ": " << grbl.err;
        write_file(records, grbl.out);
        dwell_faults.push_back(dwell_fault(grbl.out, programs[i].e.set.warmup));
        std::vector<std::string> args = judge_options(programs[i].e);
        args.insert(args.end(), {"--label", programs[i].label, "--records", records, programs[i].path});
        for (const std::string &arg : args)
            list += arg + (&arg == &args.back() ? "\n" : "\t");
    }
    write_file(scratch.file("judge.list"), list);
    run_result r = run_program({PYTHON3, std::string(TESTS_DIR) + "/grbl/judge_each.py", GRBL_CHECK_DIR,
                                scratch.file("judge.list")},
                               "", 300);
    std::vector<std::string> printed;  /* each program's lines after its "== <status>" */
    std::istringstream out(r.out);
    for (std::string line; std::getline(out, line);) {
        if (line.rfind("== ", 0) == 0)
            printed.emplace_back();
        else if (!printed.empty())
            printed.back() += line + "\n";
    }
    EXPECT_EQ(printed.size(), programs.size()) << r.out << r.err;
    printed.resize(programs.size());
    std::vector<judgement> verdicts;
    for (std::size_t i = 0; i < programs.size(); ++i) {
        verdicts.push_back(read_judgement(printed[i], programs[i].e));
        if (!dwell_faults[i].empty())
            verdicts.back().findings += "  " + dwell_faults[i] + "\n";
    }
    return verdicts;
}

/* Judges the programs and expects no finding; gives their verdicts. */
std::vector<judgement> expect_accepted(const std::vector<program_case> &programs)
{
    temp_dir scratch;
    std::vector<judgement> verdicts = judge_all(programs, scratch);
    for (std::size_t i = 0; i < programs.size(); ++i) {
        EXPECT_EQ(verdicts[i].findings, "") << programs[i].label << "\n" << verdicts[i].summary;
        if (programs[i].e.tool_changes) {
            EXPECT_EQ(verdicts[i].refused_tool_changes, programs[i].e.pauses)
                << programs[i].label << ": each T<k> M6 line, and only those, gives error 20";
        }
    }
    return verdicts;
}

/* Converts `input` in `dir` with the settings and further options; status 0 expected. */
void convert(const temp_dir &dir, const std::string &input, const settings &set,
             const std::vector<std::string> &more = {})
{
    std::vector<std::string> args = options(set);
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(input);
    run_result r = run_drelvo(args, dir.path, 60);
    EXPECT_EQ(r.status, 0) << input << ": " << r.out << r.err;
}

std::size_t board_holes(const std::string &board)
{
    auto holes = example_holes.find(board);
    if (holes == example_holes.end()) {
        ADD_FAILURE() << "no hole count for the board " << board;
        return 0;
    }
    return holes->second;
}

std::string settings_label(const settings &s)
{
    return std::string(s.inch ? "coll" : "mm") + (s.left ? ".bal" : ".jobb") + ".x" + std::to_string(s.x) + "y" +
           std::to_string(s.y);
}

/* ---- the golden programs, the example boards and generated boards ---- */

TEST(grbl, drills_every_golden_program_as_set)
{
    std::vector<program_case> programs;
    for (const std::string &name : golden_names()) {
        expectation e{golden_settings(name)};
        e.holes = board_holes(name.substr(0, name.find('.')));
        programs.push_back({name, std::string(TESTS_DIR) + "/golden/" + name + ".tap", e});
    }
    expect_accepted(programs);
}

TEST(grbl, drills_the_example_boards_in_both_units_and_directions_with_corner_offsets)
{
    const int corners[4][2] = {{0, 0}, {12, 3}, {250, 40}, {1000, 1000}};
    temp_dir dir;
    std::vector<program_case> programs;
    for (const auto &board : example_holes)
        for (int k = 0; k < 4; ++k) {
            expectation e;
            e.set.inch = k & 1;
            e.set.left = k & 2;
            e.set.x = corners[k][0];
            e.set.y = corners[k][1];
            e.holes = board.second;
            const std::string label = board.first + "." + settings_label(e.set), input = label + ".gbr";
            write_file(dir.file(input), read_file(std::string(EXAMPLES_DIR) + "/" + board.first + ".gbr"));
            convert(dir, input, e.set);
            programs.push_back({label, dir.file(input + ".tap"), e});
        }
    expect_accepted(programs);
}

TEST(grbl, drills_the_generated_boards_as_set_also_mirrored_with_a_run_up)
{
    temp_dir dir;
    std::vector<program_case> programs;
    std::vector<generated_case> cases = generated_cases;
    cases.insert(cases.end(), machine_board_cases.begin(), machine_board_cases.end());
    for (const generated_case &c : cases) {
        const std::string input = std::string(c.name) + ".gbr";
        write_file(dir.file(input), gerber_board(c.board));
        convert(dir, input, c.set);
        expectation e{c.set};
        e.holes = c.board.holes;
        programs.push_back({c.name, dir.file(input + ".tap"), e});
    }
    expect_accepted(programs);
}

/* ---- drill files of several bits, in every bit-change style ---- */

struct grbl_drill_case {
    drill_case drill;
    int change;   /* -c, 0 for none */
};

/* The rs274 check's drill files, also on the bits at hand, mirrored and with a
 * run-up, and the styles and change heights it does not judge. */
std::vector<grbl_drill_case> grbl_drill_cases()
{
    std::vector<grbl_drill_case> cases;
    for (const auto *list : {&drill_cases, &machine_drill_cases})
        for (const drill_case &c : *list)
            cases.push_back({c, 0});
    cases.insert(cases.end(), {
        {{"kicad7_slots_a_file_a_bit", "kicad7-metric-routed-slots.drl", "fájlonként", {}}, 0},
        {{"pads_nine_bits_a_file_a_bit_inch_change", "pads-inch-no-header.drl", "fájlonként",
          {true, true, 20000, 500, 4, 3, 10, 20}}, 30},
        {{"protel_inch_pause_change", "protel-dxp2005-inch-lz.TXT", "szünet", {true, false, 8000, 300, 2, 2, 40, 3}}, 25},
        {{"kicad7_slots_m6_left_change", "kicad7-metric-routed-slots.drl", "m6", {false, true, 9000, 200, 3, 2, 7, 7}}, 3},
        {{"pads_bits_at_hand_a_file_a_bit_run_up", "pads-inch-no-header.drl", "fájlonként",
          {false, false, 10000, 400, 2, 2, 0, 0, 1, "0.4,0.8,1.0,1.7,3.0", "x"}}, 0},
    });
    return cases;
}

/* The programs of one drill file: one, or with -t fájlonként one a bit, each of the one-bit form. */
std::vector<program_case> drill_programs(const grbl_drill_case &c, const temp_dir &dir, const job_size &size)
{
    const std::string input = std::string(c.drill.name) + ".drl";
    write_file(dir.file(input), read_file(drill_corpus_file(c.drill.file)));
    std::vector<std::string> more = {"-t", c.drill.style};
    if (c.change)
        more.insert(more.end(), {"-c", std::to_string(c.change)});
    convert(dir, input, c.drill.set, more);
    expectation e{c.drill.set, c.change};
    if (std::string(c.drill.style) != "fájlonként") {
        e.pauses = size.bits;
        e.holes = size.hits;
        e.tool_changes = std::string(c.drill.style) == "m6";
        return {{c.drill.name, dir.file(input + ".tap"), e}};
    }
    EXPECT_FALSE(file_exists(dir.file(input + ".tap"))) << c.drill.name;
    std::vector<program_case> programs;
    for (std::size_t k = 1; k <= size.bits; ++k) {
        const std::string bit = ".T" + std::to_string(k);
        programs.push_back({c.drill.name + bit, dir.file(input + bit + ".tap"), e});
    }
    return programs;
}

TEST(grbl, drills_drill_files_bit_by_bit_in_every_bit_change_style)
{
    if (!file_exists(drill_corpus_file(drill_cases.front().file)))
        GTEST_SKIP() << "no drill corpus at " << EXCELLON_CORPUS_DIR;
    temp_dir dir;
    const std::vector<grbl_drill_case> cases = grbl_drill_cases();
    std::vector<program_case> programs;
    std::vector<std::size_t> first, hits;  /* each case's first program and its hits */
    for (const grbl_drill_case &c : cases) {
        const job_size size = drill_job_size(drill_corpus_file(c.drill.file), c.drill.set.bits);
        first.push_back(programs.size());
        hits.push_back(size.hits);
        for (program_case &p : drill_programs(c, dir, size))
            programs.push_back(p);
    }
    first.push_back(programs.size());
    std::vector<judgement> verdicts = expect_accepted(programs);
    for (std::size_t k = 0; k < cases.size(); ++k) {
        long plunges = 0;
        for (std::size_t i = first[k]; i < first[k + 1]; ++i)
            plunges += verdicts[i].plunges;
        EXPECT_EQ(plunges, static_cast<long>(hits[k])) << cases[k].drill.name << ": every hit drilled once";
    }
}

/* ---- the judge itself ---- */

/* Faulty variants of a one-bit board program and of a two-bit drill program,
 * both made with the defaults, must each draw a finding; the originals none. */
TEST(grbl_judge, finds_the_faults_of_the_selftest)
{
    const std::string drill = "eagle9-metric-tz.xln", source = drill_corpus_file(drill);
    if (!file_exists(source))
        GTEST_SKIP() << "no drill corpus at " << EXCELLON_CORPUS_DIR;
    temp_dir dir;
    write_file(dir.file(drill), read_file(source));
    convert(dir, drill, settings{});
    ASSERT_EQ(drill_job_size(source).bits, 2u);
    run_result r = run_program({std::string(GRBL_CHECK_DIR) + "/selftest.sh", grbl_host,
                                std::string(TESTS_DIR) + "/golden/board.mm.jobb.tap", dir.file(drill + ".tap"),
                                dir.file("selftest")},
                               "", 120);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
}

}  // namespace
