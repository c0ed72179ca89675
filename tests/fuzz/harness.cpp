/* harness.cpp - shared fuzz target support. */
#include "harness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <sys/stat.h>
#include <unistd.h>

#include "reading/excellon.h"
#include "reading/gerber.h"
#include "app/driver.h"
#include "system/tools.h"
#include "writing/output_buffer.h"

namespace {

struct driver_exit {
    int status;
};

void throw_exit(int status) { throw driver_exit{status}; }

std::string scratch;

void remove_scratch()
{
    std::string command = "rm -rf '" + scratch + "'";
    if (system(command.c_str()) != 0) {
        /* a leftover directory under TMPDIR is harmless */
    }
}

std::set<int> open_descriptors()
{
    std::set<int> fds;
    DIR *dir = opendir("/proc/self/fd");
    if (dir == nullptr)
        broken_promise("cannot list /proc/self/fd");
    int own = dirfd(dir);
    while (struct dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        int fd = atoi(entry->d_name);
        if (fd != own)
            fds.insert(fd);
    }
    closedir(dir);
    return fds;
}

}  // namespace

void broken_promise(const char *what, const std::string &detail)
{
    /* libFuzzer may have sent stderr to /dev/null (-close_fd_mask); the
     * sanitizer's report descriptor still reaches the log. */
    std::string summary = std::string("drelvo broke a promise: ") + what;
    if (!detail.empty())
        summary += ": " + detail.substr(0, 2000);
    __sanitizer_report_error_summary(summary.c_str());
    abort();
}

const std::string &scratch_dir()
{
    if (scratch.empty()) {
        const char *base = getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/drelvo-fuzz-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr)
            broken_promise("mkdtemp failed", pattern);
        scratch = buffer.data();
        atexit(remove_scratch);
    }
    return scratch;
}

std::set<std::string> list_dir(const std::string &path)
{
    std::set<std::string> names;
    DIR *dir = opendir(path.c_str());
    if (dir == nullptr)
        broken_promise("cannot list", path);
    while (struct dirent *entry = readdir(dir))
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.insert(entry->d_name);
    closedir(dir);
    return names;
}

void write_whole_file(const std::string &path, const void *data, size_t size)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == nullptr || (size > 0 && fwrite(data, 1, size, file) != size) || fclose(file) != 0)
        broken_promise("cannot write the scratch file", path);
}

std::string read_whole_file(const std::string &path)
{
    std::string content;
    FILE *file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        broken_promise("cannot read", path);
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        content.append(chunk, n);
    fclose(file);
    return content;
}

int run_driver(const std::vector<std::string> &args, const std::string &cwd)
{
    int home = open(".", O_RDONLY | O_DIRECTORY);
    if (home < 0 || chdir(cwd.c_str()) != 0)
        broken_promise("cannot enter the scratch directory", cwd);
    std::set<int> before = open_descriptors();

    std::vector<std::string> storage(args);
    std::vector<char *> argv;
    for (std::string &arg : storage)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);

    excellon_hit_limit = FUZZ_HIT_LIMIT;
    fatal_handler_fn previous = set_fatal_handler(throw_exit);
    int status;
    try {
        status = drelvo_main((int)storage.size(), argv.data());
    } catch (const driver_exit &exit) {
        status = exit.status;
    }
    set_fatal_handler(previous);
    fflush(stdout);
    fflush(stderr);

    /* What the end of the process would release after a diagnostic. */
    for (int fd : open_descriptors())
        if (before.count(fd) == 0)
            close_file(fd);

    if (fchdir(home) != 0)
        broken_promise("cannot leave the scratch directory");
    close(home);
    return status;
}
