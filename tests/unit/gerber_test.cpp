/* The Gerber reader over small texts: the holes and sections it builds, the
 * format state it keeps, and every diagnostic with its line and function. */
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <set>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

#include "holes/bore.h"
#include "reading/gerber.h"
#include "reading/line_input.h"
#include "test_support.h"
#include "system/tools.h"

namespace {

struct fatal_exit {
    int status;
};

void throwing_handler(int status) { throw fatal_exit{status}; }

struct seg {
    double x1, y1, x2, y2;
};
seg flash(double x, double y) { return {x, y, x, y}; }

typedef std::vector<std::vector<seg>> holes_t;

struct outcome {
    int status = 0;         /* gerber's result, when it returned */
    bool fatal = false;     /* a diagnostic ended the reading */
    int fatal_status = 0;
    std::string err;        /* everything written to stderr */
    holes_t holes;
    gerber_format_t format;   /* as the reading ended */
};

holes_t collect_holes(d_list *list)
{
    holes_t holes;
    for (d_list_node *node = list->first; node != nullptr; node = node->next) {
        bore *hole = (bore *)node->data;
        std::vector<seg> sections;
        if (hole->sections != nullptr)
            for (d_list_node *s = hole->sections->first; s != nullptr; s = s->next) {
                section *sec = (section *)s->data;
                sections.push_back({sec->x1, sec->y1, sec->x2, sec->y2});
            }
        holes.push_back(sections);
    }
    return holes;
}

outcome read_fd(int fd, int int_digits)
{
    outcome result;
    d_list *list = new_bores_on(BORE_REFERENCE);   /* the path that keeps the sections */
    testing::internal::CaptureStderr();
    try {
        result.status = gerber_read(list, fd, int_digits, &result.format);
    } catch (const fatal_exit &e) {
        result.fatal = true;
        result.fatal_status = e.status;
    }
    result.err = testing::internal::GetCapturedStderr();
    result.holes = collect_holes(list);
    d_list_free(list);
    return result;
}

outcome read_gerber(const std::string &text, int int_digits = 2)
{
    input_file in("in.gbr", text);
    EXPECT_GE(in.fd, 0);
    return read_fd(in.fd, int_digits);
}

std::string crlf(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

bool near(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b)); }

::testing::AssertionResult same_holes(const holes_t &got, const holes_t &expected)
{
    auto describe = [](const holes_t &holes) {
        std::string s;
        for (const auto &hole : holes) {
            s += "[";
            for (const seg &g : hole)
                s += " (" + std::to_string(g.x1) + "," + std::to_string(g.y1) + ")-(" + std::to_string(g.x2) + "," +
                     std::to_string(g.y2) + ")";
            s += " ]";
        }
        return s;
    };
    bool same = got.size() == expected.size();
    for (size_t h = 0; same && h < got.size(); h++) {
        same = got[h].size() == expected[h].size();
        for (size_t i = 0; same && i < got[h].size(); i++) {
            const seg &a = got[h][i], &b = expected[h][i];
            same = near(a.x1, b.x1) && near(a.y1, b.y1) && near(a.x2, b.x2) && near(a.y2, b.y2);
        }
    }
    if (same)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << describe(got) << "\nexpected " << describe(expected);
}

class Reader : public ::testing::Test {
protected:
    fatal_handler_fn previous = nullptr;
    void SetUp() override
    {
        previous = set_fatal_handler(throwing_handler);
    }
    void TearDown() override
    {
        set_fatal_handler(previous);
    }
};

const std::string MM = "%MOMM*%\n";

struct hole_case {
    const char *name;
    std::string text;
    int int_digits;
    holes_t expected;
};

void check_holes(const hole_case &c, const std::string &text)
{
    outcome r = read_gerber(text, c.int_digits);
    EXPECT_FALSE(r.fatal) << c.name << ": " << r.err;
    EXPECT_EQ(r.status, LINE_EOF) << c.name;
    EXPECT_TRUE(same_holes(r.holes, c.expected)) << c.name;
}

const std::vector<hole_case> &hole_cases()
{
    static const std::vector<hole_case> cases = {
        {"empty file", "", 2, {}},
        {"flash in inches", "%FSLAX24Y24*%\n%MOIN*%\nD10*\nX10000Y20000D03*\nM02*\n", 2, {{flash(25.4, 50.8)}}},
        {"nothing acts before arming", "%FSLAX24Y24*%\n%MOIN*%\nX10000Y20000D03*\nM02*\n", 2, {}},
        {"two flashes at one point", MM + "D10*\nX10000Y10000D03*\nX10000Y10000D03*\n", 2,
         {{flash(1, 1), flash(1, 1)}}},
        {"stroke and flash sharing an end", MM + "D10*\nX0Y0D02*\nX10000Y0D01*\nX10000Y0D03*\n", 2,
         {{{0, 0, 1, 0}, flash(1, 0)}}},
        {"crossing strokes stay apart", MM + "D10*\nX0Y0D02*\nX20000Y20000D01*\nX0Y20000D02*\nX20000Y0D01*\n", 2,
         {{{0, 0, 2, 2}}, {{0, 2, 2, 0}}}},
        {"draw before any move", MM + "D10*\nX10000Y10000D01*\n", 2, {{{-1, -1, 1, 1}}}},
        {"coordinates alone repeat the flash", MM + "D10*\nX10000Y0D03*\nX30000*\nY20000*\n", 2,
         {{flash(1, 0)}, {flash(3, 0)}, {flash(3, 2)}}},
        {"D01 in place adds a zero-length section", MM + "D10*\nX0Y0D02*\nX10000D01*\nD01*\n", 2,
         {{{0, 0, 1, 0}, flash(1, 0)}}},
        {"D0 and D4 keep the mode", MM + "D10*\nX10000Y0D03*\nX20000D04*\nX30000D00*\n", 2,
         {{flash(1, 0)}, {flash(2, 0)}, {flash(3, 0)}}},
        {"unit switches mid-file", "D10*\nG71X10000Y0D03*\nG70X10000D03*\nG21X20000D03*\nG20X20000D03*\n", 2,
         {{flash(1, 0)}, {flash(25.4, 0)}, {flash(2, 0)}, {flash(50.8, 0)}}},
        {"G04 disarms, D10 re-arms", MM + "D10*\nX10000Y0D03*\nG04 a comment*\nX20000Y0D03*\nX30000Y0D10*\n", 2,
         {{flash(1, 0)}, {flash(3, 0)}}},
        {"G04 disarms, G01 re-arms", MM + "D10*\nX10000Y0D03*\nG04*\nX20000Y0D03*\nG01X30000Y0D03*\n", 2,
         {{flash(1, 0)}, {flash(3, 0)}}},
        {"G01 arms, G1 reads as G10 and disarms", MM + "G01*\nX10000Y0D03*\nG1*\nX20000Y0D03*\n", 2, {{flash(1, 0)}}},
        {"G00 G02 G03 G54 arm", MM + "G00X10000Y0D03*\nG04*\nG02X20000D03*\nG04*\nG03X30000D03*\nG04*\nG54X40000D03*\n",
         2, {{flash(1, 0)}, {flash(2, 0)}, {flash(3, 0)}, {flash(4, 0)}}},
        {"G74 G75 do not arm", MM + "G74X10000Y0D03*\nG75X20000Y0D03*\n", 2, {}},
        {"M codes: 2 disarms, others are skipped", MM + "D10*\nX10000Y0D03*\nM05*\nX20000D03*\nM02*\nX30000D03*\n", 2,
         {{flash(1, 0), flash(1, 0)}, {flash(2, 0)}}},
        {"M00 disarms", MM + "D10*\nX10000Y0D03*\nM00*\nX30000D03*\n", 2, {{flash(1, 0)}}},
        {"M01 disarms", MM + "D10*\nX10000Y0D03*\nM01*\nX30000D03*\n", 2, {{flash(1, 0)}}},
        {"M30 disarms", MM + "D10*\nX10000Y0D03*\nM30*\nX30000D03*\n", 2, {{flash(1, 0)}}},
        {"M60 disarms", MM + "D10*\nX10000Y0D03*\nM60*\nX30000D03*\n", 2, {{flash(1, 0)}}},
        {"reading goes on after M02", MM + "D10*\nX10000Y0D03*\nM02*\nG01X20000Y0D03*\n", 2,
         {{flash(1, 0)}, {flash(2, 0)}}},
        {"a blank skips the rest of the block", MM + "D10*\nX10000Y10000D03*\nX20000 Y50000D02*\n", 2,
         {{flash(1, 1)}, {flash(2, 1)}}},
        {"an unknown letter skips the D code", MM + "D10*\nX0Y0D02*\nX10000Y20000I50J0D01*\n", 2, {}},
        {"leading blanks of a line are skipped", MM + " \t D10*\n  X10000Y0D03*\n", 2, {{flash(1, 0)}}},
        {"a block spans lines", MM + "D10*\nX10000\nY20000\nD03*\n", 2, {{flash(1, 2)}}},
        {"0xFF ends the line", MM + "D10*\nX10000Y0D03*\xff" "X20000Y0D03*\n", 2, {{flash(1, 0)}}},
        {"NUL ends the line", MM + std::string("D10*\nX10000Y0D03*\0X20000Y0D03*\n", 31), 2, {{flash(1, 0)}}},
        {"unknown parameter read past", "%XY12*%\n" + MM + "D10*\nX10000Y0D03*\n", 2, {{flash(1, 0)}}},
        {"macro over several lines read past",
         "%AMOC8*\n5,1,8,0,0,1.08239X$1,22.5*\n%\n%ADD10C,0.8*%\n%LPD*%\n" + MM + "D10*\nX10000Y0D03*\n", 2,
         {{flash(1, 0)}}},
        {"point taken as written, in inches", "D10*\nX12.5Y0.5D03*\n", 2, {{flash(317.5, 12.7)}}},
        {"leading zeros omitted, 2.4", "%FSLAX24Y24*%\n" + MM + "D10*\nX12500Y5D03*\n", 2, {{flash(1.25, 0.0005)}}},
        {"trailing zeros omitted, 2.4", "%FSTAX24Y24*%\n" + MM + "D10*\nX012500Y5D03*\n", 2, {{flash(1.25, 50)}}},
        {"leading zeros omitted, 3.5", "%FSLAX35Y35*%\n" + MM + "D10*\nX12500Y5D03*\n", 2, {{flash(0.125, 0.00005)}}},
        {"trailing zeros omitted, 3.5", "%FSTAX35Y35*%\n" + MM + "D10*\nX012500Y5D03*\n", 2, {{flash(12.5, 500)}}},
        {"starting digits from the caller", "%FSTA*%\n" + MM + "G01X123Y45D03*\n", 3, {{flash(123, 450)}}},
        {"G codes ignore the starting digits", MM + "G01X10000Y0D03*\n", 5, {{flash(1, 0)}}},
        {"format statement overrides the starting digits", "%FSTAX24Y24*%\n" + MM + "G01X123Y45D03*\n", 5,
         {{flash(12.3, 45)}}},
        {"starting digits unused with leading zeros omitted", MM + "G01X10000Y20000D03*\n", 5, {{flash(1, 2)}}},
        {"offsets in absolute notation", "%OFA1.0B2.0*%\n" + MM + "D10*\nX10000Y10000D03*\n", 2, {{flash(2, 3)}}},
        {"offset without a point", "%OFA1B0*%\n" + MM + "D10*\nX10000Y0D03*\n", 2, {{flash(10001, 0)}}},
        {"scales with the default axes", MM + "%OFA1.0B2.0*%\n%SFA2.0B3.0*%\nD10*\nX10000Y10000D03*\n", 2,
         {{flash(4, 9)}}},
        {"scales with swapped axes", MM + "%ASAYBX*%\n%OFA1.0B2.0*%\n%SFA2.0B3.0*%\nD10*\nX10000Y10000D03*\n", 2,
         {{flash(9, 4)}}},
        {"scale with an exponent and a sign", MM + "%SFA1e1B-0.5*%\nD10*\nX10000Y10000D03*\n", 2,
         {{flash(10, -0.5)}}},
        {"incremental starts from the offsets", "%FSLIX24Y24*%\n%OFA1.0B2.0*%\nG01*\nX1000D03*\nX1000D03*\n", 2,
         {{flash(3.54, 2.0)}, {flash(6.08, 2.0)}}},
        {"incremental takes the offsets only at the first motion",
         "%FSLIX24Y24*%\n" + MM + "%OFA1.0B2.0*%\nG01*\nX1000D03*\nG01*\nX1000Y1000D03*\n", 2,
         {{flash(1.1, 2.0), flash(1.1, 2.0)}, {flash(1.2, 2.1)}}},
        {"incremental scaled", "%FSLIX24Y24*%\n" + MM + "%SFA2*%\nG01X10000D03*\n", 2, {{flash(2, 0)}}},
        /* Only the first 126 digits count: 0.00...01 shifted by 122 places; the
         * 127th digit skips the rest of the block, and D03 stays in force. */
        {"more than 126 digits", MM + "D10*\nX10000Y0D03*\nX" + std::string(125, '0') + "15Y20000D03*\n", 2,
         {{flash(1, 0)}, {flash(1e-4, 0)}}},
    };
    return cases;
}

TEST_F(Reader, HolesFromStrokesAndFlashes)
{
    for (const auto &c : hole_cases())
        check_holes(c, c.text);
}

/* CR LF files read exactly as LF files, also when a CR LF falls on a chunk edge. */
TEST_F(Reader, CrLfReadsLikeLf)
{
    for (const auto &c : hole_cases())
        check_holes(c, crlf(c.text));
    hole_case padded = {"CR LF on a chunk edge", "", 2, {{flash(1, 0)}}};
    std::string comment = "G04" + std::string(251, 'c') + "*";   /* 255 bytes: its CR ends a chunk */
    check_holes(padded, crlf(comment + "\n" + MM + "D10*\nX10000Y0D03*\n"));
}

TEST_F(Reader, FormatState)
{
    const gerber_format_t start = read_gerber("").format;   /* 2.4, leading, absolute, inch */
    struct {
        const char *text;
        int int_digits;
        void (*change)(gerber_format_t &);
    } cases[] = {
        {"", 5, [](gerber_format_t &f) { f.x_int_digits = f.y_int_digits = 5; }},
        {"%FSLAX24Y24*%\n", 3, [](gerber_format_t &f) { f.x_int_digits = f.y_int_digits = 2; }},
        {"%FSTIX35Y46*%\n", 2,
         [](gerber_format_t &f) {
             f.trailing_zeros = f.incremental = true;
             f.x_int_digits = 3, f.x_dec_digits = 5, f.y_int_digits = 4, f.y_dec_digits = 6;
         }},
        {"%FSTIX35*FSLA*%\n", 2, [](gerber_format_t &f) { f.x_int_digits = 3, f.x_dec_digits = 5; }},
        {"%FSLAX7Y123*%\n", 2,
         [](gerber_format_t &f) { f.x_int_digits = 0, f.x_dec_digits = 7, f.y_int_digits = 12, f.y_dec_digits = 3; }},
        {"%FSLAD02G01M1N5X 33Y-24*%\n", 2,
         [](gerber_format_t &f) { f.x_int_digits = 3, f.x_dec_digits = 3, f.y_int_digits = -2, f.y_dec_digits = -4; }},
        {"%FS\nT\n X13\nY31*%\n", 2,
         [](gerber_format_t &f) {
             f.trailing_zeros = true;
             f.x_int_digits = 1, f.x_dec_digits = 3, f.y_int_digits = 3, f.y_dec_digits = 1;
         }},
        {"%MOMM*%\n", 2, [](gerber_format_t &f) { f.unit = UNIT_MM; }},
        {"%MOMM*MOIN*%\n", 2, [](gerber_format_t &) {}},
        {"G71*\n", 2, [](gerber_format_t &f) { f.unit = UNIT_MM; }},
        {"G21*\n", 2, [](gerber_format_t &f) { f.unit = UNIT_MM; }},
        {"%MOMM*%\nG70*\n", 2, [](gerber_format_t &) {}},
        {"%MOMM*%\nG20*\n", 2, [](gerber_format_t &) {}},
        {"%OFA1.5B0.25*%\n", 2, [](gerber_format_t &f) { f.offset_a = 1.5, f.offset_b = 0.25; }},
        {"%OFA1B02*%\n", 2, [](gerber_format_t &f) { f.offset_a = 10000, f.offset_b = 2000; }},
        {"%SFA0.5B-2*%\n", 2, [](gerber_format_t &f) { f.scale_a = 0.5, f.scale_b = -2; }},
        {"%SFA 1.5e1B.5*%\n", 2, [](gerber_format_t &f) { f.scale_a = 15, f.scale_b = 0.5; }},
        {"%ASAYBX*%\n", 2, [](gerber_format_t &f) { f.x_source = 'B', f.y_source = 'A'; }},
        {"%ASBXBY*%\n", 2, [](gerber_format_t &f) { f.x_source = 'B', f.y_source = 'B'; }},
    };
    for (const auto &c : cases) {
        outcome r = read_gerber(c.text, c.int_digits);
        ASSERT_FALSE(r.fatal) << c.text << r.err;
        gerber_format_t expected = start;
        expected.x_int_digits = expected.y_int_digits = c.int_digits;
        c.change(expected);
        const gerber_format_t &f = r.format;
        EXPECT_EQ(f.x_int_digits, expected.x_int_digits) << c.text;
        EXPECT_EQ(f.x_dec_digits, expected.x_dec_digits) << c.text;
        EXPECT_EQ(f.y_int_digits, expected.y_int_digits) << c.text;
        EXPECT_EQ(f.y_dec_digits, expected.y_dec_digits) << c.text;
        EXPECT_EQ(f.trailing_zeros, expected.trailing_zeros) << c.text;
        EXPECT_EQ(f.incremental, expected.incremental) << c.text;
        EXPECT_EQ(f.unit, expected.unit) << c.text;
        EXPECT_DOUBLE_EQ(f.offset_a, expected.offset_a) << c.text;
        EXPECT_DOUBLE_EQ(f.offset_b, expected.offset_b) << c.text;
        EXPECT_DOUBLE_EQ(f.scale_a, expected.scale_a) << c.text;
        EXPECT_DOUBLE_EQ(f.scale_b, expected.scale_b) << c.text;
        EXPECT_EQ(f.x_source, expected.x_source) << c.text;
        EXPECT_EQ(f.y_source, expected.y_source) << c.text;
    }
}

TEST_F(Reader, EachReadingStartsFromTheStartingFormat)
{
    read_gerber("%FSTIX35Y35*%\n%MOMM*%\n%OFA1B2*%\n%SFA2B3*%\n%ASAYBX*%\n");
    const gerber_format_t f = read_gerber("").format;
    EXPECT_EQ(f.x_int_digits, 2);
    EXPECT_EQ(f.x_dec_digits, 4);
    EXPECT_EQ(f.y_int_digits, 2);
    EXPECT_EQ(f.y_dec_digits, 4);
    EXPECT_FALSE(f.trailing_zeros);
    EXPECT_FALSE(f.incremental);
    EXPECT_EQ(f.unit, UNIT_INCH);
    EXPECT_EQ(f.offset_a, 0.0);
    EXPECT_EQ(f.offset_b, 0.0);
    EXPECT_EQ(f.scale_a, 1.0);
    EXPECT_EQ(f.scale_b, 1.0);
    EXPECT_EQ(f.x_source, 'A');
    EXPECT_EQ(f.y_source, 'B');
}

TEST(GetNumber, Decoding)
{
    struct {
        const char *text;
        int int_digits, dec_digits;
        int result;
        double value;
        int pos_after;   /* cursor afterwards; -1: not relied on */
    } cases[] = {
        {"012500Y", 2, 0, 0, 1.25, 6},
        {"12500Y", 0, 4, 0, 1.25, 5},
        {"12500Y", 2, 4, 0, 12.5, 5},   /* only the aligned side counts */
        {"01*", 2, 0, 0, 1, 2},
        {"1*", 2, 0, 0, 10, 1},
        {"1.5*", 2, 0, 0, 1.5, 3},
        {"12.5", 0, 4, 0, 12.5, 4},
        {".5", 0, 4, 0, 0.5, 2},
        {"3.", 0, 4, 0, 3, 2},
        {"5", 0, 0, -1, 0, -1},
        {"1.2.3", 2, 0, -1, 0, -1},
        {".", 2, 0, -1, 0, -1},
        {"-100", 0, 4, -1, 0, 0},
        {"*", 2, 0, -1, 0, 0},
        {"", 2, 0, -1, 0, 0},
        {"12\xff" "34", 0, 1, 0, 1.2, 3},   /* 0xFF ends the number and is consumed */
    };
    for (const auto &c : cases) {
        temp_dir dir;
        write_file(dir.file("n"), std::string(c.text) + "\n");
        int fd = open(dir.file("n").c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        load_line(fd);
        close(fd);
        double value = -999;
        EXPECT_EQ(get_number(&value, c.int_digits, c.dec_digits), c.result) << c.text;
        if (c.result == 0) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
        if (c.pos_after >= 0) {
            EXPECT_EQ(line_pos, c.pos_after) << c.text;
        }
    }
}

/* Digits without a point decode exactly as the fraction 0.d1d2... read by
 * strtod and scaled by pow(10, ...): same bits, whatever the digits' count. */
TEST(GetNumber, DigitsAsStrtodAndPowDecodeThem)
{
    std::mt19937 random(25);
    std::string text;
    std::vector<std::string> numbers;
    for (int i = 0; i < 5000; i++) {
        std::string digits;
        for (int n = 1 + (int)(random() % 20); n > 0; n--)
            digits += (char)('0' + random() % 10);
        numbers.push_back(digits);
        text += digits + "\n";
    }
    temp_dir dir;
    write_file(dir.file("n"), text);
    int fd = open(dir.file("n").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    for (size_t i = 0; i < numbers.size(); i++) {
        ASSERT_GE(load_line(fd), 0);
        int int_digits = i % 2 ? 0 : 1 + (int)(i % 6), dec_digits = 1 + (int)(i % 7);
        double value = -999;
        ASSERT_EQ(get_number(&value, int_digits, dec_digits), 0) << numbers[i];
        double fraction = strtod(("0." + numbers[i]).c_str(), nullptr);
        double expected = fraction * pow(10.0, int_digits > 0 ? int_digits : (int)numbers[i].size() - dec_digits);
        EXPECT_EQ(memcmp(&value, &expected, sizeof value), 0) << numbers[i] << " " << int_digits << " " << dec_digits;
    }
    close(fd);
    forget_input();
}

/* "<file>, <function>.<line>(): <quoted message>\n", the line number left open. */
struct diagnostic {
    std::string file, function, message;
    int line = -1;
};

bool parse_diagnostic(const std::string &err, diagnostic *d)
{
    size_t comma = err.find(", ");
    size_t open = err.find("(): ");
    if (comma == std::string::npos || open == std::string::npos || err.empty() || err.back() != '\n')
        return false;
    size_t dot = err.rfind('.', open);
    if (dot == std::string::npos || dot < comma || dot + 1 >= open)
        return false;
    d->file = err.substr(0, comma);
    d->function = err.substr(comma + 2, dot - comma - 2);
    std::string digits = err.substr(dot + 1, open - dot - 1);
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    d->line = std::stoi(digits);
    d->message = err.substr(open + 4, err.size() - open - 5);
    return true;
}

struct diagnostic_case {
    const char *name;
    std::string text;
    const char *function;
    const char *message;   /* as printed, between the quotation marks */
};

void check_diagnostic(const outcome &r, const char *name, const char *function, const char *message)
{
    EXPECT_TRUE(r.fatal) << name;
    EXPECT_EQ(r.fatal_status, 1) << name;
    diagnostic d;
    ASSERT_TRUE(parse_diagnostic(r.err, &d)) << name << ": " << r.err;
    EXPECT_EQ(d.file, "gerber.cpp") << name;
    EXPECT_EQ(d.function, function) << name;
    EXPECT_GT(d.line, 0) << name;
    EXPECT_EQ(d.message, cp1250((std::string("\"") + message + "\"").c_str())) << name;
}

TEST_F(Reader, SyntaxDiagnostics)
{
    const std::string G04 = "G04 first*\n";
    diagnostic_case cases[] = {
        {"1: D code without its star", G04 + "D01\n", "gerber", "A fájl 2. sorában az '0' utasítás végén nincs '*' karakter.\\n"},
        {"1: unknown letter without a star", "X10000\nI50J0\n", "gerber", "A fájl 2. sorában az 'I' utasítás végén nincs '*' karakter.\\n"},
        {"2: M code without its star", G04 + G04 + "M05\n", "gerber", "A fájl 3. sorában az M5 végén nincs '*' karakter.\\n"},
        {"3: unknown parameter without a star", G04 + "%XY12\n", "get_parm", "A fájl 2. sorának végén nincs '*' karakter.\\n"},
        {"4: skipped parameter without a star", "%ADD10C,0.8\n", "get_parm", "A fájl 1. sorában a(z) <AD> utasítás végén nincs '*' karakter.\\n"},
        {"4: named by its code", "%FSLAX24Y24*\nSRX2Y2\n", "get_parm", "A fájl 2. sorában a(z) <SR> utasítás végén nincs '*' karakter.\\n"},
        {"5: signed X", G04 + "X-100Y100D03*\n", "gerber", "A fájl 2. sorában hibás az 'X' koordináta.\\n"},
        {"5: X without digits", "X*\n", "gerber", "A fájl 1. sorában hibás az 'X' koordináta.\\n"},
        /* 10^6 mm is as far as a point may lie; the block end refuses it. */
        {"5: X out of reach", MM + "D10*\nX10000000000D03*\nX10000000001D03*\n", "gerber",
         "A fájl 4. sorában hibás az 'X' koordináta.\\n"},
        {"6: Y out of reach", MM + "D10*\nY1" + std::string(12, '0') + "D02*\n", "gerber",
         "A fájl 3. sorában hibás az 'Y' koordináta.\\n"},
        {"6: Y scaled to infinity", MM + "%SFB1e308*%\nD10*\nY20000D03*\n", "gerber",
         "A fájl 4. sorában hibás az 'Y' koordináta.\\n"},
        {"6: Y with two points", "X1Y1.2.3*\n", "gerber", "A fájl 1. sorában hibás az 'Y' koordináta.\\n"},
        {"6: Y with too few digits for trailing omission", "%FSTAX24Y04*%\nY1*\n", "gerber", "A fájl 2. sorában hibás az 'Y' koordináta.\\n"},
        {"7: G without a number", G04 + "G*\n", "gerber", "A fájl 2. sorában hibás a 'G' paramétere.\\n"},
        {"8: unknown G without a star", "G36\n", "gerber", "A fájl 1. sorában a G36 végén nincs '*' karakter.\\n"},
        {"8: G1 is G10", "G1\n", "gerber", "A fájl 1. sorában a G10 végén nincs '*' karakter.\\n"},
        {"9: D without a number", "DX*\n", "gerber", "A fájl 1. sorában hibás a 'D' paramétere.\\n"},
        {"10: M without a number", "M*\n", "gerber", "A fájl 1. sorában hibás az 'M' paramétere.\\n"},
        {"11: AS A at the line end", "%ASA\n", "get_parm", "A fájl 1. sorában az <AS> utasítás 'A' paraméterének nincs értéke.\\n"},
        {"12: AS A with a wrong axis", "%ASAZ*%\n", "get_parm", "A fájl 1. sorában az <AS> utasítás 'A' paraméterének hibás az értéke.\\n"},
        {"13: AS B at the line end", "%ASAX\nBY\nB\n", "get_parm", "A fájl 3. sorában az <AS> utasítás 'B' paraméterének nincs értéke.\\n"},
        {"14: AS B with a wrong axis", "%ASBQ*%\n", "get_parm", "A fájl 1. sorában az <AS> utasítás 'B' paraméterének hibás az értéke.\\n"},
        {"15: AS wrong letter", "%ASC*%\n", "get_parm", "A fájl 1. sorában hibás az <AS> paramétere: 'C'\\n"},
        {"16: FS D without a number", "%FSLAD*%\n", "get_parm", "A fájl 1. sorában hibás a(z) 'D' paramétere.\\n"},
        {"16: FS N without a number", "%FSLAX24Y24N*%\n", "get_parm", "A fájl 1. sorában hibás a(z) 'N' paramétere.\\n"},
        {"17: FS X without a number", "%FSLAXY24*%\n", "get_parm", "A fájl 1. sorában hibás az 'X' paramétere.\\n"},
        {"17: FS Y without a number", "%FSLAX24\nY*%\n", "get_parm", "A fájl 2. sorában hibás az 'Y' paramétere.\\n"},
        {"18: MO cut short", "%MOM\n", "get_parm", "A fájl 1. sorában az <MO> utasításnak kevés a paramétere.\\n"},
        {"19: MO unknown unit", "%MOCM*%\n", "get_parm", "A fájl 1. sorában az <MO> utasítás paramétere hibás.\\n"},
        {"19: MO MI", "%MOMI*%\n", "get_parm", "A fájl 1. sorában az <MO> utasítás paramétere hibás.\\n"},
        {"20: OF A signed", "%OFA-1*%\n", "get_parm", "A fájl 1. sorában hibás az 'A' értéke.\\n"},
        {"21: OF B empty", "%OFA0B*%\n", "get_parm", "A fájl 1. sorában hibás az 'B' értéke.\\n"},
        {"22: OF wrong letter", "%OFC0*%\n", "get_parm", "A fájl 1. sorában hibás az <OF> paramétere: 'C'\\n"},
        {"23: SF letter at the line end", "%SFA\n", "get_parm", "A fájl 1. sorában az <SF> utasítás 'A' paraméterének nincs értéke.\\n"},
        {"23: any letter at the line end", "%SFA1\nC\n", "get_parm", "A fájl 2. sorában az <SF> utasítás 'C' paraméterének nincs értéke.\\n"},
        {"24: SF A without a number", "%SFAx*%\n", "get_parm", "A fájl 1. sorában az <SF> utasítás 'A' paraméterének értéke hibás.\\n"},
        {"24: SF B is decimal only", "%SFBinf*%\n", "get_parm", "A fájl 1. sorában az <SF> utasítás 'B' paraméterének értéke hibás.\\n"},
        {"25: SF wrong letter", "%SFC1*%\n", "get_parm", "A fájl 1. sorában hibás az <SF> paramétere: 'C'\\n"},
        {"line numbers count empty lines", "\n\n \n" + MM + "X-1*\n", "gerber", "A fájl 5. sorában hibás az 'X' koordináta.\\n"},
        {"line numbers with lone CR", "G04 c*\rX-1*\r", "gerber", "A fájl 2. sorában hibás az 'X' koordináta.\\n"},
        {"line numbers with CR LF on a chunk edge", "G04" + std::string(251, 'c') + "*\r\nX-1*\r\n", "gerber",
         "A fájl 2. sorában hibás az 'X' koordináta.\\n"},
        {"line too long", G04 + std::string(65536, 'c') + "\n", "gerber", "A fájl 2. sora túl hosszú, legföljebb 65535 bájt lehet.\\n"},
        {"line too long inside a parameter block", "%FSLAX24Y24*\n" + std::string(70000, 'c'), "get_parm",
         "A fájl 2. sora túl hosszú, legföljebb 65535 bájt lehet.\\n"},
    };
    for (const auto &c : cases) {
        check_diagnostic(read_gerber(c.text), c.name, c.function, c.message);
    }
}

/* The longest line the buffer holds is still read. */
TEST_F(Reader, LongestLineIsRead)
{
    outcome r = read_gerber("G04" + std::string(65531, 'c') + "*\n" + MM + "D10*\nX10000Y0D03*\n");
    EXPECT_FALSE(r.fatal) << r.err;
    EXPECT_TRUE(same_holes(r.holes, {{flash(1, 0)}}));
}

/* A character argument is printed as the byte read. */
TEST_F(Reader, DiagnosticNamesTheRawByte)
{
    outcome r = read_gerber("X1\xe9\n");
    EXPECT_TRUE(r.fatal);
    EXPECT_NE(r.err.find(cp1250("az '") + "\xe9" + cp1250("' utasítás")), std::string::npos) << r.err;
}

/* Holes found before a fatal error stay in the list for the caller to free. */
TEST_F(Reader, HolesSurviveADiagnostic)
{
    outcome r = read_gerber(MM + "D10*\nX10000Y0D03*\nX-1*\n");
    EXPECT_TRUE(r.fatal);
    EXPECT_TRUE(same_holes(r.holes, {{flash(1, 0)}}));
}

/* The end of the file inside a parameter block would swallow the rest of a
 * cut file unnoticed: it names the line where the block began. */
TEST_F(Reader, EndOfFileInsideAParameterBlock)
{
    const char *const unclosed = "A fájl %d. sorában kezdődő paraméterblokk nincs lezárva: hiányzik a '%%' karakter.\\n";
    struct {
        std::string text;
        int first_line;
    } cases[] = {
        {MM + "D10*\nX10000Y0D03*\n%FSLAX24Y24*\n", 4},
        {MM + "D10*\nX10000Y0D03*\n%FSLAX24Y24*", 4},
        {MM + "D10*\n%", 3},
        {"%\n\n  \n", 1},
        {MM + "%AMOC8*\n5,1,8,0,0,1.08239X$1,22.5*\n\nM02*\n", 2},
        {"G04 x*\nD10*%MOMM*\n", 2},
    };
    for (const auto &c : cases) {
        char message[200];
        snprintf(message, sizeof message, unclosed, c.first_line);
        check_diagnostic(read_gerber(c.text), c.text.c_str(), "get_parm", message);
    }
}

/* A file without M00, M02 or M30 is read whole but may be cut short: the
 * reader says so when it reaches the end, and goes on. */
TEST_F(Reader, MissingProgramEndIsAWarning)
{
    const std::string warning = cp1250("Figyelem: a fájlban nincs programvége (M02), lehet, hogy csonka.\n");
    const std::string flash_line = MM + "D10*\nX10000Y0D03*\n";
    struct {
        std::string text;
        bool warned;
    } cases[] = {
        {flash_line + "M02*\n", false},
        {flash_line + "M00*\n", false},
        {flash_line + "M30*\n", false},
        {"M02*\n" + flash_line, false},
        {flash_line + "M2*\n", false},
        {flash_line, true},
        {flash_line + "M01*\n", true},
        {flash_line + "M60*\n", true},
        {flash_line + "M05*\n", true},
        {flash_line + "G04 M02*\n", true},
        {"", true},
    };
    for (const auto &c : cases) {
        outcome r = read_gerber(c.text);
        EXPECT_FALSE(r.fatal) << c.text;
        EXPECT_EQ(r.status, LINE_EOF) << c.text;
        EXPECT_EQ(r.err, c.warned ? warning : "") << c.text;
    }
}

/* G numbers without a point are aligned from the left as coordinates are
 * (G1 is G10), but decoded exactly: every two-digit code names itself. */
TEST_F(Reader, GNumbersDecodeExactly)
{
    const std::set<int> table = {0, 1, 2, 3, 54, 20, 70, 21, 71, 74, 75};
    std::vector<std::pair<std::string, int>> cases = {
        {"1", 10}, {"4", 40}, {"199", 19}, {"299", 29}, {"0999999999999999999999", 9}, {"099", 9}, {"57.9", 57},
    };
    for (int g = 0; g < 100; g++) {
        char digits[8];
        snprintf(digits, sizeof digits, "%02d", g);
        if (table.count(g) == 0)
            cases.push_back({digits, g});
    }
    for (const auto &c : cases) {
        char message[100];
        snprintf(message, sizeof message, "A fájl 1. sorában a G%d végén nincs '*' karakter.\\n", c.second);
        check_diagnostic(read_gerber("G" + c.first + "\n"), c.first.c_str(), "gerber", message);
    }
}

TEST_F(Reader, ReadErrorIsReported)
{
    temp_dir dir;   /* reading a directory fails with EISDIR */
    int fd = open(dir.path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    outcome r = read_fd(fd, 2);
    close(fd);
    check_diagnostic(r, "directory", "gerber", "A fájl 1. sorát nem sikerült beolvasni.\\n");
}

/* A read that fails on the second line, inside a parameter block: a socket
 * that holds only the first line and gives up waiting for more. */
TEST_F(Reader, ReadErrorInsideAParameterBlock)
{
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
    ASSERT_EQ(write(fds[1], "%\n", 2), 2);
    struct timeval wait = {0, 10000};
    ASSERT_EQ(setsockopt(fds[0], SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait), 0);
    outcome r = read_fd(fds[0], 2);
    close(fds[0]);
    close(fds[1]);
    check_diagnostic(r, "socket", "get_parm", "A fájl 2. sorát nem sikerült beolvasni.\\n");
}

}  // namespace
