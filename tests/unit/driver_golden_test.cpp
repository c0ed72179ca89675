/* driver_golden_test.cpp - the example boards converted end to end and compared byte
 * for byte, CR LF line ends included, with the hand-checked programs under
 * tests/golden. The golden file of a case is named after the board and the
 * settings that differ: <board>.<unit>.<direction>[.<other settings>].tap. */
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

struct golden_case {
    const char *golden;              /* file under tests/golden, without ".tap" */
    const char *board;               /* file under examples */
    std::vector<std::string> args;   /* options given before the file name */
};

const std::vector<golden_case> cases = {
    /* 2.4 inch flashes: the tour starts at the mounting hole nearest the corner,
     * not at the first flash of the file, and jumps from aperture to aperture */
    {"board.mm.jobb", "board.gbr", {}},
    {"board.mm.bal", "board.gbr", {"-f", "bal"}},
    {"board.coll.jobb", "board.gbr", {"-m", "coll", "-f", "jobb"}},
    {"board.coll.bal", "board.gbr", {"-m", "coll", "-f", "bal"}},
    /* the corner offsets are cut to whole millimetres, in both units */
    {"board.mm.jobb.x12y3", "board.gbr", {"-x", "12.9", "-y", "3.2"}},
    {"board.coll.bal.x12y3", "board.gbr", {"-y", "3.2", "-m", "coll", "-x", "12.9", "-f", "bal"}},
    /* feed, safe height and depth are cut to whole millimetres before the inch conversion */
    {"board.mm.jobb.p12000.e250.a5.h1", "board.gbr", {"-p", "12000", "-e", "250.7", "-a", "5.5", "-h", "1.8"}},
    {"board.coll.jobb.p12000.e250.a5.h1", "board.gbr",
     {"-p", "12000", "-e", "250.7", "-a", "5.5", "-h", "1.8", "-m", "coll"}},
    /* 3.3 millimetre outlines drawn with strokes (one of them with a modal D01): one hole
     * at the centre of each outline's box */
    {"outlines.mm.jobb", "outlines.gbr", {}},
    {"outlines.coll.bal", "outlines.gbr", {"-m", "coll", "-f", "bal"}},
    /* the image offset moves every hole alike; the scale doubles X and halves Y */
    {"scaled.mm.jobb", "scaled.gbr", {}},
    {"scaled.coll.jobb.x100y50", "scaled.gbr", {"-m", "coll", "-x", "100.5", "-y", "50.99"}},
    /* 4.6 millimetre drill map with CR LF line ends and X2 attributes */
    {"metric.mm.jobb", "metric.gbr", {}},
    {"metric.coll.bal.x5y7", "metric.gbr", {"-m", "coll", "-f", "bal", "-x", "5", "-y", "7.7"}},
};

void PrintTo(const golden_case &c, std::ostream *os) { *os << c.golden; }

std::string golden_path(const golden_case &c) { return std::string(TESTS_DIR) + "/golden/" + c.golden + ".tap"; }

class golden : public testing::TestWithParam<golden_case> {};

TEST_P(golden, conversion_matches_the_checked_program)
{
    const golden_case &c = GetParam();
    std::string expected = read_file(golden_path(c));
    ASSERT_FALSE(expected.empty()) << "missing golden file " << golden_path(c);

    temp_dir dir;
    write_file(dir.file(c.board), read_file(std::string(EXAMPLES_DIR) + "/" + c.board));
    std::vector<std::string> args = c.args;
    args.push_back(c.board);
    run_result r = run_drelvo(args, dir.path);

    EXPECT_EQ(r.status, 0) << r.err;
    /* nothing but a warning for each value cut to whole millimetres */
    const std::regex cut_values("(" + cp1250("Figyelem: [^:\n]* egész mm[^\n]*-re vágva: ") + "[^\n]*\n)*");
    EXPECT_TRUE(std::regex_match(r.err, cut_values)) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_file(dir.file(std::string(c.board) + ".tap")), expected);
}

std::string case_name(const testing::TestParamInfo<golden_case> &info)
{
    std::string name = info.param.golden;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(examples, golden, testing::ValuesIn(cases), case_name);

/* A golden file that no case reads, or one whose line ends a checkout has
 * rewritten, would let a wrong program pass unnoticed. */
TEST(golden_files, every_file_belongs_to_a_case_and_ends_its_lines_with_cr_lf)
{
    std::set<std::string> used;
    for (const golden_case &c : cases)
        EXPECT_TRUE(used.insert(c.golden).second) << "two cases share " << c.golden;

    int seen = 0;
    for (const auto &entry : std::filesystem::directory_iterator(std::string(TESTS_DIR) + "/golden")) {
        if (entry.path().extension() != ".tap")
            continue;
        seen++;
        std::string name = entry.path().stem().string();
        EXPECT_TRUE(used.count(name)) << name << ".tap is not checked by any case";

        std::string text = read_file(entry.path().string());
        ASSERT_GE(text.size(), 2u) << name;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << name;
        for (size_t i = 0; i < text.size(); i++) {
            if (text[i] == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << name << ": bare LF at byte " << i;
            }
        }
    }
    EXPECT_EQ(seen, (int)cases.size());
}

}  // namespace
