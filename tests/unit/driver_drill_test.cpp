/* driver_drill_test.cpp - drill files (Excellon) through the whole
 * converter: one bit gives exactly the program of a Gerber file of the same
 * holes, several bits the three tool-change styles, and the per-bit files
 * replace those an earlier run left. */
#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "test_support.h"

namespace {

/* Whole millimetres, so that both readers give the same numbers; (3, 40)
 * is hit twice and drilled once. */
const char *const one_bit_drl =
    "M48\nMETRIC\nT1C0.8\n%\nT1\nX10.0Y5.0\nX3.0Y40.0\nX25.0Y12.0\nX3.0Y40.0\nX7.0Y7.0\nM30\n";
const char *const one_bit_gbr =
    "%FSLAX33Y33*%\n%MOMM*%\n%ADD10C,0.8*%\nD10*\n"
    "X10000Y5000D03*\nX3000Y40000D03*\nX25000Y12000D03*\nX3000Y40000D03*\nX7000Y7000D03*\nM02*\n";

/* The names in a directory, sorted, with each file's text ("<dir>" for a directory). */
std::map<std::string, std::string> listing(const std::string &path)
{
    std::map<std::string, std::string> files;
    DIR *d = opendir(path.c_str());
    while (const dirent *e = d ? readdir(d) : nullptr) {
        std::string name = e->d_name, full = path + "/" + name;
        struct stat st;
        if (name != "." && name != ".." && stat(full.c_str(), &st) == 0)
            files[name] = S_ISDIR(st.st_mode) ? "<dir>" : read_file(full);
    }
    if (d)
        closedir(d);
    return files;
}

TEST(DrillProgram, OneBitIsTheProgramOfAGerberFileOfTheSameHoles)
{
    const std::vector<std::vector<std::string>> option_rows = {
        {},
        {"-m", "coll", "-f", "bal"},
        {"-x", "12", "-y", "3", "-p", "12000", "-e", "250", "-a", "5", "-h", "1"},
        {"-t", "m6", "-c", "30"},   /* one bit: no change, whatever the style */
    };
    for (const auto &options : option_rows) {
        SCOPED_TRACE(::testing::PrintToString(options));
        temp_dir dir;
        write_file(dir.file("board.drl"), one_bit_drl);
        write_file(dir.file("board.gbr"), one_bit_gbr);
        std::vector<std::string> drl_args{"board.drl"}, gbr_args{"board.gbr"};
        drl_args.insert(drl_args.end(), options.begin(), options.end());
        gbr_args.insert(gbr_args.end(), options.begin(), options.end());
        run_result drl = run_drelvo(drl_args, dir.path), gbr = run_drelvo(gbr_args, dir.path);
        ASSERT_EQ(gbr.status, 0) << gbr.err;
        ASSERT_EQ(drl.status, 0) << drl.err;
        EXPECT_EQ(drl.out, cp1250("Fúrófájl: mm, tizedesponttal írt számok\n1. fúró: 0.80 mm (T1), 4 furat\n"));
        EXPECT_EQ(read_file(dir.file("board.drl.tap")), read_file(dir.file("board.gbr.tap")));
    }
}

/* Two bits, the smaller (T2 and T3 of one diameter) drilled first. */
const char *const two_bits_drl =
    "M48\nMETRIC\nT1C1.0\nT2C0.6\nT3C0.6\n%\nT1\nX10.0Y20.0\nX30.0Y20.0\nT2\nX15.0Y5.0\nT3\nX12.0Y5.0\nM30\n";

std::string crlf(std::string text)
{
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.insert(at, "\r");
    return text;
}

std::string holes_text(const char *first, const char *second)
{
    return std::string(first) + "G1 Z-2.00000\nG0 Z2.00000\n" + second + "G1 Z-2.00000\n";
}

const std::string small_holes = holes_text("X2.00000 Y0.00000\n", "X5.00000 Y0.00000\n");
const std::string large_holes = holes_text("X0.00000 Y15.00000\n", "X20.00000 Y15.00000\n");
const std::string head = "G90\nG21\nF400.00000\n";
const std::string park = "G0 Z2.00000\nX0.00000 Y0.00000\nM5\n";
const std::string end = park + "M2\n";

/* One bit alone, in the form of a Gerber file's program. */
std::string alone(const std::string &holes) { return crlf(head + "G0 Z2.00000\nS1000\nM3\n" + holes + end); }

TEST(DrillProgram, ToolChangeStyles)
{
    const std::string msg1 = "(MSG, 1. furo 0.60 mm 2 furat)\n", msg2 = "(MSG, 2. furo 1.00 mm 2 furat)\n";
    const std::string start = "S1000\nM3\n";
    const std::string raise = "G0 Z20.00000\nX0.00000 Y0.00000\nM5\n", lower = "G0 Z2.00000\n";
    const std::string lines = cp1250("Fúrófájl: mm, tizedesponttal írt számok\n");
    const struct row {
        std::vector<std::string> options;
        std::map<std::string, std::string> files;   /* what the run leaves beside the input, LF line ends */
        std::string out;                            /* the lines after the format */
    } rows[] = {
        {{},
         {{"board.drl.tap", head + park + msg1 + "M0\n" + start + small_holes + park + msg2 + "M0\n" + start +
                                large_holes + end}},
         "1. fúró: 0.60 mm (T2, T3), 2 furat\n2. fúró: 1.00 mm (T1), 2 furat\n"},
        {{"-t", "m6"},
         {{"board.drl.tap", head + park + msg1 + "T1 M6\nM0\n" + start + small_holes + park + msg2 + "T2 M6\nM0\n" +
                                start + large_holes + end}},
         "1. fúró: 0.60 mm (T2, T3), 2 furat\n2. fúró: 1.00 mm (T1), 2 furat\n"},
        {{"-t", "szünet", "-c", "20.7"},
         {{"board.drl.tap", head + raise + msg1 + "M0\n" + lower + start + small_holes + raise + msg2 + "M0\n" +
                                lower + start + large_holes + end}},
         "1. fúró: 0.60 mm (T2, T3), 2 furat\n2. fúró: 1.00 mm (T1), 2 furat\n"},
        {{"-t", "fájlonként", "-c", "20"},
         {{"board.drl.T1.tap", "1"}, {"board.drl.T2.tap", "2"}},
         "1. fúró: 0.60 mm (T2, T3), 2 furat: board.drl.T1.tap\n2. fúró: 1.00 mm (T1), 2 furat: board.drl.T2.tap\n"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(::testing::PrintToString(r.options));
        temp_dir dir;
        write_file(dir.file("board.drl"), two_bits_drl);
        std::vector<std::string> args{"board.drl"};
        args.insert(args.end(), r.options.begin(), r.options.end());
        run_result run = run_drelvo(args, dir.path);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, lines + cp1250(r.out.c_str()));
        std::map<std::string, std::string> expected;
        for (const auto &[name, text] : r.files)
            expected[name] = text == "1" ? alone(small_holes) : text == "2" ? alone(large_holes) : crlf(text);
        expected["board.drl"] = two_bits_drl;
        EXPECT_EQ(listing(dir.path), expected);
    }
}

/* Per-bit files an earlier run left go, whatever their number; other files,
 * and names the converter never writes, stay. */
TEST(DrillProgram, PerBitFilesReplaceAnEarlierRunsFiles)
{
    temp_dir dir;
    write_file(dir.file("board.drl"), two_bits_drl);
    const std::vector<std::string> kept = {"board.drl.tap", "board.drl.T7.tap.bak", "board.drl.Tx.tap",
                                           "board.drl.T.tap", "board.drl.T0.tap", "board.drl.T01.tap",
                                           "board.drl.T007.tap", "board.drl.T9999999.tap",
                                           "board.drl.T99999999999999999999.tap",
                                           "other.drl.T3.tap"};
    for (const std::string &name : kept)
        write_file(dir.file(name), "kept");
    for (const char *name : {"board.drl.T1.tap", "board.drl.T3.tap", "board.drl.T12.tap"})
        write_file(dir.file(name), "old");
    run_result run = run_drelvo({"board.drl", "-t", "fájlonként"}, dir.path);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_file(dir.file("board.drl.T1.tap")), alone(small_holes));
    EXPECT_EQ(read_file(dir.file("board.drl.T2.tap")), alone(large_holes));
    EXPECT_FALSE(file_exists(dir.file("board.drl.T3.tap")));
    EXPECT_FALSE(file_exists(dir.file("board.drl.T12.tap")));
    for (const std::string &name : kept)
        EXPECT_EQ(read_file(dir.file(name)), "kept") << name;
}

/* A per-bit run that fails leaves every file as it was: a name too long for
 * the tenth bit, a directory at a later name, a file that does not end, a
 * disk that fills up at the second program. */
TEST(DrillProgram, PerBitFilesAreAllOrNothing)
{
    std::string ten_bits = "M48\nMETRIC\n", body = "%\n";
    for (int k = 1; k <= 10; k++) {
        ten_bits += "T" + std::to_string(k) + "C0." + std::to_string(k + 10) + "\n";
        body += "T" + std::to_string(k) + "\nX" + std::to_string(k) + ".0Y1.0\n";
    }
    ten_bits += body + "M30\n";
    const std::string long_dir(200, 'd'), long_name = long_dir + "/" + std::string(51, 'b');   /* 252 bytes */
    const struct {
        std::string input, text, blocked, err;
        bool small_disk;   /* files of at most 512 bytes */
    } cases[] = {
        {long_name, ten_bits, "", "Nem sikerült elkészíteni a fájl nevét: " + long_name + ".T10.tap\n", false},
        {long_dir + "/board.drl", two_bits_drl, "board.drl.T2.tap",
         "Nem sikerült elkészíteni a fájlt: " + long_dir + "/board.drl.T2.tap\n", false},
        {long_dir + "/board.drl", "M48\nMETRIC\nT1C1.0\nT2C2.0\n%\nT1\nX1.0Y1.0\nT2\nX2.0Y", "", "", false},
        {long_dir + "/board.drl", "M48\nMETRIC\nT1C1.0\nT2C2.0\n%\nT1\nX1.0Y1.0\nT2\nX1.0Y2.0\nR29X1.0\nM30\n", "", "",
         true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input);
        temp_dir dir;
        ASSERT_EQ(mkdir(dir.file(long_dir).c_str(), 0755), 0);
        write_file(dir.file(c.input), c.text);
        write_file(dir.file(c.input + ".T1.tap"), "old");
        write_file(dir.file(c.input + ".T3.tap"), "old");
        if (!c.blocked.empty()) {
            ASSERT_EQ(mkdir(dir.file(long_dir + "/" + c.blocked).c_str(), 0755), 0);
        }
        std::map<std::string, std::string> before = listing(dir.file(long_dir));
        run_result run = c.small_disk ? run_program({"/bin/sh", "-c", "ulimit -f 1 && exec \"$0\" \"$1\" -t fájlonként",
                                                     drelvo_path(), c.input}, dir.path)
                                      : run_drelvo({c.input, "-t", "fájlonként"}, dir.path);
        EXPECT_EQ(run.status, 1) << run.err;
        if (!c.err.empty()) {
            EXPECT_EQ(run.err, cp1250(c.err.c_str()));
        }
        EXPECT_EQ(listing(dir.file(long_dir)), before);
    }
}

/* Each slot is drilled from the end the tour reaches first, and a position
 * of the bit, hole or slot hit, is drilled once. */
TEST(DrillProgram, SlotsAreEnteredAtTheNearerEndAndHitsDrilledOnce)
{
    const struct {
        const char *body;
        const char *plunges;   /* "x,y " in drilling order */
    } cases[] = {
        {"X2.0Y0G85X0Y0\nX9.0Y9.0\n", "0,0 2,0 1,0 1.5,0 0.5,0 9,9 "},
        {"X0Y0\nX0Y0G85X2.0Y0\nX2.0Y0G85X0Y0\nX2.0Y0G85X2.0Y2.0\n", "0,0 2,0 1,0 0.5,0 1.5,0 2,2 2,1 2,0.5 2,1.5 "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body);
        temp_dir dir;
        write_file(dir.file("board.drl"), std::string("M48\nMETRIC\nT1C3.2\n%\nT1\n") + c.body + "M30\n");
        run_result run = run_drelvo({"board.drl"}, dir.path);
        ASSERT_EQ(run.status, 0) << run.err;
        std::ostringstream plunges;
        std::string line;
        std::istringstream program(read_file(dir.file("board.drl.tap")));
        double x = 0, y = 0;
        while (std::getline(program, line))
            if (sscanf(line.c_str(), "X%lf Y%lf", &x, &y) != 2 && line.rfind("G1 Z", 0) == 0)
                plunges << x << "," << y << " ";
        EXPECT_EQ(plunges.str(), c.plunges);
    }
}

/* What the summary says besides the bits: the file's messages on standard
 * output, a bit no drill has as a warning on standard error; a file too long
 * a name fails before any of it. */
TEST(DrillProgram, MessagesWarningsAndNamesOfTheSummary)
{
    temp_dir dir;
    write_file(dir.file("board.drl"), "M48\nMETRIC\nT1C1.0\nT2C139.7\n%\nM47,Tedd be: 1 mm\nT1\nX1.0Y1.0\nT2\nX50.0Y50.0\nM30\n");
    run_result run = run_drelvo({"board.drl"}, dir.path);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, cp1250("Fúrófájl: mm, tizedesponttal írt számok\nÜzenet a fájlban: Tedd be: 1 mm\n"
                              "1. fúró: 1.00 mm (T1), 1 furat\n2. fúró: 139.70 mm (T2), 1 furat\n"));
    EXPECT_EQ(run.err, cp1250("Figyelem: a(z) T2 szerszám átmérője 139.70 mm, több mint 10 mm: ekkora furatot marni "
                              "szokás, nem fúrni.\n"));

    const std::string long_dir(200, 'd'), long_name = long_dir + "/" + std::string(55, 'b');   /* 256 bytes */
    ASSERT_EQ(mkdir(dir.file(long_dir).c_str(), 0755), 0);
    write_file(dir.file(long_name), one_bit_drl);
    run = run_drelvo({long_name}, dir.path);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, cp1250(("Nem sikerült elkészíteni a fájl nevét: " + long_name + ".tap\n").c_str()));
}

/* Starts the converter with the signals it may catch at their defaults and
 * standard output on `out`; its process id. */
pid_t start_drelvo(const std::vector<std::string> &args, int out)
{
    std::vector<char *> argv;
    std::string program = drelvo_path();
    argv.push_back(program.data());
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaddset(&defaults, s);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return pid;
}

bool has_aside(const std::string &path)
{
    for (const auto &[name, text] : listing(path))
        if (name.rfind("drelvo-", 0) == 0)
            return true;
    return false;
}

/* An interrupt, a termination request or a hang-up while a program is
 * being written removes the file aside, and the process ends by the signal. */
TEST(DrillProgram, SignalsLeaveNoFileAside)
{
    for (const char *style : {"szünet", "fájlonként"})
        for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
            SCOPED_TRACE(std::string(style) + ", signal " + std::to_string(signal_number));
            temp_dir dir;
            write_file(dir.file("big.drl"), "M48\nMETRIC\nT1C0.5\nT2C0.6\n%\nT1\nX0Y0\nR999999X0.001\nT2\nX0Y1.0\n"
                                            "R999999X0.001\nM30\n");
            int null_out = open("/dev/null", O_WRONLY);
            pid_t pid = start_drelvo({dir.file("big.drl"), "-t", cp1250(style)}, null_out);
            close(null_out);
            for (int wait = 0; wait < 20000 && !has_aside(dir.path); wait++)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            kill(pid, signal_number);
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
            std::map<std::string, std::string> left = listing(dir.path);
            left.erase("big.drl");
            EXPECT_TRUE(left.empty()) << left.begin()->first;
        }
}

/* A summary that cannot be written (its reader gone) does not stop the run,
 * and the status says it. */
TEST(DrillProgram, ASummaryNobodyReadsIsAFailureNotAnEnd)
{
    temp_dir dir;
    write_file(dir.file("board.drl"), two_bits_drl);
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    close(pipe_ends[0]);
    pid_t pid = start_drelvo({dir.file("board.drl"), "-t", cp1250("fájlonként")}, pipe_ends[1]);
    close(pipe_ends[1]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(read_file(dir.file("board.drl.T1.tap")), alone(small_holes));
    EXPECT_EQ(read_file(dir.file("board.drl.T2.tap")), alone(large_holes));
}

/* Repeat codes that ask for more hits than memory holds end the run with a
 * diagnostic and an empty program, not a crash. */
TEST(DrillProgram, MemoryRunningOutIsADiagnostic)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#endif
    temp_dir dir;
    std::string text = "M48\nMETRIC\nT1C0.5\n%\nT1\nX0Y0\n";
    for (int i = 0; i < 40; i++)
        text += "R999999X0.001\n";
    write_file(dir.file("huge.drl"), text + "M30\n");
    run_result run = run_program({"/bin/sh", "-c", "ulimit -v 400000 && exec \"$0\" huge.drl", drelvo_path()},
                                 dir.path, 60);
    EXPECT_EQ(run.status, 1);
    const std::string message = cp1250("(): \"Kevés a memória a fúrófájl furataihoz.\"\n");
    EXPECT_EQ(run.err.rfind("drill_run.cpp, convert_excellon.", 0), 0u) << run.err;
    EXPECT_TRUE(run.err.size() > message.size() && run.err.compare(run.err.size() - message.size(), message.size(),
                                                                  message) == 0) << run.err;
    EXPECT_EQ(read_file(dir.file("huge.drl.tap")), "");
}

}  // namespace
