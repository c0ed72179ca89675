/* fixed_point_test.cpp - format_fixed against glibc's printf, and message's
 * program lines against vsnprintf, including the values left to it. */
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "writing/fixed_point.h"
#include "test_support.h"
#include "system/tools.h"
#include "writing/output_buffer.h"

namespace {

std::string by_printf(double value, int decimals)
{
    char text[512];
    snprintf(text, sizeof text, "%0.*lf", decimals, value);
    return text;
}

/* Expects format_fixed to write what printf writes, for the value and its negation. */
void expect_as_printf(double value, int decimals)
{
    for (double v : {value, -value}) {
        char out[FIXED_POINT_MAX_LENGTH];
        int length = format_fixed(out, v, decimals);
        ASSERT_GE(length, 0) << by_printf(v, 17) << " at " << decimals;
        ASSERT_LE(length, FIXED_POINT_MAX_LENGTH);
        ASSERT_EQ(std::string(out, (size_t)length), by_printf(v, decimals)) << by_printf(v, 20) << " at " << decimals;
    }
}

/* Values a program holds and values that corner the rounding: exact binary
 * ties (odd multiples of 2^-(decimals+1)) and their neighbours, carries into
 * the integer part, zeros, subnormals, both ends of the range, random values
 * of every magnitude and decimal text scaled as the reader and the inch
 * output scale it. */
TEST(FormatFixed, RoundsAsPrintf)
{
    std::mt19937_64 random(11);
    const double denormal_min = std::numeric_limits<double>::denorm_min();
    for (int decimals = 0; decimals <= FIXED_POINT_MAX_DECIMALS; decimals++) {
        std::vector<double> values = {0.0, 0.5, 1.5, 2.5, 1e-7, 4.9999995e-6, 0.999999999, 9.5, 99999.999995,
                                      999999999.5, std::nextafter(1e9, 0.0), denormal_min, 1e-300, 2.54, 0.1, 1.0 / 3};
        std::uniform_int_distribution<int64_t> odd(0, INT64_C(1) << 40);
        for (int i = 0; i < 2000; i++) {
            double tie = std::ldexp((double)(2 * odd(random) + 1), -(decimals + 1) - (i % 8));
            if (std::fabs(tie) >= 1e9)
                continue;
            values.push_back(tie);
            values.push_back(std::nextafter(tie, 0.0));
            values.push_back(std::nextafter(tie, 1e9));
        }
        std::uniform_int_distribution<int64_t> digits(0, 999999999);
        std::uniform_int_distribution<int> power(-40, 29);
        for (int i = 0; i < 3000; i++) {
            values.push_back((double)digits(random) * std::pow(10.0, -(i % 9)));
            values.push_back((double)digits(random) * 0.0001 / 25.4);
            double magnitude = std::ldexp((double)(random() >> 11), power(random) - 53);
            if (magnitude < 1e9)
                values.push_back(magnitude);
        }
        for (double v : values)
            expect_as_printf(v, decimals);
    }
}

TEST(FormatFixed, LeavesTheRestToPrintf)
{
    char out[FIXED_POINT_MAX_LENGTH];
    for (double v : {1e9, -1e9, 1e300, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_EQ(format_fixed(out, v, 5), -1) << v;
    EXPECT_EQ(format_fixed(out, 1.0, -1), -1);
    EXPECT_EQ(format_fixed(out, 1.0, FIXED_POINT_MAX_DECIMALS + 1), -1);
}

/* The program file's lines, formatted by format_fixed where it can and by
 * vsnprintf where it cannot, come out as vsnprintf alone writes them. */
TEST(FormatFixed, ProgramLinesAsVsnprintf)
{
    char name[] = "/tmp/fixed_point_test.XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    set_text_mode(fd);
    std::string expected;
    auto line = [&](const char *format, int decimals, double x, double y) {
        message(fd, format, decimals, x, decimals, y);
        char text[1024];
        snprintf(text, sizeof text, format, decimals, x, decimals, y);
        for (const char *c = text; *c; c++)
            expected += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
    };
    line("X%0.*lf Y%0.*lf\n", 5, 12.345675, -0.0);
    line("X%0.*lf Y%0.*lf\nM5\nM2\n", 6, 0.0, 1.0 / 25.4);
    line("X%0.*lf Y%0.*lf\n", 5, 1e300, 2.0);
    line("X%0.*lf Y%0.*lf\n", 12, 1.0 / 3, 2.0);
    line("X%0.*lf Y%0.*lf\n", 5, std::nan(""), -std::numeric_limits<double>::infinity());
    line("%%%0.*lf %0.*lf\n", 5, 1.5, 2.5);
    ASSERT_EQ(close_file(fd), 0);
    EXPECT_EQ(read_file(name), expected);
    unlink(name);
}

}  // namespace
