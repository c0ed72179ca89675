/* driver_test.cpp - the converter's command line end to end: usage, range
 * checks, argument and file errors, run through the built binary. */
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
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
    /* head, 9 options with a value (name lines and help), the help option, the drill file's
     * three, the machine's three (-w, -b, -k), a blank and the credit */
    EXPECT_EQ(std::count(res.out.begin(), res.out.end(), '\n'),
              2 + 7 + 7 + 7 * 5 + 3 + 8 + 8 + 6 + 6 + 10 + 8 + 1 + 1);
    EXPECT_NE(res.out.find(cp1250("\t-h <>\n\t--mélység <>\n\t\tA fúrás mélysége.\n")), std::string::npos);
    EXPECT_NE(res.out.find(cp1250("\t-s\n\t--súgó\n\t\tEzt a szöveget jeleníti meg.\n\t-n <>\n")), std::string::npos);
    EXPECT_NE(res.out.find(cp1250("\t\tAz alapérték: az alaphelyzet\n\t-w <>\n")), std::string::npos);
    EXPECT_NE(res.out.find(cp1250("\t\tAz alapérték a \"nincs\".\n\n\t")), std::string::npos);
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
        /* a whole number beyond 32 bits is that far out, never its low 32 bits */
        {{"-p", "4294967297"}, "A fordulatszám túlságosan magas, legföljebb 30000/perc lehet.\n"},
        {{"-p", "4294968296"}, "A fordulatszám túlságosan magas, legföljebb 30000/perc lehet.\n"},
        {{"-p", "99999999999999999999"}, "A fordulatszám túlságosan magas, legföljebb 30000/perc lehet.\n"},
        {{"-p", "-4294967297"}, "A fordulatszám túlságosan alacsony, legalább 1/perc legyen.\n"},
        {{"-p", "-99999999999999999999"}, "A fordulatszám túlságosan alacsony, legalább 1/perc legyen.\n"},
        {{"-i", "4294967298"}, "Az egészrész értéke sok, legföljebb 6 lehet.\n"},
        {{"-i", "2147483648"}, "Az egészrész értéke sok, legföljebb 6 lehet.\n"},
        {{"-i", "99999999999999999999"}, "Az egészrész értéke sok, legföljebb 6 lehet.\n"},
        {{"-i", "-2147483649"}, "Az egészrész értéke kicsi, legalább 1 legyen.\n"},
        {{"-i", "-4294967294"}, "Az egészrész értéke kicsi, legalább 1 legyen.\n"},
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
        /* the drill file's settings are checked for a Gerber file too, and change nothing there */
        {{"-n", "1.1"}, nullptr},
        {{"-n", "6.6"}, nullptr},
        {{"-n", "7.3"}, "A számformátum egész és tizedes része is 1 ... 6 jegyű lehet.\n"},
        {{"-n", "2.0"}, "A számformátum egész és tizedes része is 1 ... 6 jegyű lehet.\n"},
        {{"-n", "24"}, "Hibás számformátum: \"24\", az egész és a tizedes jegyek száma kell, például 2.4\n"},
        {{"-n", "2.4.1"}, "Hibás számformátum: \"2.4.1\", az egész és a tizedes jegyek száma kell, például 2.4\n"},
        {{"-t", "szünet"}, nullptr},
        {{"-t", "m6"}, nullptr},
        {{"--szerszámcsere", cp1250("fájlonként")}, nullptr},
        {{"-t", "M6"}, "Ismeretlen szerszámcsere: \"M6\"\n"},
        {{"-c", "2"}, nullptr},
        {{"-c", "100"}, nullptr},
        {{"-c", "1.9"}, "A cseremagasság kevés, legalább az alaphelyzet, 2.00000 mm legyen.\n"},
        {{"-c", "4", "-a", "5"}, "A cseremagasság kevés, legalább az alaphelyzet, 5.00000 mm legyen.\n"},
        {{cp1250("--cseremagasság"), "100.5"}, "A cseremagasság sok, legföljebb 100.00000 mm lehet.\n"},
        {{"-t", "x", "-n", "9.9"}, "A számformátum egész és tizedes része is 1 ... 6 jegyű lehet.\n"},
        /* the machine's: the run-up, the bits at hand (checked for a Gerber file too), the mirror */
        {{"-w", "0"}, nullptr},
        {{"-w", "60"}, nullptr},
        {{"-w", "-0.1"}, "A felfutás ideje kevés, legalább 0.00000 s legyen.\n"},
        {{"-w", "60.01"}, "A felfutás ideje sok, legföljebb 60.00000 s lehet.\n"},
        {{"-b", "0.1,10"}, nullptr},
        {{"-b", " 0.6 , 0.8,1"}, nullptr},
        {{"-b", "0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,"
                "0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6"}, nullptr},
        {{"-b", "0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,"
                "0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6,0.6"},
         "A fúrókészletben legföljebb 32 fúró lehet.\n"},
        {{"-b", "0.6,0.09"}, "A fúrókészlet egyik fúrója kicsi, legalább 0.10000 mm legyen.\n"},
        {{"-b", "10.01", "-m", "coll"}, "A fúrókészlet egyik fúrója nagy, legföljebb 10.000000 mm lehet.\n"},
        {{"-b", "0.6,,0.8"}, "Hibás fúrókészlet: \"0.6,,0.8\", vesszővel elválasztott méretek kellenek mm-ben, "
                             "például 0.6,0.8,1.0\n"},
        {{"-b", "0.6;0.8"}, "Hibás fúrókészlet: \"0.6;0.8\", vesszővel elválasztott méretek kellenek mm-ben, "
                            "például 0.6,0.8,1.0\n"},
        {{"-b", "0.8,"}, "Hibás fúrókészlet: \"0.8,\", vesszővel elválasztott méretek kellenek mm-ben, "
                         "például 0.6,0.8,1.0\n"},
        {{"-b", "nan"}, "Hibás fúrókészlet: \"nan\", vesszővel elválasztott méretek kellenek mm-ben, "
                        "például 0.6,0.8,1.0\n"},
        {{"-b", std::string(600, '1')}, "A fúrókészlet túl hosszú, legföljebb 510 karakter lehet.\n"},
        {{"-k", "nincs"}, nullptr},
        {{cp1250("--tükrözés"), "y"}, nullptr},
        {{"-k", "X"}, "Ismeretlen tükrözés: \"X\"\n"},
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
        {{"board.gbr", "-b", ""}, "Hibás paraméter: \"\"\n"},
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

/* Only a regular file is read: a directory cannot be, and a device may never
 * end or may act on being opened. Nothing is created or emptied for them. */
TEST(Driver, InputThatIsNotARegularFile)
{
    const char *const inputs[] = {"sub", "/dev/ptmx", "/dev/zero", "/dev/null", "link-to-sub"};
    for (const char *input : inputs) {
        SCOPED_TRACE(input);
        workspace ws;
        ASSERT_EQ(mkdir(ws.dir.file("sub").c_str(), 0755), 0);
        ASSERT_EQ(symlink("sub", ws.dir.file("link-to-sub").c_str()), 0);
        write_file(ws.dir.file("sub.tap"), "old program\r\n");
        run_result res = ws.run({input});
        EXPECT_FALSE(res.timed_out);
        EXPECT_EQ(res.status, 1);
        EXPECT_EQ(res.out, "");
        EXPECT_EQ(res.err, cp1250("Nem sikerült megnyitni a fájlt: ") + input + "\n");
        EXPECT_EQ(read_file(ws.dir.file("sub.tap")), "old program\r\n");
        EXPECT_FALSE(ws.has("link-to-sub.tap"));
    }
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
    write_file(ws.dir.file("empty.gbr"), "M02*\n");
    write_file(ws.dir.file("empty.gbr.tap"), "old program\r\n");
    run_result res = ws.run({"empty.gbr"});
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.err, "main.cpp, main.463(): \"first_bore=NULL\"\n");
    EXPECT_TRUE(ws.has("empty.gbr.tap"));
    EXPECT_EQ(read_file(ws.dir.file("empty.gbr.tap")), "");
}

/* Names in a directory, links not followed. */
std::set<std::string> listing(const std::string &dir)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

bool is_regular_file(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

/* The program is written aside and takes the name "<input>.tap" only when
 * complete: whatever stands at the name is replaced, never written through,
 * and a failed run leaves an empty file there, never part of a program. */
TEST(Driver, OutputTakesItsNameOnlyWhenComplete)
{
    const std::string program = [] {
        workspace ws;
        EXPECT_EQ(ws.run({"board.gbr"}).status, 0);
        return read_file(ws.dir.file("board.gbr.tap"));
    }();
    ASSERT_NE(program, "");
    std::string many_holes = "%FSLAX24Y24*%\n%MOMM*%\nD10*\n";
    for (int i = 0; i < 100; i++)
        many_holes += "X" + std::to_string(10000 + i * 20000) + "Y50000D03*\n";
    many_holes += "M02*\n";

    struct row {
        const char *name;
        const char *at_name;     /* "link", "hard link", "fifo", "old" or "" */
        std::string input;
        std::vector<std::string> limit;   /* a command that runs the converter under a limit */
        int status;
        bool complete;           /* the program at the name; else an empty file */
    };
    const std::vector<std::string> small_files = {"/usr/bin/prlimit", "--fsize=3000"};
    const row rows[] = {
        {"a symbolic link", "link", ONE_HOLE, {}, 0, true},
        {"a symbolic link, syntax error", "link", "X-1*\nM02*\n", {}, 1, false},
        {"a hard link to the input", "hard link", ONE_HOLE, {}, 0, true},
        {"a FIFO", "fifo", ONE_HOLE, {}, 0, true},
        {"a failed write", "", many_holes, small_files, 1, false},
        {"a failed write over an old program", "old", many_holes, small_files, 1, false},
        {"no holes over an old program", "old", "M02*\n", {}, 1, false},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        workspace ws;
        write_file(ws.dir.file("board.gbr"), r.input);
        write_file(ws.dir.file("victim"), "not a program\n");
        const std::string tap = ws.dir.file("board.gbr.tap");
        if (std::string(r.at_name) == "link")
            ASSERT_EQ(symlink("victim", tap.c_str()), 0);
        else if (std::string(r.at_name) == "hard link")
            ASSERT_EQ(link(ws.dir.file("board.gbr").c_str(), tap.c_str()), 0);
        else if (std::string(r.at_name) == "fifo")
            ASSERT_EQ(mkfifo(tap.c_str(), 0644), 0);
        else if (std::string(r.at_name) == "old")
            write_file(tap, program);
        std::set<std::string> before = listing(ws.dir.path);
        before.insert("board.gbr.tap");

        std::vector<std::string> argv = r.limit;
        argv.push_back(drelvo_path());
        argv.push_back("board.gbr");
        run_result res = run_program(argv, ws.dir.path);
        EXPECT_FALSE(res.timed_out);
        EXPECT_EQ(res.status, r.status) << res.err;
        EXPECT_TRUE(is_regular_file(tap));
        EXPECT_EQ(read_file(tap), r.complete ? program : "");
        EXPECT_EQ(read_file(ws.dir.file("victim")), "not a program\n");
        EXPECT_EQ(read_file(ws.dir.file("board.gbr")), r.input);
        EXPECT_EQ(listing(ws.dir.path), before) << "nothing but <input>.tap may be left";
        if (!r.limit.empty()) {
            EXPECT_NE(res.err.find(cp1250("Nem sikerült kiírni: ")), std::string::npos) << res.err;
        }
    }
}

/* A descriptor 0 to 2 left closed by the caller is no place for the program:
 * a message written to it would land inside the G-code. */
TEST(Driver, ClosedStandardStreams)
{
    struct row {
        const char *input;
        int status;
        bool complete;
    };
    const row rows[] = {
        {"X-1*\nM02*\n", 1, false},                                 /* the diagnostic */
        {"%MOMM*%\nD10*\nX100000Y50000D03*\n", 0, true},             /* the warning of a missing M02 */
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.input);
        workspace ws;
        write_file(ws.dir.file("board.gbr"), r.input);
        run_result res = run_drelvo({"board.gbr"}, ws.dir.path, 10, streams::closed);
        EXPECT_EQ(res.status, r.status);
        std::string program = read_file(ws.dir.file("board.gbr.tap"));
        if (r.complete) {
            EXPECT_EQ(program.rfind("G90\r\n", 0), 0u) << program;
        } else {
            EXPECT_EQ(program, "");
        }
        EXPECT_EQ(program.find("Figyelem"), std::string::npos) << program;
        EXPECT_EQ(program.find("gerber.cpp"), std::string::npos) << program;
    }
}

/* The fixed texts reach a file or pipe in code page 1250, written here byte
 * by byte, and a terminal in UTF-8; names given by the user pass unchanged. */
TEST(Driver, TextsInCodePage1250OrOnATerminalInUtf8)
{
    struct row {
        std::vector<std::string> args;
        bool on_stdout;
        const char *utf8;
        const char *cp1250;
    };
    const row rows[] = {
        {{"missing.gbr"}, false, "Nem sikerült megnyitni a fájlt: missing.gbr\n",
         "Nem siker\xfclt megnyitni a f\xe1jlt: missing.gbr\n"},
        {{"board.gbr", "-p", "0"}, true, "A fordulatszám túlságosan alacsony, legalább 1/perc legyen.\n",
         "A fordulatsz\xe1m t\xfals\xe1gosan alacsony, legal\xe1" "bb 1/perc legyen.\n"},
        {{"board.gbr", "-e", "2000"}, true, "Az előtolás túlságosan sok, legföljebb 1000.00000 mm/perc lehet.\n",
         "Az el\xf5tol\xe1s t\xfals\xe1gosan sok, legf\xf6ljebb 1000.00000 mm/perc lehet.\n"},
        {{"board.gbr", "-h", "0"}, true, "A fúrás mélysége kevés, legalább 1.00000 mm legyen.\n",
         "A f\xfar\xe1s m\xe9lys\xe9ge kev\xe9s, legal\xe1" "bb 1.00000 mm legyen.\n"},
        {{"board.gbr", "-m", "x"}, true, "Ismeretlen mértékegység: \"x\"\n", "Ismeretlen m\xe9rt\xe9kegys\xe9g: \"x\"\n"},
        {{"-s"}, true, "\t\tA fúró munkaütemen kívüli alaphelyzetét állítja be.\n",
         "\t\tA f\xfar\xf3 munka\xfctemen k\xedv\xfcli alaphelyzet\xe9t \xe1ll\xedtja be.\n"},
        {{"-s"}, true, "\t--egészrész <>\n\t\tA gerber fájlokban a tizedestört számokban ostoba módon\n",
         "\t--eg\xe9szr\xe9sz <>\n\t\tA gerber f\xe1jlokban a tizedest\xf6rt sz\xe1mokban ostoba m\xf3" "don\n"},
        {{"bad.gbr"}, false, "(): \"A fájl 1. sorában hibás az 'X' koordináta.\\n\"\n",
         "(): \"A f\xe1jl 1. sor\xe1" "ban hib\xe1s az 'X' koordin\xe1" "ta.\\n\"\n"},
        {{"cut.gbr"}, false, "Figyelem: a fájlban nincs programvége (M02), lehet, hogy csonka.\n",
         "Figyelem: a f\xe1jlban nincs programv\xe9ge (M02), lehet, hogy csonka.\n"},
    };
    for (streams how : {streams::pipes, streams::terminal}) {
        for (const row &r : rows) {
            SCOPED_TRACE(std::string(how == streams::terminal ? "terminal: " : "pipe: ") + r.utf8);
            workspace ws;
            write_file(ws.dir.file("bad.gbr"), "X-1*\nM02*\n");
            write_file(ws.dir.file("cut.gbr"), "%MOMM*%\nD10*\nX100000Y50000D03*\n");
            run_result res = run_drelvo(r.args, ws.dir.path, 10, how);
            const std::string &stream = r.on_stdout ? res.out : res.err;
            const std::string expected = how == streams::terminal ? r.utf8 : r.cp1250;
            EXPECT_NE(stream.find(expected), std::string::npos) << stream;
        }
    }
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
