/* driver_machine_test.cpp - the job fitted to the user's machine, through the
 * whole converter: the spindle's run-up (-w), the bits at hand (-b), the
 * mirror (-k), and values cut to whole millimetres said aloud. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "app/bit_set.h"
#include "test_support.h"

namespace {

/* Inch, flashes of three apertures. */
const char *const board_gbr =
    "%FSLAX24Y24*%\n%MOIN*%\n%ADD10C,0.06*%\nD10*\n"
    "X10000Y5000D03*\nX3000Y14000D03*\nX25000Y12000D03*\nX7000Y7000D03*\nM02*\n";
/* Four sizes a CAD program gives for three bits at hand; (3, 40) is in both
 * 0.79 and 0.81, and once drilled with their bit; T4 has a slot. */
const char *const sizes_drl =
    "M48\nMETRIC\nT1C0.79\nT2C0.81\nT3C1.02\nT4C3.1\n%\n"
    "T1\nX10.0Y5.0\nX3.0Y40.0\nT2\nX3.0Y40.0\nX25.0Y12.0\nT3\nX7.0Y7.0\nX50.0Y5.0\n"
    "T4\nX60.0Y30.0G85X64.0Y30.0\nM30\n";

/* `input` (board.gbr or sizes.drl) converted with the options in a directory of its own. */
struct conversion {
    temp_dir dir;
    run_result run;
    std::string program;
    conversion(const std::string &input, const std::vector<std::string> &options)
    {
        write_file(dir.file("board.gbr"), board_gbr);
        write_file(dir.file("sizes.drl"), sizes_drl);
        std::vector<std::string> args{input};
        args.insert(args.end(), options.begin(), options.end());
        run = run_drelvo(args, dir.path);
        if (file_exists(dir.file(input + ".tap")))
            program = read_file(dir.file(input + ".tap"));
    }
};

/* The plunge positions, X/Y lines followed by a plunge, sorted. */
std::vector<std::pair<double, double>> plunges(const std::string &program)
{
    std::vector<std::pair<double, double>> at;
    const std::regex hole(R"(X(-?[0-9.]+) Y(-?[0-9.]+)\r\nG1 )");
    for (std::sregex_iterator m(program.begin(), program.end(), hole), end; m != end; ++m)
        at.emplace_back(std::stod((*m)[1]), std::stod((*m)[2]));
    std::sort(at.begin(), at.end());
    return at;
}

TEST(MachineFit, CutValuesAreSaidAloudAndTheProgramStaysTheSame)
{
    struct row {
        std::vector<std::string> given, used;
        const char *warning;
    };
    const row rows[] = {
        {{"-h", "1.8"}, {"-h", "1"}, "Figyelem: a mélység egész mm-re vágva: 1.8 helyett 1 mm.\n"},
        {{"-e", "400.7"}, {"-e", "400"}, "Figyelem: az előtolás egész mm/perc-re vágva: 400.7 helyett 400 mm/perc.\n"},
        {{"-a", "2.5"}, {"-a", "2"}, "Figyelem: az alaphelyzet egész mm-re vágva: 2.5 helyett 2 mm.\n"},
        {{"-x", "12.9"}, {"-x", "12"}, "Figyelem: az X koordináta egész mm-re vágva: 12.9 helyett 12 mm.\n"},
        {{"-y", "999.99"}, {"-y", "999"}, "Figyelem: az Y koordináta egész mm-re vágva: 999.99 helyett 999 mm.\n"},
        {{"-c", "30.25"}, {"-c", "30"}, "Figyelem: a cseremagasság egész mm-re vágva: 30.25 helyett 30 mm.\n"},
        {{"-w", "1.25"}, {"-w", "1.3"}, "Figyelem: a felfutás tizedmásodpercre kerekítve: 1.25 helyett 1.3 s.\n"},
        {{"-h", "3", "-x", "12", "-w", "0.3"}, {"-h", "3", "-x", "12", "-w", "0.3"}, ""},
    };
    for (const row &r : rows)
        for (const char *input : {"board.gbr", "sizes.drl"}) {
            SCOPED_TRACE(::testing::PrintToString(r.given) + input);
            conversion given(input, r.given), used(input, r.used);
            EXPECT_EQ(given.run.status, 0);
            EXPECT_EQ(given.run.err, cp1250(r.warning));
            EXPECT_EQ(used.run.err, "");
            EXPECT_EQ(given.program, used.program);
        }
}

TEST(MachineFit, RunUpDwellFollowsEverySpindleStartAndIsAllItAdds)
{
    struct row {
        const char *seconds, *dwell;
    };
    const row rows[] = {{"1.5", "G4 P1.5"}, {"2", "G4 P2"}, {"0.04", "G4 P0.1"}, {"60", "G4 P60"}};
    const std::vector<std::vector<std::string>> styles = {{}, {"-f", "bal", "-t", "m6", "-c", "20"}};
    for (const row &r : rows)
        for (const char *input : {"board.gbr", "sizes.drl"})
            for (const auto &style : styles) {
                SCOPED_TRACE(std::string(r.seconds) + " " + input + ::testing::PrintToString(style));
                std::vector<std::string> options = style;
                conversion plain(input, options);
                options.insert(options.end(), {"-w", r.seconds});
                conversion dwelling(input, options);
                ASSERT_EQ(dwelling.run.status, 0) << dwelling.run.err;
                const std::regex start("(M[34]\r\n)"), dwell_after_start("(M[34]\r\n)" + std::string(r.dwell) + "\r\n");
                EXPECT_EQ(std::regex_replace(plain.program, start, "$1" + std::string(r.dwell) + "\r\n"),
                          dwelling.program);
                EXPECT_EQ(std::regex_replace(dwelling.program, dwell_after_start, "$1"), plain.program);
            }
}

TEST(MachineFit, MirroredHolesAreTheMirrorImageOnTheSameCorner)
{
    for (const char *corner : {"0", "7"}) {
        SCOPED_TRACE(std::string("corner ") + corner);
        const std::vector<std::string> at = {"-x", corner, "-y", corner};
        const std::vector<std::pair<double, double>> holes = plunges(conversion("board.gbr", at).program);
        const double c = std::stod(corner);
        double max_x = c, max_y = c;
        for (const auto &p : holes) {
            max_x = std::max(max_x, p.first);
            max_y = std::max(max_y, p.second);
        }
        for (const char *axis : {"x", "y"}) {
            std::vector<std::pair<double, double>> expected;
            for (const auto &p : holes)
                expected.emplace_back(*axis == 'x' ? max_x + c - p.first : p.first,
                                      *axis == 'y' ? max_y + c - p.second : p.second);
            std::sort(expected.begin(), expected.end());
            std::vector<std::string> options = at;
            options.insert(options.end(), {"-k", axis});
            const std::vector<std::pair<double, double>> got = plunges(conversion("board.gbr", options).program);
            ASSERT_EQ(got.size(), expected.size()) << axis;
            for (size_t i = 0; i < got.size(); i++) {
                EXPECT_NEAR(got[i].first, expected[i].first, 1e-5) << axis;
                EXPECT_NEAR(got[i].second, expected[i].second, 1e-5) << axis;
            }
        }
    }
}

/* The tour too is the one of the mirrored positions, slots entered at their nearer end. */
TEST(MachineFit, MirroredDrillFileIsTheFileOfMirroredPositions)
{
    for (const char *axis : {"x", "y"}) {
        SCOPED_TRACE(axis);
        conversion mirrored("sizes.drl", {"-k", axis, "-x", "3", "-y", "4"});
        temp_dir dir;
        const std::regex coordinate(std::string("(") + (char)toupper(*axis) + ")([0-9])");
        write_file(dir.file("negated.drl"), std::regex_replace(sizes_drl, coordinate, "$1-$2"));
        run_result r = run_drelvo({"negated.drl", "-x", "3", "-y", "4"}, dir.path);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(mirrored.program, read_file(dir.file("negated.drl.tap")));
    }
}

TEST(MachineFit, NearestBitOfTheSet)
{
    const std::vector<double> set = {3.0, 0.6, 1.0, 0.8};
    struct row {
        double size, bit;
        bool fits;
    };
    const row rows[] = {
        {0.7874, 0.8, true}, {0.7, 0.8, true},   /* a tie goes to the larger */
        {0.9, 1.0, true},    {0.5, 0.6, true},   /* 0.1 mm off fits */
        {0.49, 0.6, false},  {1.9, 1.0, false},  {2.0, 3.0, false},
        {2.75, 3.0, true},   {3.3, 3.0, true},   {3.4, 3.0, false},    /* 10 % of the size beyond 1 mm */
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.size);
        EXPECT_EQ(nearest_bit(set, r.size), r.bit);
        EXPECT_EQ(bit_fits(nearest_bit(set, r.size), r.size), r.fits);
    }
}

TEST(MachineFit, SizesOnOneBitAreOneBitOneChange)
{
    conversion fitted("sizes.drl", {"-b", "0.8, 1.0,3.0"});
    ASSERT_EQ(fitted.run.status, 0) << fitted.run.err;
    EXPECT_EQ(fitted.run.out, cp1250("Fúrófájl: mm, tizedesponttal írt számok\n"
                                     "1 horonyból 17 furat lett.\n"
                                     "Fúrókészlet: 0.80 mm-es fúróval: 0.79, 0.81 mm\n"
                                     "Fúrókészlet: 1.00 mm-es fúróval: 1.02 mm\n"
                                     "Fúrókészlet: 3.00 mm-es fúróval: 3.10 mm\n"
                                     "1. fúró: 0.80 mm (T1, T2), 3 furat\n"
                                     "2. fúró: 1.00 mm (T3), 2 furat\n"
                                     "3. fúró: 3.00 mm (T4), 17 furat\n"));
    EXPECT_NE(fitted.program.find("(MSG, 1. furo 0.80 mm 3 furat)"), std::string::npos);
    /* every hole as before, (3, 40) once */
    std::vector<std::pair<double, double>> holes = plunges(conversion("sizes.drl", {}).program);
    holes.erase(std::find(holes.begin(), holes.end(), std::make_pair(0.0, 35.0)));
    EXPECT_EQ(plunges(fitted.program), holes);

    conversion refused("sizes.drl", {"-b", "0.8,1.0"});
    EXPECT_EQ(refused.run.status, 1);
    EXPECT_NE(refused.run.err.find(cp1250("nincs fúró a készletben: 3.10 mm; a legközelebbi, 1.00 mm")),
              std::string::npos) << refused.run.err;
    EXPECT_EQ(refused.program, "");

    /* checked, and no effect, for a Gerber file */
    EXPECT_EQ(conversion("board.gbr", {"-b", "0.8"}).program, conversion("board.gbr", {}).program);
}

}  // namespace
