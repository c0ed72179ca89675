/* writer_test.cpp - the G-code writer's print_bores on hand-built hole lists: units, truncation,
 * precision, the tour and the file's line ends; the program file that takes
 * its name only when finished. */
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "holes/bore.h"
#include "holes/d_list.h"
#include "writing/program_file.h"
#include "test_support.h"
#include "system/tools.h"
#include "writing/gcode_writer.h"
#include "writing/output_buffer.h"

namespace {

struct point {
    double x, y;
};

/* The settings of a run, as the driver leaves them after its checks. */
struct run_settings {
    bool inch = false;
    bool left = false;
    unsigned speed = 1000;
    double feed = 400.0, neutral_height = 2.0, depth = 2.0;
};

program_style style_of(const run_settings &s)
{
    return {s.inch, s.inch ? 6 : 5, s.speed, s.left, s.feed, s.neutral_height, s.depth, s.neutral_height, 0, 0};
}

/* The hole list of a test. */
d_list *bores = nullptr;

/* Builds `bores` from the centres, orders it and writes the program to a
 * text file; returns the file's content. */
std::string write_program(const run_settings &s, const std::vector<point> &holes)
{
    bores = new_bores();
    for (const point &p : holes) {
        bore *b = append_bore(bores);
        b->x = p.x;
        b->y = p.y;
    }
    bore *first = tour_start(bores);
    temp_dir dir;
    int fd = open(dir.file("out.tap").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    set_text_mode(fd);
    print_bores(fd, style_of(s), bores, first);
    close_file(fd);
    return read_file(dir.file("out.tap"));
}

void free_bores()
{
    d_list_free(bores);
    bores = nullptr;
}

std::string lines(const std::vector<std::string> &each)
{
    std::string text;
    for (const std::string &line : each)
        text += line + "\r\n";
    return text;
}

TEST(PrintBores, WholePrograms)
{
    struct row {
        const char *name;
        run_settings s;
        std::vector<point> holes;
        std::vector<std::string> program;
    };
    const row rows[] = {
        {"one hole, defaults", {}, {{0, 0}},
         {"G90", "G21", "F400.00000", "G0 Z2.00000", "S1000", "M3", "X0.00000 Y0.00000", "G1 Z-2.00000",
          "G0 Z2.00000", "X0.00000 Y0.00000", "M5", "M2"}},
        {"two holes, nearest the origin first", {}, {{30, 4.5}, {1.25, 2}},
         {"G90", "G21", "F400.00000", "G0 Z2.00000", "S1000", "M3", "X1.25000 Y2.00000", "G1 Z-2.00000",
          "G0 Z2.00000", "X30.00000 Y4.50000", "G1 Z-2.00000",
          "G0 Z2.00000", "X0.00000 Y0.00000", "M5", "M2"}},
        {"whole millimetres of feed, height and depth", {false, false, 1000, 400.7, 2.9, 2.9}, {{5, 5}},
         {"G90", "G21", "F400.00000", "G0 Z2.00000", "S1000", "M3", "X5.00000 Y5.00000", "G1 Z-2.00000",
          "G0 Z2.00000", "X0.00000 Y0.00000", "M5", "M2"}},
        {"inches, left turn", {true, true, 30000, 400.0, 2.0, 2.0}, {{12.7, 25.4}},
         {"G90", "G20", "F15.748031", "G0 Z0.078740", "S30000", "M4", "X0.500000 Y1.000000", "G1 Z-0.078740",
          "G0 Z0.078740", "X0.000000 Y0.000000", "M5", "M2"}},
        {"inches of whole millimetres", {true, false, 1, 1000.0, 10.0, 9.99}, {{0.127, 0}},
         {"G90", "G20", "F39.370079", "G0 Z0.393701", "S1", "M3", "X0.005000 Y0.000000", "G1 Z-0.354331",
          "G0 Z0.393701", "X0.000000 Y0.000000", "M5", "M2"}},
        {"fractions of hole positions kept", {false, true, 12000, 250.0, 5.0, 1.0}, {{12.7, 0.00001}},
         {"G90", "G21", "F250.00000", "G0 Z5.00000", "S12000", "M4", "X12.70000 Y0.00001", "G1 Z-1.00000",
          "G0 Z5.00000", "X0.00000 Y0.00000", "M5", "M2"}},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        std::string text = write_program(r.s, r.holes);
        EXPECT_EQ(text, lines(r.program));
        EXPECT_EQ((size_t)std::count(text.begin(), text.end(), '\n'), 9 + 3 * r.holes.size());
        free_bores();
    }
}

TEST(PrintBores, EveryHoleOnceInTourOrder)
{
    /* listed out of order; two share a centre and are drilled one after the other */
    std::string text = write_program({}, {{5, 5}, {1, 1}, {2, 2}, {9, 0}, {2, 2}, {0, 9}});
    std::vector<std::string> moves;
    size_t pos = 0;
    while ((pos = text.find("\nX", pos)) != std::string::npos) {
        size_t end = text.find('\r', pos);
        moves.push_back(text.substr(pos + 1, end - pos - 1));
        pos = end;
    }
    const std::vector<std::string> tour = {"X1.00000 Y1.00000", "X2.00000 Y2.00000", "X2.00000 Y2.00000",
                                           "X5.00000 Y5.00000", "X9.00000 Y0.00000", "X0.00000 Y9.00000",
                                           "X0.00000 Y0.00000"};
    EXPECT_EQ(moves, tour);
    for (int32_t i = 0; i < bores->count; i++)
        EXPECT_EQ(((bore *)d_list_get_idx_node(bores, i)->data)->drilled, 1) << i;
    free_bores();
}

[[noreturn]] void throw_status(int status)
{
    throw std::runtime_error("fatal " + std::to_string(status));
}

TEST(PrintBores, NoNextHoleIsADiagnostic)
{
    bores = new_bores();
    for (double x : {1.0, 2.0}) {
        bore *b = append_bore(bores);
        b->x = x;
    }
    bore *first = tour_start(bores);
    ((bore *)d_list_get_idx_node(bores, 1)->data)->drilled = 1;  /* nothing left to find */

    temp_dir dir;
    int fd = open(dir.file("out.tap").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    set_text_mode(fd);
    fflush(stderr);
    int saved_err = dup(STDERR_FILENO);
    FILE *err = freopen(dir.file("err").c_str(), "w", stderr);
    ASSERT_NE(err, nullptr);
    fatal_handler_fn previous = set_fatal_handler(throw_status);
    EXPECT_THROW(print_bores(fd, style_of(run_settings{}), bores, first), std::runtime_error);
    set_fatal_handler(previous);
    fflush(stderr);
    dup2(saved_err, STDERR_FILENO);
    close(saved_err);
    close_file(fd);

    EXPECT_EQ(read_file(dir.file("err")), "main.cpp, print_bores.240(): \"br=NULL\"\n");
    /* the lines written so far stay */
    EXPECT_EQ(read_file(dir.file("out.tap")),
              lines({"G90", "G21", "F400.00000", "G0 Z2.00000", "S1000", "M3", "X1.00000 Y0.00000", "G1 Z-2.00000"}));
    free_bores();
}

/* The program file takes its name only when finished; a name that has
 * become a directory meanwhile is reported, a diagnostic leaves an empty
 * file, and neither leaves the file written aside behind. */
TEST(ProgramFile, TakesItsNameOnlyWhenFinished)
{
    enum ending { finished, name_taken_by_directory, diagnostic };
    struct row {
        const char *name;
        ending how;
        bool result;
        const char *at_name;   /* the file's content afterwards; null: still the directory */
        const char *err;
    };
    const row rows[] = {
        {"finished", finished, true, "G90\r\nM2\r\n", ""},
        {"name taken by a directory", name_taken_by_directory, false, nullptr,
         "Nem sikerült elkészíteni a fájlt: %s\n"},
        {"diagnostic", diagnostic, false, "", "writer_test.cpp, TestBody.1(): \"any check\"\n"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        temp_dir dir;
        const std::string name = dir.file("board.gbr.tap");
        write_file(name, "old program\r\n");
        int fd = open_program_file(name.c_str());
        ASSERT_GE(fd, 0);
        message(fd, "G90\nM2\n");
        EXPECT_EQ(read_file(name), "old program\r\n");
        if (r.how == name_taken_by_directory) {
            ASSERT_EQ(unlink(name.c_str()), 0);
            ASSERT_EQ(mkdir(name.c_str(), 0755), 0);
        }

        testing::internal::CaptureStderr();
        bool result = false;
        if (r.how == diagnostic) {
            fatal_handler_fn previous = set_fatal_handler(throw_status);
            EXPECT_THROW(fatal_error_n(1, "any check"), std::runtime_error);
            set_fatal_handler(previous);
        } else {
            result = finish_program_file();
        }
        std::string err = testing::internal::GetCapturedStderr();

        EXPECT_EQ(result, r.result);
        std::string expected_err = cp1250(r.err);
        size_t placeholder = expected_err.find("%s");
        if (placeholder != std::string::npos)
            expected_err.replace(placeholder, 2, name);
        EXPECT_EQ(err, expected_err);
        if (r.at_name == nullptr) {
            struct stat st;
            EXPECT_TRUE(stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
        } else {
            EXPECT_EQ(read_file(name), r.at_name);
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 1)
            << "the file written aside is gone";
    }
}

}  // namespace
