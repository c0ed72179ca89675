/* get_options_test.cpp - option matching, value conversion and the usage listing. */
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/get_options.h"
#include "app/settings.h"
#include "test_support.h"
#include "system/tools.h"

namespace {

/* An argument vector with exactly the given entries and no terminator after
 * them, so that a read past the end is caught by the sanitizer build. */
struct arg_vector {
    std::vector<std::string> text;
    std::vector<char *> ptrs;
    explicit arg_vector(std::vector<std::string> args) : text(std::move(args))
    {
        for (std::string &a : text)
            ptrs.push_back(&a[0]);
    }
    int argc() const { return (int)ptrs.size(); }
    char *const *argv() const { return ptrs.data(); }
};

settings_t settings;
void *values[OPTION_COUNT];

/* Fresh settings, and where the matcher stores into them. */
void reset()
{
    reset_settings(settings);
    option_values(settings, values);
}

int match(int argc, char *const *argv, int *idx)
{
    return get_options(argc, argv, idx, option_table, OPTION_COUNT, values, settings.given);
}

/* The stored value of option k, printed with the option's own conversion. */
std::string stored(int k)
{
    char text[64];
    switch (k) {
    case 0: snprintf(text, sizeof text, "%d", settings.integer_digits); break;
    case 1: return settings.unit_name;
    case 2: return settings.direction_name;
    case 3: snprintf(text, sizeof text, "%u", settings.spindle_speed); break;
    case 4: snprintf(text, sizeof text, "%g", settings.feed); break;
    default: return "?";
    }
    return text;
}

/* Runs fn with standard output sent to a scratch file; returns what it wrote. */
std::string capture_stdout(const std::function<void()> &fn)
{
    temp_dir dir;
    std::string path = dir.file("out");
    fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    FILE *sink = freopen(path.c_str(), "w", stdout);
    EXPECT_NE(sink, nullptr);
    fn();
    fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    return read_file(path);
}

class GetOptions : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
};

TEST_F(GetOptions, ConvertsValuesLikeTheStandardScan)
{
    enum { I = 0, M = 1, F = 2, P = 3, E = 4 };
    struct row {
        int k;                /* the option, by its index */
        const char *value;
        int result;
        int opt_idx;          /* where OptIdx stands afterwards */
        const char *stored;   /* the option's value afterwards */
    };
    const row rows[] = {
        {I, "3x", I, 3, "3"},
        {I, "x3", OPT_BAD_VALUE, 2, "2"},
        {I, "  4", I, 3, "4"},
        {I, "", OPT_BAD_VALUE, 2, "2"},
        {I, "   ", OPT_BAD_VALUE, 2, "2"},
        {P, "30000", P, 3, "30000"},
        {P, "-1", P, 3, "4294967295"},
        {P, "abc", OPT_BAD_VALUE, 2, "1000"},
        /* beyond 32 bits: the type's nearest limit, never the low 32 bits */
        {P, "4294967295", P, 3, "4294967295"},
        {P, "4294967296", P, 3, "4294967295"},
        {P, "99999999999999999999x", P, 3, "4294967295"},
        {P, "-4294967295", P, 3, "1"},
        {P, "-4294967296", P, 3, "0"},
        {P, " +12", P, 3, "12"},
        {P, "- 12", OPT_BAD_VALUE, 2, "1000"},
        {I, "2147483647", I, 3, "2147483647"},
        {I, "2147483648", I, 3, "2147483647"},
        {I, "-2147483648", I, 3, "-2147483648"},
        {I, "-2147483649", I, 3, "-2147483648"},
        {I, "-99999999999999999999", I, 3, "-2147483648"},
        {I, "+", OPT_BAD_VALUE, 2, "2"},
        {E, "12.5mm", E, 3, "12.5"},
        {E, ",5", OPT_BAD_VALUE, 2, "400"},
        {E, "1e2", E, 3, "100"},
        {E, "inf", E, 3, "inf"},        /* refused later by the range check */
        {E, "nan", OPT_BAD_VALUE, 2, "400"},
        {E, "-nan", OPT_BAD_VALUE, 2, "400"},
        {E, "NaN(1)", OPT_BAD_VALUE, 2, "400"},
        {M, "abcdefghijklmnopqrst", M, 3, "abcdefghijklmno"},
        {M, "coll extra", M, 3, "coll"},
        {M, "-i", M, 3, "-i"},          /* the value is taken whatever it looks like */
        {F, "bal", F, 3, "bal"},
        {F, "", OPT_BAD_VALUE, 2, "jobb"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(std::string(option_table[r.k].short_name) + " '" + r.value + "'");
        reset();
        arg_vector args({"drelvo", option_table[r.k].short_name, r.value});
        int idx = 1;
        EXPECT_EQ(match(args.argc(), args.argv(), &idx), r.result);
        EXPECT_EQ(idx, r.opt_idx);
        EXPECT_EQ(stored(r.k), r.stored);
        EXPECT_EQ(settings.given[r.k], 1);   /* also when the value fails */
    }
}

TEST_F(GetOptions, MatchesNamesExactlyInBothEncodings)
{
    struct row {
        std::string arg;
        int result;
    };
    const row rows[] = {
        {"-s", OPT_HELP},
        {"--súgó", OPT_HELP},
        {cp1250("--súgó"), OPT_HELP},
        {"-S", OPT_NOT_OPTION},
        {"--SÚGÓ", OPT_NOT_OPTION},
        {cp1250("--SÚGÓ"), OPT_NOT_OPTION},
        {"--sugo", OPT_NOT_OPTION},
        {"--súgó=1", OPT_NOT_OPTION},
        {"--egeszresz", OPT_NOT_OPTION},
        {"--egész", OPT_NOT_OPTION},       /* no abbreviations */
        {"-i3", OPT_NOT_OPTION},           /* no joined value */
        {"-ip", OPT_NOT_OPTION},           /* no grouped letters */
        {"-z", OPT_NOT_OPTION},
        {"-", OPT_NOT_OPTION},
        {"--", OPT_NOT_OPTION},
        {"", OPT_NOT_OPTION},
    };
    for (const row &r : rows) {
        SCOPED_TRACE("'" + r.arg + "'");
        arg_vector args({"drelvo", r.arg});
        int idx = 1;
        EXPECT_EQ(match(args.argc(), args.argv(), &idx), r.result);
        EXPECT_EQ(idx, 2);
    }

    /* Every option by either of its names, the long one in both encodings. */
    for (int k = 0; k < OPTION_COUNT; k++) {
        const option_spec &row = option_table[k];
        EXPECT_EQ(row.id, k) << "rows in option_id order";
        for (const std::string &name : {std::string(row.short_name), std::string(row.long_name), cp1250(row.long_name)}) {
            SCOPED_TRACE(name);
            reset();
            arg_vector args({"drelvo", name, "3"});
            int idx = 1;
            EXPECT_EQ(match(args.argc(), args.argv(), &idx), k);
            EXPECT_EQ(idx, row.scan_format ? 3 : 2);
            EXPECT_EQ(settings.given[k], 1);
        }
    }
}

TEST_F(GetOptions, WalksAWholeCommandLine)
{
    arg_vector args({"drelvo", "-p", "5", "board.gbr", "-p", "7", "-m", "coll", "-s", "-e"});
    struct step {
        int result, opt_idx;
    };
    const step steps[] = {{OPT_SPINDLE_SPEED, 3}, {OPT_NOT_OPTION, 4}, {OPT_SPINDLE_SPEED, 6},
                          {OPT_UNIT, 8},        {OPT_HELP, 9},       {OPT_MISSING_VALUE, 10}};
    int idx = 1;
    for (const step &s : steps) {
        ASSERT_LT(idx, args.argc());
        EXPECT_EQ(match(args.argc(), args.argv(), &idx), s.result);
        EXPECT_EQ(idx, s.opt_idx);
    }
    EXPECT_EQ(settings.spindle_speed, 7u);   /* a repeated option keeps its last value */
    EXPECT_EQ(settings.given[OPT_SPINDLE_SPEED], 1);
    EXPECT_STREQ(settings.unit_name, "coll");
    EXPECT_EQ(settings.given[OPT_FEED], 1);   /* matched, although its value is missing */
    EXPECT_EQ(settings.feed, 400.0);
    EXPECT_EQ(settings.given[OPT_INTEGER_DIGITS], 0);
}

TEST_F(GetOptions, GenericTableWithoutValuesOrNames)
{
    float ratio = 1.5f;
    const option_spec table[] = {
        {OPT_HELP, nullptr, "--only-long", VALUE_NONE, 0, 0, "", "", nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
        {OPT_HELP, "-r", nullptr, VALUE_REAL, 0, 0, "", "", nullptr, 0, nullptr, nullptr, "%f", nullptr, nullptr, nullptr, nullptr},
        /* the first match wins */
        {OPT_HELP, "-r", "--again", VALUE_NONE, 0, 0, "", "", nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    void *const table_values[] = {nullptr, &ratio, nullptr};
    int given[3] = {};
    struct row {
        const char *arg, *value;
        int result;
        float ratio;
    };
    const row rows[] = {
        {"--only-long", "x", 0, 1.5f},
        {"-r", "0.25", 1, 0.25f},
        {"-r", "nan", OPT_BAD_VALUE, 1.5f},
        {"--again", "x", 2, 1.5f},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.arg);
        ratio = 1.5f;
        arg_vector args({"t", r.arg, r.value});
        int idx = 1;
        EXPECT_EQ(get_options(args.argc(), args.argv(), &idx, table, 3, table_values, given), r.result);
        EXPECT_EQ(ratio, r.ratio);
    }
}

[[noreturn]] void throw_status(int status)
{
    throw std::runtime_error("fatal " + std::to_string(status));
}

TEST_F(GetOptions, MisuseEndsWithADiagnostic)
{
    fatal_handler_fn previous = set_fatal_handler(throw_status);
    arg_vector args({"drelvo", "-s"});
    int idx = 2;
    EXPECT_THROW(match(args.argc(), args.argv(), &idx), std::runtime_error);
    idx = 1;
    EXPECT_THROW(match(args.argc(), nullptr, &idx), std::runtime_error);
    EXPECT_THROW(get_options(args.argc(), args.argv(), &idx, nullptr, OPTION_COUNT, values, settings.given),
                 std::runtime_error);
    set_fatal_handler(previous);
}

TEST(PrintUsage, HeadListingAndClosingLine)
{
    const option_spec table[] = {
        {OPT_HELP, "-v", "--véges", VALUE_INTEGER, 0, 0, "", "", nullptr, 0, "\t\tSegítség.", nullptr, "%d", nullptr, nullptr, nullptr, nullptr},
        /* no help: left out */
        {OPT_HELP, "-q", nullptr, VALUE_NONE, 0, 0, "", "", nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
        {OPT_HELP, nullptr, "--kész", VALUE_NONE, 0, 0, "", "", nullptr, 0, "\t\tElső sor\n\t\tmásodik sor", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    struct row {
        const char *program, *synopsis;
        const option_spec *opts;
        int count;
        const char *closing;
        std::string expected;
    };
    const std::string listing = cp1250("\t-v <>\n\t--véges <>\n\t\tSegítség.\n\t--kész\n\t\tElső sor\n\t\tmásodik sor\n\n");
    const row rows[] = {
        {"prog", "<fájlnév>", table, 3, "\tVége", cp1250("Használat: prog <fájlnév>\n\n") + listing + cp1250("\tVége\n")},
        {"prog", nullptr, table, 3, nullptr, cp1250("Használat: prog\n\n") + listing},
        {nullptr, "<fájlnév>", nullptr, 3, nullptr, cp1250("Használat: <fájlnév>\n\n")},
        {nullptr, nullptr, table, 0, "x", "\nx\n"},
        {nullptr, nullptr, nullptr, 0, nullptr, ""},
        /* the name as invoked is no fixed text: its bytes pass unchanged */
        {"/tmp/fúró", nullptr, nullptr, 0, nullptr, cp1250("Használat: ") + "/tmp/fúró\n\n"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.expected);
        EXPECT_EQ(capture_stdout([&] { print_usage(r.program, r.synopsis, r.opts, r.count, r.closing); }), r.expected);
    }
}

}  // namespace
