/* driver_conversion_test.cpp - whole runs of the converter: Gerber file in, drilling
 * program (or an empty file and a diagnostic) out, with the exit status. */
#include <gtest/gtest.h>

#include <cctype>
#include <regex>
#include <string>
#include <vector>

#include "../fuzz/program_check.h"
#include "test_support.h"

namespace {

const char *const one_flash_gbr =
    "G04 one hole*\n"
    "%FSLAX24Y24*%\n"
    "%MOIN*%\n"
    "%ADD10C,0.0400*%\n"
    "D10*\n"
    "X12345Y6789D03*\n"
    "M02*\n";

const char *const one_flash_mm_tap =
    "G90\r\n"
    "G21\r\n"
    "F400.00000\r\n"
    "G0 Z2.00000\r\n"
    "S1000\r\n"
    "M3\r\n"
    "X0.00000 Y0.00000\r\n"
    "G1 Z-2.00000\r\n"
    "G0 Z2.00000\r\n"
    "X0.00000 Y0.00000\r\n"
    "M5\r\n"
    "M2\r\n";

/* Converts `gerber` saved as name in a fresh directory; the program lands next to it. */
struct conversion {
    temp_dir dir;
    run_result result;
    std::string output;
    bool output_exists = false;

    conversion(const std::string &gerber, std::vector<std::string> args, const std::string &old_output = "",
               const std::string &name = "board.gbr")
    {
        write_file(dir.file(name), gerber);
        if (!old_output.empty())
            write_file(dir.file(name + ".tap"), old_output);
        args.push_back(name);
        result = run_drelvo(args, dir.path);
        output_exists = file_exists(dir.file(name + ".tap"));
        output = read_file(dir.file(name + ".tap"));
    }
};

std::vector<std::string> crlf_lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

TEST(conversion, one_flash_gives_the_twelve_line_program_with_the_hole_on_the_corner)
{
    struct {
        std::vector<std::string> args;
        std::string expected, warning;
    } const cases[] = {
        {{}, one_flash_mm_tap, ""},
        {{"-m", "coll", "-f", "bal", "-x", "254.9", "-y", "508"},
         "G90\r\nG20\r\nF15.748031\r\nG0 Z0.078740\r\nS1000\r\nM4\r\n"
         "X10.000000 Y20.000000\r\n"
         "G1 Z-0.078740\r\nG0 Z0.078740\r\nX0.000000 Y0.000000\r\nM5\r\nM2\r\n",
         cp1250("Figyelem: az X koordináta egész mm-re vágva: 254.9 helyett 254 mm.\n")},
    };
    for (const auto &c : cases) {
        conversion run(one_flash_gbr, c.args);
        EXPECT_EQ(run.result.status, 0) << run.result.err;
        EXPECT_EQ(run.result.err, c.warning);
        EXPECT_EQ(run.output, c.expected);
        EXPECT_EQ(crlf_lines(run.output).size(), 12u);
    }
}

TEST(conversion, offsets_are_cut_to_whole_millimetres_and_place_the_lowest_hole)
{
    /* holes at (20, 15) and (10, 5) mm: the second is the lowest in both axes */
    const char *gerber =
        "%FSLAX24Y24*%\n"
        "%MOMM*%\n"
        "%ADD10C,0.8000*%\n"
        "D10*\n"
        "X200000Y150000D03*\n"
        "X100000Y50000D03*\n"
        "M02*\n";
    struct {
        std::vector<std::string> args;
        const char *first_hole, *second_hole;
    } const cases[] = {
        {{"-x", "12.9", "-y", "3.2"}, "X12.00000 Y3.00000", "X22.00000 Y13.00000"},
        {{"-x", "12.9", "-y", "3.2", "-m", "coll"}, "X0.472441 Y0.118110", "X0.866142 Y0.511811"},
    };
    for (const auto &c : cases) {
        conversion run(gerber, c.args);
        EXPECT_EQ(run.result.status, 0) << run.result.err;
        std::vector<std::string> lines = crlf_lines(run.output);
        ASSERT_EQ(lines.size(), 15u) << run.output;
        EXPECT_EQ(lines[6], c.first_hole);
        EXPECT_EQ(lines[9], c.second_hole);
    }
}

TEST(conversion, input_without_holes_leaves_an_empty_program_and_fails)
{
    const char *const inputs[] = {
        "",
        "%FSLAX24Y24*%\n%ADD10C,0.0400*%\nM02*\n",
        /* flashes before any G01 or aperture select do not act */
        "%FSLAX24Y24*%\n%MOIN*%\nX10000Y20000D03*\nX20000Y20000D03*\nM02*\n",
        /* a comment disarms until the next G01 or aperture select */
        "G01*\nG04 nothing after this comment is drilled*\nX1000Y1000D03*\nM02*\n",
    };
    const std::string no_end = cp1250("Figyelem: a fájlban nincs programvége (M02), lehet, hogy csonka.\n");
    for (const char *input : inputs) {
        conversion run(input, {}, "a program from an earlier run\r\n");
        EXPECT_EQ(run.result.status, 1) << input;
        EXPECT_EQ(run.result.err, (*input ? "" : no_end) + "main.cpp, main.463(): \"first_bore=NULL\"\n") << input;
        EXPECT_EQ(run.result.out, "") << input;
        EXPECT_TRUE(run.output_exists) << input;
        EXPECT_EQ(run.output, "") << input;
    }
}

/* "<file>, <function>." + check line + "(): " + message, with any source line. */
bool is_diagnostic(const std::string &err, const std::string &head, const std::string &tail)
{
    if (err.size() < head.size() + tail.size() + 1 || err.compare(0, head.size(), head) != 0 ||
        err.compare(err.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    for (size_t i = head.size(); i < err.size() - tail.size(); i++)
        if (!isdigit((unsigned char)err[i]))
            return false;
    return true;
}

TEST(conversion, syntax_error_leaves_an_empty_program_and_fails)
{
    /* each file has a hole before its error: nothing is written for it */
    struct {
        const char *gerber, *head, *message;
    } const cases[] = {
        {"%FSLAX24Y24*%\nD10*\nX1000Y1000D03*\nX-100Y100D03*\n", "gerber.cpp, gerber.",
         "(): \"A fájl 4. sorában hibás az 'X' koordináta.\\n\"\n"},
        {"D10*\nX1000Y1000D03*\n\nX2000Y1000D01\n", "gerber.cpp, gerber.",
         "(): \"A fájl 4. sorában az '0' utasítás végén nincs '*' karakter.\\n\"\n"},
        {"%FSLAX24Y24*%\r\nD10*\r\nX1000Y1000D03*\r\n%ADD11C,0.8\r\n", "gerber.cpp, get_parm.",
         "(): \"A fájl 4. sorában a(z) <AD> utasítás végén nincs '*' karakter.\\n\"\n"},
    };
    for (const auto &c : cases) {
        conversion run(c.gerber, {"-m", "coll"}, one_flash_mm_tap);
        EXPECT_EQ(run.result.status, 1) << c.gerber;
        EXPECT_TRUE(is_diagnostic(run.result.err, c.head, cp1250(c.message))) << run.result.err;
        EXPECT_TRUE(run.output_exists) << c.gerber;
        EXPECT_EQ(run.output, "") << c.gerber;
    }
}

TEST(conversion, existing_program_is_replaced_whole)
{
    std::string old_output;
    for (int i = 0; i < 200; i++)
        old_output += "G0 Z9.99999\r\nX99.99999 Y99.99999\r\n";
    conversion run(one_flash_gbr, {}, old_output);
    EXPECT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.output, one_flash_mm_tap);
}

/* The program is named after the input's full name, also with a path and a dotted name. */
TEST(conversion, program_is_written_next_to_the_input_under_its_full_name)
{
    temp_dir dir;
    write_file(dir.file("panel.v2.gtl"), one_flash_gbr);
    run_result r = run_drelvo({dir.file("panel.v2.gtl")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir.file("panel.v2.gtl.tap")), one_flash_mm_tap);
    EXPECT_FALSE(file_exists(dir.file("panel.v2.tap")));
}

/* A file cut short converts what it holds, but never silently: without a
 * program end the reader warns, and a parameter block cut open is an error. */
TEST(conversion, cut_off_file_is_noticed)
{
    const std::string board = read_file(std::string(EXAMPLES_DIR) + "/board.gbr");
    ASSERT_GT(board.size(), 400u);
    const std::string block = "%ADD11C,0.0320*";
    const size_t in_block = board.find(block) + block.size();   /* before its closing '%' */
    struct {
        std::string gerber;
        int status;
        std::string err;   /* the tail of the error stream */
    } const cases[] = {
        {board.substr(0, 400), 0, cp1250("Figyelem: a fájlban nincs programvége (M02), lehet, hogy csonka.\n")},
        {board.substr(0, in_block), 1,
         cp1250("(): \"A fájl 9. sorában kezdődő paraméterblokk nincs lezárva: hiányzik a '%' karakter.\\n\"\n")},
        {board, 0, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.gerber.size());
        conversion run(c.gerber, {});
        EXPECT_EQ(run.result.status, c.status);
        ASSERT_GE(run.result.err.size(), c.err.size());
        EXPECT_EQ(run.result.err.substr(run.result.err.size() - c.err.size()), c.err);
        if (c.status == 0) {
            EXPECT_GT(count_plunges(run.output), 0) << run.output;
        } else {
            EXPECT_EQ(run.output, "");
        }
    }
}

/* A board too big for the memory the process may have (about 400 bytes a
 * hole) ends with a diagnostic, not a crash. */
TEST(conversion, running_out_of_memory_is_reported)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
    std::string board = "%FSLAX24Y24*%\n%MOMM*%\nD10*\n";
    for (int i = 0; i < 200000; i++)
        board += "X" + std::to_string(10000 + (i % 400) * 20000) + "Y" + std::to_string(10000 + (i / 400) * 20000) + "D03*\n";
    board += "M02*\n";
    temp_dir dir;
    write_file(dir.file("big.gbr"), board);
    run_result r = run_program({"/usr/bin/prlimit", "--as=40000000", drelvo_path(), dir.file("big.gbr")}, dir.path, 60);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(std::regex_match(r.err, std::regex("(bore|tools)\\.cpp, \\w+\\.\\d+\\(\\): \".+\"\n"))) << r.err;
}

}  // namespace
