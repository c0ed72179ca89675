/* driver_drill_test.cpp - drill files (Excellon) through the whole
 * converter: one bit gives exactly the program of a Gerber file of the same
 * holes, several bits the three tool-change styles, and the per-bit files
 * replace those an earlier run left. */
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <sys/stat.h>
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

std::map<std::string, std::string> files_of(const temp_dir &dir, const std::vector<std::string> &names)
{
    std::map<std::string, std::string> files;
    for (const std::string &name : names)
        if (file_exists(dir.file(name)))
            files[name] = read_file(dir.file(name));
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
        EXPECT_EQ(files_of(dir, {"board.drl.tap", "board.drl.T1.tap", "board.drl.T2.tap", "board.drl.T3.tap"}),
                  expected);
    }
}

/* Per-bit files an earlier run left go, whatever their number; other files
 * stay. A name that cannot be replaced stops the run with status 1: the
 * files written before it are complete, and no file is left half written. */
TEST(DrillProgram, PerBitFilesReplaceAnEarlierRunsFiles)
{
    temp_dir dir;
    write_file(dir.file("board.drl"), two_bits_drl);
    const std::vector<std::string> kept = {"board.drl.tap", "board.drl.T7.tap.bak", "board.drl.Tx.tap",
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

    ASSERT_EQ(mkdir(dir.file("blocked").c_str(), 0755), 0);
    write_file(dir.file("blocked/board.drl"), two_bits_drl);
    ASSERT_EQ(mkdir(dir.file("blocked/board.drl.T2.tap").c_str(), 0755), 0);
    run = run_drelvo({"blocked/board.drl", "-t", "fájlonként"}, dir.path);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, cp1250("Nem sikerült elkészíteni a fájlt: blocked/board.drl.T2.tap\n"));
    EXPECT_EQ(read_file(dir.file("blocked/board.drl.T1.tap")), alone(small_holes));
    EXPECT_EQ(run_program({"/bin/sh", "-c", "ls blocked | grep -c tmp"}, dir.path).out, "0\n");
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
