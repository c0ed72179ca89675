/* rs274_accept_test.cpp - the drilling programs as a machine controller reads
 * them: every golden program and a few generated boards go through LinuxCNC's
 * stand-alone interpreter rs274, and its canonical machine calls are judged
 * (canon_check.h). Faulty variants of the programs must be rejected, so that
 * a checker that lets everything through cannot pass.
 *
 * rs274 and its tool table (tools 1-20) are unpacked under RS274_DIR by
 * fetch_rs274.sh, which CTest runs first. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "accept_cases.h"
#include "canon_check.h"
#include "test_support.h"

#ifndef RS274_DIR
#error "RS274_DIR must name the directory fetch_rs274.sh fills"
#endif

namespace {

drilling_plan plan_for(const settings &s, size_t holes)
{
    const double unit = s.inch ? 25.4 : 1.0;
    drilling_plan plan;
    plan.inch = s.inch;
    plan.counter_clockwise = s.left;
    plan.feed = s.feed / unit;
    plan.speed = s.speed;
    plan.safe_z = s.safe / unit;
    plan.drill_z = -s.depth / unit;
    plan.corner_x = s.x / unit;
    plan.corner_y = s.y / unit;
    plan.holes = holes;
    plan.dwell = s.warmup;
    return plan;
}

/* The program run through rs274, then judged; empty when accepted. */
std::string verdict(const std::string &program, const drilling_plan &plan)
{
    const std::string rs274 = std::string(RS274_DIR) + "/run-rs274";
    if (!file_exists(rs274))
        return rs274 + " is missing: tests/accept/fetch_rs274.sh " RS274_DIR " fetches it";
    temp_dir dir;
    write_file(dir.file("program.tap"), program);
    run_result r = run_program({rs274, "-t", std::string(RS274_DIR) + "/tools.tbl", "-g", "program.tap", "canon"},
                               dir.path, 60);
    if (r.status != 0 || r.timed_out)
        return "rs274 ended with status " + std::to_string(r.status) + ": " + r.err;
    return judge_program(read_file(dir.file("canon")), program, plan);
}

/* ---- every golden program ---- */

class golden_program : public testing::TestWithParam<std::string> {};

TEST_P(golden_program, is_drilled_as_set_by_the_interpreter)
{
    const std::string board = GetParam().substr(0, GetParam().find('.'));
    ASSERT_EQ(example_holes.count(board), 1u) << "no hole count for the board " << board;
    const std::string program = read_file(std::string(TESTS_DIR) + "/golden/" + GetParam() + ".tap");
    EXPECT_EQ(verdict(program, plan_for(golden_settings(GetParam()), example_holes.at(board))), "");
}

INSTANTIATE_TEST_SUITE_P(rs274, golden_program, testing::ValuesIn(golden_names()),
                         [](const testing::TestParamInfo<std::string> &info) { return dots_to_underscores(info.param); });

/* ---- generated boards, converted now ---- */

class generated_board : public testing::TestWithParam<generated_case> {};

TEST_P(generated_board, is_drilled_as_set_by_the_interpreter)
{
    const generated_case &c = GetParam();
    temp_dir dir;
    write_file(dir.file("board.gbr"), gerber_board(c.board));
    std::vector<std::string> args = options(c.set);
    args.push_back("board.gbr");
    run_result r = run_drelvo(args, dir.path, 60);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(verdict(read_file(dir.file("board.gbr.tap")), plan_for(c.set, c.board.holes)), "");
}

INSTANTIATE_TEST_SUITE_P(rs274, generated_board, testing::ValuesIn(generated_cases),
                         [](const testing::TestParamInfo<generated_case> &info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(rs274_machine, generated_board, testing::ValuesIn(machine_board_cases),
                         [](const testing::TestParamInfo<generated_case> &info) { return info.param.name; });

/* ---- programs with several bits ---- */

/* Two bits in the way a program with several drills changes between them:
 * rise, park, spindle stop, message, tool change, pause, spindle start. */
const char *const two_bits =
    "G90\nG21\nF400.00000\nG0 Z2.00000\nS1000\nM3\n"
    "X1.00000 Y1.00000\nG1 Z-2.00000\nG0 Z2.00000\n"
    "X5.00000 Y1.00000\nG1 Z-2.00000\nG0 Z2.00000\n"
    "X0.00000 Y0.00000\nM5\n(MSG, 1.2 mm)\nT2 M6\nM0\nS1000\nM3\n"
    "X3.00000 Y4.00000\nG1 Z-2.00000\nG0 Z2.00000\n"
    "X0.00000 Y0.00000\nM5\nM2\n";

settings two_bits_settings()
{
    settings s;
    s.x = s.y = 1;
    return s;
}

TEST(rs274_several_bits, are_accepted_with_and_without_a_tool_change)
{
    const drilling_plan plan = plan_for(two_bits_settings(), 3);
    EXPECT_EQ(verdict(two_bits, plan), "");
    std::string manual_change = two_bits;
    manual_change.erase(manual_change.find("T2 M6\n"), 6);
    EXPECT_EQ(verdict(manual_change, plan), "");
}

/* ---- drill files of several bits, converted now ---- */

class drill_file : public testing::TestWithParam<drill_case> {};

TEST_P(drill_file, is_drilled_bit_by_bit_as_set_by_the_interpreter)
{
    const drill_case &c = GetParam();
    const std::string source = drill_corpus_file(c.file);
    if (!file_exists(source))
        GTEST_SKIP() << "no drill corpus at " << EXCELLON_CORPUS_DIR;
    temp_dir dir;
    write_file(dir.file(c.file), read_file(source));
    std::vector<std::string> args = options(c.set);
    args.insert(args.end(), {"-t", c.style, c.file});
    run_result r = run_drelvo(args, dir.path, 60);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const std::string program = read_file(dir.file(std::string(c.file) + ".tap"));
    /* a second bit, after its change */
    EXPECT_NE(program.find(std::string(c.style) == "m6" ? ")\r\nT2 M6\r\nM0\r\n" : "M5\r\n(MSG, 2. furo"),
              std::string::npos);
    EXPECT_EQ(verdict(program, plan_for(c.set, drill_job_size(source, c.set.bits).hits)), "");
}

INSTANTIATE_TEST_SUITE_P(rs274, drill_file, testing::ValuesIn(drill_cases),
                         [](const testing::TestParamInfo<drill_case> &info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(rs274_machine, drill_file, testing::ValuesIn(machine_drill_cases),
                         [](const testing::TestParamInfo<drill_case> &info) { return info.param.name; });

/* ---- faulty programs are rejected ---- */

struct faulty_case {
    bool two_bits;        /* changes the two-bit program, else the golden board.mm.jobb */
    const char *name;
    const char *find;     /* its first occurrence in the program is replaced */
    const char *replace;
    const char *fault;    /* part of the verdict */
};

void PrintTo(const faulty_case &c, std::ostream *os) { *os << c.name; }

std::string mutated(const faulty_case &c)
{
    std::string program = c.two_bits ? two_bits : read_file(std::string(TESTS_DIR) + "/golden/board.mm.jobb.tap");
    size_t at = program.find(c.find);
    if (at == std::string::npos)
        ADD_FAILURE() << "\"" << c.find << "\" is not in the program";
    else
        program.replace(at, std::string(c.find).size(), c.replace);
    return program;
}

class faulty_program : public testing::TestWithParam<faulty_case> {};

TEST_P(faulty_program, is_rejected)
{
    const faulty_case &c = GetParam();
    const drilling_plan plan = c.two_bits ? plan_for(two_bits_settings(), 3) : plan_for(settings{}, 7);
    std::string verdict_text = verdict(mutated(c), plan);
    EXPECT_NE(verdict_text.find(c.fault), std::string::npos) << verdict_text;
}

INSTANTIATE_TEST_SUITE_P(rs274, faulty_program, testing::ValuesIn(std::vector<faulty_case>{
    {false, "no_unit", "G21\r\n", "", "unit"},
    {false, "inch_unit", "G21", "G20", "unit"},
    {false, "wrong_feed", "F400.00000", "F40.00000", "feed"},
    {false, "wrong_speed", "S1000", "S100", "spindle speed"},
    {false, "wrong_direction", "M3", "M4", "wrong way"},
    {false, "spindle_started_late", "M3\r\nX0.00000 Y0.00000\r\nG1 Z-2.00000\r\n",
     "X0.00000 Y0.00000\r\nG1 Z-2.00000\r\nM3\r\n", "not turning"},
    /* the first rise also sets the rapid mode of the X/Y moves */
    {false, "no_first_rise", "G0 Z2.00000\r\nS1000", "S1000", "rs274 ended with status 1"},
    {false, "low_first_rise", "G0 Z2.00000\r\nS1000", "G0 Z1.00000\r\nS1000", "other than the safe height"},
    {false, "plunge_moves", "G1 Z-2.00000", "G1 X0.5 Z-2.00000", "feed move in X/Y"},
    {false, "plunge_too_shallow", "G1 Z-2.00000", "G1 Z-1.00000", "drilling depth"},
    {false, "move_at_depth", "G0 Z2.00000\r\nX8.89000", "X8.89000", "feed move in X/Y"},
    {false, "low_rise", "G0 Z2.00000\r\nX8.89000", "G0 Z1.00000\r\nX8.89000", "other than the safe height"},
    {false, "hole_lost", "X11.43000 Y8.89000\r\nG1 Z-2.00000\r\nG0 Z2.00000\r\n", "", "6 plunges for 7 holes"},
    {false, "no_park", "X0.00000 Y0.00000\r\nM5", "M5", "stops away"},
    {false, "park_elsewhere", "X0.00000 Y0.00000\r\nM5", "X1.00000 Y0.00000\r\nM5", "stops away"},
    {false, "no_spindle_stop", "M5\r\n", "", "not followed by a spindle stop"},
    {false, "no_program_end", "M2\r\n", "", "rs274 ended with status 1"},
    {false, "pause_at_the_end", "M5\r\nM2", "M5\r\nM0\r\nM2", "without a message"},
    {true, "no_pause", "M0\n", "", "without a pause"},
    {true, "no_message", "(MSG, 1.2 mm)\n", "", "without a message"},
    {true, "change_with_spindle_running", "M5\n(MSG", "(MSG", "spindle running"},
    {true, "no_park_before_change", "X0.00000 Y0.00000\nM5\n(MSG", "M5\n(MSG", "stops away"},
    {true, "tool_outside_the_table", "T2 M6", "T21 M6", "rs274 ended with status 1"},
    {true, "second_bit_not_restarted", "S1000\nM3\nX3", "S1000\nX3", "not turning"},
}), [](const testing::TestParamInfo<faulty_case> &info) { return info.param.name; });

/* The run-up dwell: right after the spindle start, before any move, as long as asked. */
TEST(rs274_dwell, follows_the_spindle_start_as_asked)
{
    const std::string golden = read_file(std::string(TESTS_DIR) + "/golden/board.mm.jobb.tap");
    auto changed = [&golden](const char *find, const char *replace) {
        std::string program = golden;
        program.replace(program.find(find), std::string(find).size(), replace);
        return program;
    };
    struct row {
        std::string program;
        double dwell;
        const char *fault;  /* part of the verdict; empty: accepted */
    };
    const row rows[] = {
        {changed("M3\r\n", "M3\r\nG4 P1.5\r\n"), 1.5, ""},
        {changed("M3\r\n", "M3\r\nG4 P1.5\r\n"), 2, "instead of"},
        {changed("M3\r\n", "M3\r\nG4 P1.5\r\n"), 0, "follows no spindle start"},
        {golden, 1.5, "move before the spindle's run-up dwell"},
        {changed("G1 Z-2.00000\r\n", "G4 P1.5\r\nG1 Z-2.00000\r\n"), 1.5, "move before the spindle's run-up dwell"},
    };
    for (const row &r : rows) {
        drilling_plan plan = plan_for(settings{}, 7);
        plan.dwell = r.dwell;
        const std::string text = verdict(r.program, plan);
        if (*r.fault == '\0') {
            EXPECT_EQ(text, "");
        } else {
            EXPECT_NE(text.find(r.fault), std::string::npos) << text;
        }
    }
}

}  // namespace
