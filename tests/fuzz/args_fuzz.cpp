/* args_fuzz.cpp - the option matcher and the driver's checks on an arbitrary
 * argument vector.
 *
 * The input is split at NUL bytes into at most 24 arguments. A '/' becomes
 * '_', so that every name stays inside the scratch working directory, which
 * holds a small Gerber file "g", a drill file of two bits "k", an empty file
 * "e" and a directory "d". The matcher must consume every argument step by
 * step without reading past the vector; the driver must end with status 0
 * or 1 and may create nothing but "<argument>.tap", or per bit
 * "<argument>.T<n>.tap", for an argument that names an existing entry. */
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "app/get_options.h"
#include "app/settings.h"
#include "harness.h"

namespace {

const char *const board =
    "%FSLAX24Y24*%\n%MOMM*%\nD10*\nX10000Y10000D03*\nX20000Y10000D03*\nX0Y0D02*\nX5000Y0D01*\nM02*\n";

const char *const drill_file = "M48\nMETRIC\nT1C1.0\nT2C0.6\n%\nT1\nX10.0Y20.0\nT2\nX15.0Y5.0G85X16.0Y5.0\nM30\n";

/* "<arg>.tap" or "<arg>.T<digits>.tap". */
bool output_of(const std::string &name, const std::string &arg)
{
    if (name == arg + ".tap")
        return true;
    const std::string lead = arg + ".T", tail = ".tap";
    if (name.size() <= lead.size() + tail.size() || name.compare(0, lead.size(), lead) != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const std::string digits = name.substr(lead.size(), name.size() - lead.size() - tail.size());
    return digits.find_first_not_of("0123456789") == std::string::npos;
}

const std::string &working_dir()
{
    static std::string dir;
    if (dir.empty()) {
        dir = scratch_dir() + "/args";
        if (mkdir(dir.c_str(), 0755) != 0 || mkdir((dir + "/d").c_str(), 0755) != 0)
            broken_promise("cannot prepare the working directory", dir);
        write_whole_file(dir + "/g", board, strlen(board));
        write_whole_file(dir + "/e", "", 0);
        write_whole_file(dir + "/k", drill_file, strlen(drill_file));
    }
    return dir;
}

void check_matcher(std::vector<std::string> args)
{
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    int argc = (int)args.size();
    settings_t settings;
    reset_settings(settings);
    void *values[OPTION_COUNT];
    option_values(settings, values);
    int idx = 1;
    while (idx < argc) {
        int before = idx;
        int result = get_options(argc, argv.data(), &idx, option_table, OPTION_COUNT, values, settings.given);
        bool good;
        if (result >= 0 && result < OPTION_COUNT)
            good = idx == before + (option_table[result].scan_format ? 2 : 1) && idx <= argc;
        else if (result == OPT_NOT_OPTION)
            good = idx == before + 1;
        else if (result == OPT_BAD_VALUE)
            good = idx == before + 1 && idx < argc;
        else if (result == OPT_MISSING_VALUE)
            good = before == argc - 1;
        else
            good = false;
        if (!good)
            broken_promise("get_options broke its contract on", args[before]);
        if (result < 0 && result != OPT_NOT_OPTION)
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &dir = working_dir();
    static const std::set<std::string> seeded{"d", "e", "g", "k"};

    std::vector<std::string> args{"drelvo"};
    std::string arg;
    for (size_t i = 0; i <= size && args.size() < 25; i++) {
        if (i == size || data[i] == '\0') {
            args.push_back(arg);
            arg.clear();
        } else {
            arg += data[i] == '/' ? '_' : (char)data[i];
        }
    }

    check_matcher(args);
    int status = run_driver(args, dir);
    if (status != 0 && status != 1)
        broken_promise("exit status is neither 0 nor 1", std::to_string(status));

    for (const std::string &name : list_dir(dir)) {
        if (seeded.count(name))
            continue;
        bool named = false;
        for (size_t i = 1; i < args.size() && !named; i++)
            named = output_of(name, args[i]);
        if (!named)
            broken_promise("the run created a file no argument names", name);
        unlink((dir + "/" + name).c_str());
    }
    return 0;
}
