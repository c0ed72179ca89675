/* gerber_fuzz.cpp - the whole conversion on an arbitrary Gerber text.
 *
 * Each input is written to a scratch file and converted in-process with the
 * default settings. The run must end with status 0 and a complete program,
 * or status 1; either way the only file it may leave is "<input>.tap". An
 * input that has become a drill file may give a program of several bits. */
#include <cstdint>
#include <unistd.h>

#include "harness.h"
#include "program_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string dir = scratch_dir();
    static const std::string input = dir + "/in.gbr";
    static const std::string output = input + ".tap";
    static const std::set<std::string> expected{"in.gbr", "in.gbr.tap"};

    write_whole_file(input, data, size);
    int status = run_driver({"drelvo", input}, dir);

    if (status != 0 && status != 1)
        broken_promise("exit status is neither 0 nor 1", std::to_string(status));
    if (list_dir(dir) != expected)
        broken_promise("the run left other files than <input>.tap");
    std::string program = read_whole_file(output);
    if (status == 0 && count_plunges(without_bit_changes(program)) < 1)
        broken_promise("status 0 without a complete program", program);
    if (status == 1 && !program.empty())
        broken_promise("a failed reading left G-code behind", program);
    unlink(output.c_str());
    return 0;
}
