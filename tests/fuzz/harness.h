/* harness.h - what the fuzz targets share: a scratch directory, the in-process
 * driver run that survives the converter's diagnostics, and the checks of a
 * finished run. */
#ifndef FUZZ_HARNESS_H
#define FUZZ_HARNESS_H

#include <cstddef>
#include <set>
#include <string>
#include <vector>

/* The most hits an Excellon job may hold in a fuzz run: far more than the
 * corpus files hold, few enough for a quick run, where a line of a few bytes
 * could otherwise repeat into a million hits. The converter itself has no limit. */
const long FUZZ_HIT_LIMIT = 200000;

/* A directory of this process's own under TMPDIR, removed at exit. */
const std::string &scratch_dir();

/* Names in a directory, without "." and "..". */
std::set<std::string> list_dir(const std::string &dir);

void write_whole_file(const std::string &path, const void *data, size_t size);
std::string read_whole_file(const std::string &path);

/* Runs the driver in-process on argv (argv[0] included) in the working
 * directory cwd and returns its exit status. A diagnostic's process exit is
 * caught; the run's hole list, its descriptors and the reader's format state
 * are then cleaned up as the end of the process would have done. */
int run_driver(const std::vector<std::string> &argv, const std::string &cwd);

/* Reports a broken promise and aborts, which libFuzzer records as a crash. */
[[noreturn]] void broken_promise(const char *what, const std::string &detail = "");

#endif
