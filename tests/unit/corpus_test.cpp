/* Real Gerber files from many CAD generators, converted with the default
 * settings: how many holes each gives, or the diagnostic and line at which
 * the reader stops. The files are read from the shared corpus (CORPUS_DIR)
 * and copied into a scratch directory for the run. */
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "../fuzz/program_check.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

struct corpus_case {
    const char *file;
    int holes;               /* plunges of the program; 0 when the run stops */
    const char *site;        /* "<function>" of the diagnostic, or null */
    const char *message;     /* the diagnostic's message as spelled in the source (UTF-8) */
};

/* Holes count the plunges: one per connected group of strokes and flashes,
 * zero-length repeats and phantom strokes from a stale point included. */
const corpus_case cases[] = {
    {"eagle4-top-copper.gbx", 154, nullptr, nullptr},
    {"eagle-single-long-line-top-copper.gtl", 806, nullptr, nullptr},   /* one 61,474-byte line */
    {"pcgerber2-trailing-zeros-silk.off", 3184, nullptr, nullptr},      /* FSTAX24Y24 */
    {"geda-pcb163-top-step-repeat.gbx", 122, nullptr, nullptr},
    {"protel-drill-drawing.gd1", 301, nullptr, nullptr},                /* arcs skipped at I */
    {"diptrace-top-mask.gbr", 242, nullptr, nullptr},
    {"eagle9-x2-copper-top.gbr", 39, nullptr, nullptr},
    {"mentor-soldermask-top.gdo", 456, nullptr, nullptr},
    {"altium-paste-bottom.gbp", 3124, nullptr, nullptr},
    {"kicad2013-bottom-mask.gbr", 32, nullptr, nullptr},
    {"altium23-x2-pth-drill.gbr", 13, nullptr, nullptr},
    {"altium23-x2-drillmap.gbr", 26, nullptr, nullptr},                 /* crossing strokes: 13 pairs */
    {"orcad-drill-drawing.drd", 0, "gerber", "A fájl 43. sorában hibás az 'Y' koordináta.\\n"},
    {"veribest-etch-bottom.gdo", 0, "gerber", "A fájl 146. sorában hibás az 'X' koordináta.\\n"},
    {"allegro-paste-bottom.art", 0, "get_parm", "A fájl 38. sorának végén nincs '*' karakter.\\n"},
    {"kicad7-x2-front-mask.gbr", 0, "gerber", "A fájl 47. sorában hibás az 'Y' koordináta.\\n"},
    {"mentor-expedition-paste-bottom.grb", 0, "gerber", "A fájl 46. sorában az ' ' utasítás végén nincs '*' karakter.\\n"},
    {"handcoded-aperture-macros.gbx", 0, "gerber", "A fájl 37. sorában az ' ' utasítás végén nincs '*' karakter.\\n"},
    {"geda-pcb199-fab-drawing.gbr", 0, "gerber", "A fájl 1. sorában a G4 végén nincs '*' karakter.\\n"},
    {"gerbv-test-negative-offset.gbx", 0, "get_parm", "A fájl 6. sorában hibás az 'A' értéke.\\n"},
    {"gerbv-test-arcs-ij.gbx", 0, "main", "first_bore=NULL"},
};

/* The X and Y of every move line of a program, the final park included. */
std::vector<std::pair<double, double>> moves(const std::string &program)
{
    std::vector<std::pair<double, double>> points;
    std::istringstream lines(program);
    std::string line;
    while (std::getline(lines, line)) {
        double x, y;
        if (sscanf(line.c_str(), "X%lf Y%lf", &x, &y) == 2)
            points.emplace_back(x, y);
    }
    return points;
}

class Corpus : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::is_directory(CORPUS_DIR))
            GTEST_SKIP() << "no corpus at " << CORPUS_DIR;
    }

    /* Converts a copy of the file in a scratch directory of its own; returns the program. */
    std::string convert(const corpus_case &c)
    {
        temp_dir dir;
        std::string input = dir.file(c.file);
        fs::copy_file(std::string(CORPUS_DIR) + "/" + c.file, input);
        run_result r = run_drelvo({c.file}, dir.path, 60);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.out, "");
        std::string program = read_file(input + ".tap");
        if (c.site == nullptr) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(count_plunges(program), c.holes);
        } else {
            std::string module = std::string(c.site) == "main" ? "main.cpp" : "gerber.cpp";
            std::string site = module + ", " + c.site + ".";
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err.rfind(site, 0), 0u) << r.err;
            size_t quote = r.err.find("(): \"");
            EXPECT_NE(quote, std::string::npos) << r.err;
            if (quote != std::string::npos) {
                EXPECT_EQ(r.err.substr(quote + 4), "\"" + cp1250(c.message) + "\"\n");
            }
            EXPECT_EQ(program, "") << "a stopped reading leaves the output empty";
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2)
            << "only the copy and its .tap";
        return program;
    }
};

TEST_F(Corpus, EveryFileGivesItsHolesOrItsDiagnostic)
{
    for (const corpus_case &c : cases) {
        SCOPED_TRACE(c.file);
        convert(c);
    }
}

/* The drill file's holes span 147.231 ... 170.000 by 29.300 ... 42.769 mm;
 * moved onto the corner they start at 0 and keep their spread. */
TEST_F(Corpus, DrillFileKeepsItsExtent)
{
    std::string program = convert(cases[10]);
    auto points = moves(program);
    ASSERT_EQ(points.size(), 14u);
    double min_x = 1e9, min_y = 1e9, max_x = -1e9, max_y = -1e9;
    for (auto [x, y] : points) {
        min_x = std::min(min_x, x), max_x = std::max(max_x, x);
        min_y = std::min(min_y, y), max_y = std::max(max_y, y);
    }
    EXPECT_EQ(min_x, 0.0);
    EXPECT_EQ(min_y, 0.0);
    EXPECT_NEAR(max_x, 170.000 - 147.231, 0.001);
    EXPECT_NEAR(max_y, 42.769 - 29.300, 0.001);
}

/* A drill map draws each drill as two crossing strokes that share no end
 * point: two holes at one centre, drilled one right after the other. */
TEST_F(Corpus, CrossingStrokesGiveEveryHoleTwice)
{
    std::string program = convert(cases[11]);
    auto points = moves(program);
    ASSERT_EQ(points.size(), 27u);
    for (size_t i = 0; i + 1 < points.size(); i += 2) {
        EXPECT_NEAR(points[i].first, points[i + 1].first, 0.001) << i;
        EXPECT_NEAR(points[i].second, points[i + 1].second, 0.001) << i;
    }
}

}  // namespace
