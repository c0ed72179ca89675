/* option_table_test.cpp - the manual pages against the option table: every
 * option's names and choices, and the ranges and defaults where the
 * Hungarian page states them. */
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/option_table.h"
#include "test_support.h"

namespace {

/* A roff name as the page spells it: every '-' escaped. */
std::string roff(const char *name)
{
    std::string text;
    for (const char *c = name; *c; c++)
        text += *c == '-' ? std::string("\\-") : std::string(1, *c);
    return text;
}

/* The page's entry of the row: from its ".TP" header to the next ".TP" or section. */
std::string entry(const std::string &page, const option_spec &row)
{
    const std::string header = ".TP\n.BR " + roff(row.short_name) + " \", \" " + roff(row.long_name);
    size_t start = page.find(header);
    if (start == std::string::npos)
        return "";
    start += 4;
    size_t end = std::min(page.find("\n.TP\n.BR", start), page.find("\n.SH", start));
    return page.substr(start, end - start);
}

/* "\fBa\fR|\fBb\fR", the choices as the header lists them. */
std::string choice_list(const char *choices)
{
    std::string list = "\\fB";
    for (const char *c = choices; *c; c++)
        list += *c == '|' ? std::string("\\fR|\\fB") : std::string(1, *c);
    return list + "\\fR\"";
}

std::string number(double value)
{
    char text[32];
    snprintf(text, sizeof text, "%g", value);
    return text;
}

TEST(OptionTable, ManualPagesNameEveryOption)
{
    for (const char *path : {"/docs/man/drelvo.1", "/docs/man/hu/drelvo.1"}) {
        const std::string page = read_file(std::string(TESTS_DIR) + "/.." + path);
        ASSERT_FALSE(page.empty()) << path;
        for (const option_spec &row : option_table) {
            SCOPED_TRACE(std::string(path) + " " + row.short_name);
            const std::string text = entry(page, row);
            ASSERT_FALSE(text.empty()) << "no entry";
            if (row.kind == VALUE_CHOICE) {
                EXPECT_NE(text.find(choice_list(row.choices)), std::string::npos) << text;
            }
        }
    }
}

TEST(OptionTable, HungarianPageStatesTheTablesRangesAndDefaults)
{
    const std::string page = read_file(std::string(TESTS_DIR) + "/../docs/man/hu/drelvo.1");
    for (const option_spec &row : option_table) {
        SCOPED_TRACE(row.short_name);
        const std::string text = entry(page, row);
        if (text.find(" ... ") != std::string::npos) {
            EXPECT_NE(text.find(number(row.low) + " ... " + number(row.high)), std::string::npos) << text;
        }
        if (text.find("alapérték ") != std::string::npos) {
            EXPECT_NE(text.find("alapérték " + std::string(row.default_text)), std::string::npos) << text;
        }
        if (row.kind == VALUE_CHOICE) {
            EXPECT_TRUE(text.find("Alapérték:\n.BR " + std::string(row.default_text) + " .") != std::string::npos ||
                        text.find(".B " + std::string(row.default_text) + "\n(az alapérték)") != std::string::npos)
                << text;
        }
    }
}

}  // namespace
