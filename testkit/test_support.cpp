#include "test_support.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "holes/bore.h"
#include "system/console_text.h"
#include "system/tools.h"

#ifndef DRELVO_BIN
#error "DRELVO_BIN must name the built converter"
#endif

std::string drelvo_path() { return DRELVO_BIN; }

namespace {

/* One output stream of the child: the end the parent reads and, for a pipe,
 * the end the child writes; a terminal's side is opened by name in the child. */
struct stream_ends {
    int read_end = -1;
    int write_end = -1;
    std::string terminal;
};

stream_ends open_stream(streams how)
{
    stream_ends ends;
    if (how == streams::terminal) {
        ends.read_end = posix_openpt(O_RDWR | O_NOCTTY);
        if (ends.read_end < 0 || grantpt(ends.read_end) != 0 || unlockpt(ends.read_end) != 0)
            throw std::runtime_error("no pseudo-terminal");
        ends.terminal = ptsname(ends.read_end);
        return ends;
    }
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    ends.read_end = fds[0];
    ends.write_end = fds[1];
    return ends;
}

/* In the child: the stream's writing side on descriptor `target`, or `target` closed. */
void attach_stream(const stream_ends &ends, streams how, int target)
{
    if (how == streams::closed) {
        close(ends.write_end);
        close(target);
        return;
    }
    int fd = ends.write_end;
    if (how == streams::terminal) {
        fd = open(ends.terminal.c_str(), O_RDWR | O_NOCTTY);
        struct termios raw;
        if (fd < 0 || tcgetattr(fd, &raw) != 0)
            _exit(125);
        cfmakeraw(&raw);
        tcsetattr(fd, TCSANOW, &raw);
    }
    dup2(fd, target);
    close(fd);
}

}  // namespace

run_result run_program(const std::vector<std::string> &argv, const std::string &cwd, int timeout_s, streams how)
{
    stream_ends out_pipe = open_stream(how), err_pipe = open_stream(how);
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        int null_fd = open("/dev/null", O_RDONLY);
        dup2(null_fd, 0);
        close(out_pipe.read_end);
        close(err_pipe.read_end);
        attach_stream(out_pipe, how, 1);
        attach_stream(err_pipe, how, 2);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(126);
        std::vector<char *> args;
        for (const std::string &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out_pipe.write_end);
    close(err_pipe.write_end);

    run_result result;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_s);
    struct pollfd fds[2] = {{out_pipe.read_end, POLLIN, 0}, {err_pipe.read_end, POLLIN, 0}};
    std::string *sinks[2] = {&result.out, &result.err};
    int open_count = 2;
    while (open_count > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            result.timed_out = true;
            kill(pid, SIGKILL);
            break;
        }
        int ready = poll(fds, 2, (int)left);
        if (ready < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; i++) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char chunk[65536];
            ssize_t n = read(fds[i].fd, chunk, sizeof chunk);   /* a terminal ends with EIO */
            if (n > 0) {
                sinks[i]->append(chunk, (size_t)n);
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                open_count--;
            }
        }
    }
    for (auto &f : fds)
        if (f.fd >= 0)
            close(f.fd);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    if (WIFEXITED(wstatus))
        result.status = WEXITSTATUS(wstatus);
    else if (WIFSIGNALED(wstatus))
        result.status = 128 + WTERMSIG(wstatus);
    return result;
}

run_result run_drelvo(const std::vector<std::string> &args, const std::string &cwd, int timeout_s, streams how)
{
    std::vector<std::string> argv{drelvo_path()};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_program(argv, cwd, timeout_s, how);
}

temp_dir::temp_dir()
{
    const char *base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/drelvo-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path = buffer.data();
}

temp_dir::~temp_dir()
{
    std::string command = "chmod -R u+rwx '" + path + "' 2>/dev/null; rm -rf '" + path + "'";
    if (system(command.c_str()) != 0) {
        /* a leftover scratch directory is harmless */
    }
}

bool file_exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void write_file(const std::string &path, const std::string &content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), (std::streamsize)content.size());
}

input_file::input_file(const std::string &name, const std::string &text)
{
    write_file(dir.file(name), text);
    fd = open(dir.file(name).c_str(), O_RDONLY);
}

input_file::~input_file()
{
    if (fd >= 0)
        close(fd);
}

std::string cp1250(const char *utf8) { return utf8_to_cp1250(utf8); }

d_list *new_hole_list(bool reference)
{
    return new_bores_on(reference ? BORE_REFERENCE : BORE_INDEXED);
}

d_list *group_sections(const std::vector<section> &sections, bool reference)
{
    d_list *root = new_hole_list(reference);
    for (const section &s : sections) {
        bore *hole = search_section(root, s.x1, s.y1, s.x2, s.y2);
        if (hole == nullptr)
            hole = append_bore(root);
        add_section(hole, s.x1, s.y1, s.x2, s.y2);
    }
    return root;
}
