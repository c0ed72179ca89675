/* driver_test.cpp - the converter's command line end to end: usage, range
 * checks, argument and file errors, run through the built binary. */
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "test_support.h"

namespace {

/* One flash on a millimetre board: the smallest input that gives a program. */
const char ONE_HOLE[] =
    "%FSLAX24Y24*%\n"
    "%MOMM*%\n"
    "D10*\n"
    "X100000Y50000D03*\n"
    "M02*\n";

/* A scratch directory holding board.gbr. */
struct workspace {
    temp_dir dir;
    workspace() { write_file(dir.file("board.gbr"), ONE_HOLE); }
    run_result run(const std::vector<std::string> &args) const { return run_drelvo(args, dir.path); }
    bool has(const std::string &name) const { return file_exists(dir.file(name)); }
};

std::string usage_head()
{
    return cp1250("Használat: ") + drelvo_path() + cp1250(" <fájlnév> [kapcsolók]\n\n\t-i <>\n\t--egészrész <>\n");
}

TEST(Driver, Usage)
{
    struct row {
        std::vector<std::string> args;
        int status;
    };
    const row rows[] = {
        {{}, 1},
        {{""}, 1},                                   /* an empty argument names no file */
        {{"-p", "5"}, 1},
        {{"-s"}, 0},
        {{"--súgó"}, 0},
        {{cp1250("--súgó")}, 0},
        {{"board.gbr", "-p", "100", "-s"}, 0},
        {{"board.gbr", "-p", "0", "-s"}, 0},        /* ranges are not checked */
        {{"-s", "-p", "abc", "-e"}, 0},              /* nothing after it is examined */
    };
    for (const row &r : rows) {
        SCOPED_TRACE(::testing::PrintToString(r.args));
        workspace ws;
        run_result res = ws.run(r.args);
        EXPECT_EQ(res.status, r.status);
        EXPECT_EQ(res.out.substr(0, usage_head().size()), usage_head());
        EXPECT_EQ(res.err, "");
        EXPECT_FALSE(ws.has("board.gbr.tap"));
    }
}

TEST(Driver, UsageListing)
{
    run_result res = run_drelvo({"-s"});
    ASSERT_EQ(res.status, 0);
    /* head, 9 options with a value (name lines and help), the help option, a blank and the credit */
    EXPECT_EQ(std::count(res.out.begin(), res.out.end(), '\n'), 2 + 7 + 7 + 7 * 5 + 3 + 1 + 1);
    EXPECT_NE(res.out.find(cp1250("\t-h <>\n\t--mélység <>\n\t\tA fúrás mélysége.\n")), std::string::npos);
    EXPECT_NE(res.out.find(cp1250("\t-s\n\t--súgó\n\t\tEzt a szöveget jeleníti meg.\n\n\t")), std::string::npos);
}

TEST(Driver, RangeChecks)
{
    struct row {
        std::vector<std::string> options;
        const char *message;  /* on standard output; null: accepted */
    };
    const row rows[] = {
        {{"-i", "1"}, nullptr},
        {{"-i", "6"}, nullptr},
        {{"-i", "0"}, "Az egészrész értéke kicsi, legalább 1 legyen.\n"},
        {{"-i", "7"}, "Az egészrész értéke sok, legföljebb 6 lehet.\n"},
        {{"-m", "mm"}, nullptr},
        {{"-m", "coll"}, nullptr},
        {{"-m", "MM"}, "Ismeretlen mértékegység: \"MM\"\n"},
        {{"-m", "inch"}, "Ismeretlen mértékegység: \"inch\"\n"},
        {{"-f", "jobb"}, nullptr},
        {{"-f", "bal"}, nullptr},
        {{"-f", "Jobb"}, "Ismeretlen forgásirány: \"Jobb\"\n"},
        {{"-p", "1"}, nullptr},
        {{"-p", "30000"}, nullptr},
        {{"-p", "0"}, "A fordulatszám túlságosan alacsony, legalább 1/perc legyen.\n"},
        {{"-p", "30001"}, "A fordulatszám túlságosan magas, legföljebb 30000/perc lehet.\n"},
        {{"-p", "-1"}, "A fordulatszám túlságosan magas, legföljebb 30000/perc lehet.\n"},
        {{"-e", "1"}, nullptr},
        {{"-e", "1000"}, nullptr},
        {{"-e", "0.99999"}, "A előtolás túlságosan kicsi, legalább 1.00000 mm/perc legyen.\n"},
        {{"-e", "1000.00001"}, "Az előtolás túlságosan sok, legföljebb 1000.00000 mm/perc lehet.\n"},
        {{"-e", "inf"}, "Az előtolás túlságosan sok, legföljebb 1000.00000 mm/perc lehet.\n"},
        {{"-a", "1"}, nullptr},
        {{"-a", "10"}, nullptr},
        {{"-a", "0.9"}, "Az alaphelyzet kevés, legalább 1.00000 mm legyen.\n"},
        {{"-a", "10.5"}, "Az alaphelyzet sok, legföljebb 10.00000 mm lehet.\n"},
        {{"-h", "1"}, nullptr},
        {{"-h", "10"}, nullptr},
        {{"-h", "0.999"}, "A fúrás mélysége kevés, legalább 1.00000 mm legyen.\n"},
        {{"-h", "10.001"}, "A fúrás mélysége sok, legföljebb 10.00000 mm lehet.\n"},
        {{"-x", "0"}, nullptr},
        {{"-x", "1000"}, nullptr},
        {{"-x", "-0.1"}, "Az X koordináta kicsi, legalább 0.00000 mm legyen.\n"},
        {{"-x", "1000.1"}, "Az X koordináta nagy, legföljebb 1000.00000 mm lehet.\n"},
        {{"-y", "0"}, nullptr},
        {{"-y", "1000"}, nullptr},
        {{"-y", "-0.1"}, "Az Y koordináta kicsi, legalább 0.00000 mm legyen.\n"},
        {{"-y", "1000.1"}, "Az Y koordináta nagy, legföljebb 1000.00000 mm lehet.\n"},
        /* the unit is settled before the lengths, whatever the argument order */
        {{"-e", "0.5", "-m", "coll"}, "A előtolás túlságosan kicsi, legalább 1.000000 mm/perc legyen.\n"},
        {{"-m", "coll", "-e", "0.5"}, "A előtolás túlságosan kicsi, legalább 1.000000 mm/perc legyen.\n"},
        {{"-y", "2000", "-m", "coll"}, "Az Y koordináta nagy, legföljebb 1000.000000 mm lehet.\n"},
        {{"-m", "mm", "-a", "0"}, "Az alaphelyzet kevés, legalább 1.00000 mm legyen.\n"},
        /* the first failing check in the fixed order is the one reported */
        {{"-m", "MM", "-i", "0"}, "Az egészrész értéke kicsi, legalább 1 legyen.\n"},
        {{"-p", "0", "-f", "x"}, "Ismeretlen forgásirány: \"x\"\n"},
        {{"-y", "-1", "-e", "0"}, "A előtolás túlságosan kicsi, legalább 1.00000 mm/perc legyen.\n"},
        /* the long names, in either encoding */
        {{"--fordulatszám", "0"}, "A fordulatszám túlságosan alacsony, legalább 1/perc legyen.\n"},
        {{cp1250("--mélység"), "11"}, "A fúrás mélysége sok, legföljebb 10.00000 mm lehet.\n"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(::testing::PrintToString(r.options));
        workspace ws;
        std::vector<std::string> args{"board.gbr"};
        args.insert(args.end(), r.options.begin(), r.options.end());
        run_result res = ws.run(args);
        EXPECT_EQ(res.err, "");
        if (r.message == nullptr) {
            EXPECT_EQ(res.status, 0);
            EXPECT_EQ(res.out, "");
            EXPECT_TRUE(ws.has("board.gbr.tap"));
        } else {
            EXPECT_EQ(res.status, 1);
            EXPECT_EQ(res.out, cp1250(r.message));
            EXPECT_FALSE(ws.has("board.gbr.tap"));
        }
    }
}

TEST(Driver, ArgumentAndFileErrors)
{
    struct row {
        std::vector<std::string> args;
        const char *message;  /* on the error stream */
    };
    const row rows[] = {
        {{"board.gbr", "-p"}, "Hiányzik a(z) \"-p\" kapcsoló értéke.\n"},
        {{"board.gbr", cp1250("--előtolás")}, "Hiányzik a(z) \"--előtolás\" kapcsoló értéke.\n"},
        {{"board.gbr", "-e", "nan"}, "Hibás paraméter: \"nan\"\n"},
        {{"board.gbr", "-e", "-nan"}, "Hibás paraméter: \"-nan\"\n"},
        {{"board.gbr", "-i", "x3"}, "Hibás paraméter: \"x3\"\n"},
        {{"board.gbr", "-m", ""}, "Hibás paraméter: \"\"\n"},
        {{"-p", "abc", "-s"}, "Hibás paraméter: \"abc\"\n"},    /* a value error before -s wins */
        {{"missing.gbr"}, "Nem sikerült megnyitni a fájlt: missing.gbr\n"},
        {{"-z"}, "Nem sikerült megnyitni a fájlt: -z\n"},         /* not an option: the file name */
    };
    for (const row &r : rows) {
        SCOPED_TRACE(::testing::PrintToString(r.args));
        workspace ws;
        ASSERT_EQ(mkdir(ws.dir.file("sub").c_str(), 0755), 0);
        run_result res = ws.run(r.args);
        EXPECT_EQ(res.status, 1);
        EXPECT_EQ(res.out, "");
        EXPECT_EQ(res.err, cp1250(r.message));
        EXPECT_FALSE(ws.has("board.gbr.tap"));
        EXPECT_FALSE(ws.has("missing.gbr.tap"));
        EXPECT_FALSE(ws.has("-z.tap"));
    }
}

/* A directory opens but cannot be read: the reader says so, and the empty
 * program next to it tells the shell that the run failed. */
TEST(Driver, DirectoryAsInput)
{
    workspace ws;
    ASSERT_EQ(mkdir(ws.dir.file("sub").c_str(), 0755), 0);
    run_result res = ws.run({"sub"});
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.out, "");
    EXPECT_NE(res.err.find(cp1250("\"A fájl 1. sorát nem sikerült beolvasni.\\n\"")), std::string::npos) << res.err;
    EXPECT_TRUE(ws.has("sub.tap"));
    EXPECT_EQ(read_file(ws.dir.file("sub.tap")), "");
}

TEST(Driver, OutputThatCannotBeCreated)
{
    workspace ws;
    ASSERT_EQ(mkdir(ws.dir.file("board.gbr.tap").c_str(), 0755), 0);
    run_result res = ws.run({"board.gbr"});
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.err, cp1250("Nem sikerült elkészíteni a fájlt: board.gbr.tap\n"));
}

TEST(Driver, SecondFileNameIsReportedAndIgnored)
{
    workspace ws;
    write_file(ws.dir.file("other.gbr"), ONE_HOLE);
    run_result res = ws.run({"board.gbr", "-p", "500", "other.gbr", ""});
    EXPECT_EQ(res.status, 0);
    EXPECT_EQ(res.err, cp1250("Megvan a fájl neve, ez már nem kell: \"other.gbr\"\n"
                              "Megvan a fájl neve, ez már nem kell: \"\"\n"));
    EXPECT_TRUE(ws.has("board.gbr.tap"));
    EXPECT_FALSE(ws.has("other.gbr.tap"));
}

TEST(Driver, EmptyArgumentBeforeTheFileName)
{
    workspace ws;
    run_result res = ws.run({"", "board.gbr"});
    EXPECT_EQ(res.status, 0);
    EXPECT_EQ(res.err, "");
    EXPECT_TRUE(ws.has("board.gbr.tap"));
}

TEST(Driver, ExistingOutputIsEmptied)
{
    workspace ws;
    write_file(ws.dir.file("empty.gbr"), "");
    write_file(ws.dir.file("empty.gbr.tap"), "old program\r\n");
    run_result res = ws.run({"empty.gbr"});
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.err, "main.cpp, main.463(): \"first_bore=NULL\"\n");
    EXPECT_TRUE(ws.has("empty.gbr.tap"));
    EXPECT_EQ(read_file(ws.dir.file("empty.gbr.tap")), "");
}

TEST(Driver, FailedWriteIsAFailure)
{
    workspace ws;
    ASSERT_EQ(symlink("/dev/full", ws.dir.file("board.gbr.tap").c_str()), 0);
    run_result res = ws.run({"board.gbr"});
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.err.rfind("tools.cpp, message.", 0), 0u) << res.err;
    EXPECT_NE(res.err.find(cp1250("Nem sikerült kiírni: \\\"G90\n\\\"\\n\"\n")), std::string::npos) << res.err;
}

TEST(Driver, IntegerDigitsReachTheReader)
{
    /* Trailing zeros omitted and no digit counts given: the integer digits
     * come from -i, so "X1" is 10 mm with two of them and 100 mm with three. */
    struct row {
        const char *digits;
        const char *second_hole;
    };
    const row rows[] = {{"2", "X10.00000 Y0.00000"}, {"3", "X100.00000 Y0.00000"}, {"1", "X1.00000 Y0.00000"}};
    for (const row &r : rows) {
        SCOPED_TRACE(r.digits);
        workspace ws;
        write_file(ws.dir.file("trailing.gbr"), "%FSTA*%\n%MOMM*%\nD10*\nX0Y1D03*\nX1Y1D03*\nM02*\n");
        run_result res = ws.run({"trailing.gbr", "-i", r.digits});
        ASSERT_EQ(res.status, 0) << res.err;
        EXPECT_NE(read_file(ws.dir.file("trailing.gbr.tap")).find(std::string("\r\n") + r.second_hole + "\r\n"), std::string::npos);
    }
}

/* A relative path of exactly `length` characters under dir, its directories
 * made and, when `create` is set, the file itself. */
std::string long_name(const temp_dir &dir, size_t length, bool create)
{
    std::string name;
    while (length - name.size() > 120) {
        name += std::string(99, 'd') + "/";
        mkdir(dir.file(name).c_str(), 0755);
    }
    name += std::string(length - name.size(), 'f');
    if (create)
        write_file(dir.file(name), ONE_HOLE);
    return name;
}

TEST(Driver, LongFileNames)
{
    struct row {
        size_t length;
        const char *message;  /* printf format taking the name; null: accepted */
    };
    const row rows[] = {
        {255, nullptr},
        {256, "Nem sikerült elkészíteni a fájl nevét: %s.tap\n"},
        {259, "Nem sikerült elkészíteni a fájl nevét: %s.tap\n"},
        {260, "A fájl neve túl hosszú, legföljebb 259 karakter lehet: %s\n"},
        {5000, "A fájl neve túl hosszú, legföljebb 259 karakter lehet: %s\n"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.length);
        temp_dir dir;
        std::string name = long_name(dir, r.length, r.length < 4000);
        ASSERT_EQ(name.size(), r.length);
        run_result res = run_drelvo({name}, dir.path);
        if (r.message == nullptr) {
            EXPECT_EQ(res.status, 0);
            EXPECT_EQ(res.err, "");
            EXPECT_TRUE(file_exists(dir.file(name + ".tap")));
        } else {
            std::string expected = cp1250(r.message);
            expected.replace(expected.find("%s"), 2, name);
            EXPECT_EQ(res.status, 1);
            EXPECT_EQ(res.err, expected);
            EXPECT_FALSE(file_exists(dir.file(name + ".tap")));
            EXPECT_FALSE(file_exists(dir.file(name.substr(0, 255) + ".tap")));
        }
    }
}

}  // namespace
