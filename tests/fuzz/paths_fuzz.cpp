/* paths_fuzz.cpp - one Gerber text converted through the reference path (list
 * scan and distance tables) and through the index; any difference in the
 * program, the messages or the exit status is a broken promise. Inputs of
 * odd length are converted with corner offsets, so that the start hole is
 * also chosen away from the board's own corner. */
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

#include "holes/bore.h"
#include "harness.h"

namespace {

struct outcome {
    int status;
    std::string out, err, program;
};

/* The driver's run with its standard output and error caught in files. */
outcome convert(const std::vector<std::string> &args, const std::string &dir, bool reference)
{
    const std::string out_path = dir + "/out.txt", err_path = dir + "/err.txt";
    fflush(stdout);
    fflush(stderr);
    int saved_out = dup(1), saved_err = dup(2);
    int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (saved_out < 0 || saved_err < 0 || out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
        broken_promise("cannot catch the standard streams");
    close(out);
    close(err);

    bore_path previous_path = set_default_bore_path(reference ? BORE_REFERENCE : BORE_INDEXED);
    outcome result;
    result.status = run_driver(args, dir);
    set_default_bore_path(previous_path);

    fflush(stdout);
    fflush(stderr);
    dup2(saved_out, 1);
    dup2(saved_err, 2);
    close(saved_out);
    close(saved_err);
    result.out = read_whole_file(out_path);
    result.err = read_whole_file(err_path);
    /* A run that stops before creating the program has none to compare. */
    if (access((args[1] + ".tap").c_str(), F_OK) == 0)
        result.program = read_whole_file(args[1] + ".tap");
    unlink(out_path.c_str());
    unlink(err_path.c_str());
    unlink((args[1] + ".tap").c_str());
    return result;
}

void expect_same(const char *what, const std::string &reference, const std::string &indexed)
{
    if (reference != indexed)
        broken_promise(what, "reference:\n" + reference.substr(0, 900) + "\nindexed:\n" + indexed.substr(0, 900));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string dir = scratch_dir();
    static const std::string input = dir + "/in.gbr";

    write_whole_file(input, data, size);
    std::vector<std::string> args{"drelvo", input};
    if (size % 2 == 1)
        args.insert(args.end(), {"-x", "3", "-y", "11"});
    outcome reference = convert(args, dir, true);
    outcome indexed = convert(args, dir, false);
    if (reference.status != indexed.status)
        broken_promise("the exit status differs", std::to_string(reference.status) + " against " +
                                                      std::to_string(indexed.status));
    expect_same("the program differs", reference.program, indexed.program);
    expect_same("the standard output differs", reference.out, indexed.out);
    expect_same("the standard error differs", reference.err, indexed.err);
    return 0;
}
