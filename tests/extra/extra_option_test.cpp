/* extra_option_test.cpp - built with one made-up row appended to the option
 * table (DRELVO_EXTRA_OPTION): that row alone reaches the matcher, the usage
 * and the range checks. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/driver.h"
#include "system/console_text.h"

namespace {

struct run_result {
    int status;
    std::string out;
};

run_result run(std::vector<std::string> args)
{
    args.insert(args.begin(), "drelvo");
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    run_result result;
    result.status = drelvo_main((int)args.size(), argv.data());
    fflush(stdout);
    result.out = testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    return result;
}

TEST(ExtraOption, InTheUsageAndTheChecks)
{
    run_result usage = run({"-s"});
    EXPECT_EQ(usage.status, 0);
    EXPECT_NE(usage.out.find(utf8_to_cp1250("\t-q <>\n\t--próba <>\n\t\tKitalált kapcsoló a próbákhoz.\n")),
              std::string::npos)
        << usage.out;

    struct row {
        std::vector<std::string> args;
        std::string out;
    };
    const row rows[] = {
        {{"-q", "2", "x"}, "A próba kicsi: 3.\n"},
        {{"--próba", "6", "x"}, "A próba nagy: 5.\n"},
        {{"-q", "5", "-p", "0", "x"}, "A fordulatszám túlságosan alacsony, legalább 1/perc legyen.\n"},
        {{"-q", "5", "-c", "200", "x"}, "A cseremagasság sok, legföljebb 100.00000 mm lehet.\n"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.out);
        run_result checked = run(r.args);
        EXPECT_EQ(checked.status, 1);
        EXPECT_EQ(checked.out, utf8_to_cp1250(r.out.c_str()));
    }
}

}  // namespace
