/* output_buffer_test.cpp - message(): long texts, text-mode line ends, a failed write and no line lost. */
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <csignal>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"
#include "system/tools.h"
#include "writing/output_buffer.h"

namespace {

struct child_result {
    int status = -1;
    std::string err;
};

/* Runs fn in a child process with its error stream sent to a pipe; the
 * child ends with status 0 when fn returns. */
child_result run_in_child(const std::function<void()> &fn)
{
    int err_pipe[2];
    EXPECT_EQ(pipe(err_pipe), 0);
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        close(err_pipe[0]);
        dup2(err_pipe[1], STDERR_FILENO);
        fn();
        _exit(0);
    }
    close(err_pipe[1]);
    child_result result;
    char chunk[4096];
    ssize_t n;
    while ((n = read(err_pipe[0], chunk, sizeof chunk)) > 0)
        result.err.append(chunk, (size_t)n);
    close(err_pipe[0]);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    return result;
}

TEST(Message, WritesTextsOfAnyLengthWhole)
{
    /* around the first buffer of 1024 bytes, and past two doublings */
    for (size_t length : {0u, 1u, 1023u, 1024u, 1025u, 2048u, 3000u}) {
        SCOPED_TRACE(length);
        temp_dir dir;
        std::string path = dir.file("out");
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        std::string text;
        for (size_t i = 0; i < length; i++)
            text += (char)('a' + i % 26);
        message(fd, "%s", text.c_str());
        close(fd);
        EXPECT_EQ(read_file(path), text);
    }
}

TEST(Message, TextFilesStoreCarriageReturnLineFeed)
{
    struct row {
        const char *format;
        const char *plain;     /* as stored in an ordinary file */
        const char *text_mode; /* as stored in a file in text mode */
    };
    const row rows[] = {
        {"G90\n", "G90\n", "G90\r\n"},
        {"X%d Y%d\nM5\nM2\n", "X1 Y2\nM5\nM2\n", "X1 Y2\r\nM5\r\nM2\r\n"},
        {"\n\n", "\n\n", "\r\n\r\n"},
        {"no end", "no end", "no end"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.format);
        temp_dir dir;
        int text_fd = open(dir.file("text").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(text_fd, 0);
        set_text_mode(text_fd);
        message(text_fd, r.format, 1, 2);
        EXPECT_EQ(close_file(text_fd), 0);
        EXPECT_EQ(read_file(dir.file("text")), r.text_mode);

        /* the same descriptor number, reused for an ordinary file, is no text file */
        int plain_fd = open(dir.file("plain").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_EQ(plain_fd, text_fd);
        message(plain_fd, r.format, 1, 2);
        close(plain_fd);
        EXPECT_EQ(read_file(dir.file("plain")), r.plain);
    }
}

/* A text-mode descriptor is written from its buffer, at the latest when it
 * is closed; the diagnostic then quotes the line where storing stopped,
 * here on a full device or at a file-size limit of `limit` bytes. */
TEST(Message, FailedWriteEndsWithTheQuotingDiagnostic)
{
    struct row {
        bool text_mode;
        const char *text;
        rlim_t limit;   /* 0: /dev/full */
        const char *quoted;
    };
    const char *lines = "G90\nG21\nF400.00000\nG0 Z2.00000\n";   /* stored: 5, 5, 12 and 13 bytes */
    const row rows[] = {
        {false, "G90\n", 0, "G90\n"},
        {true, "X1.00000 Y2.00000\nM5\nM2\n", 0, "X1.00000 Y2.00000\n"},
        {true, "no line end", 0, "no line end"},
        {true, lines, 16, "F400.00000\n"},
        {true, lines, 10, "F400.00000\n"},
        {true, lines, 9, "G21\n"},      /* between its CR and LF */
        {true, lines, 26, "G0 Z2.00000\n"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(std::string(r.text) + " limit " + std::to_string(r.limit));
        child_result res = run_in_child([&] {
            int fd = open("/dev/full", O_WRONLY);
            if (r.limit > 0) {
                signal(SIGXFSZ, SIG_IGN);
                struct rlimit limit = {r.limit, r.limit};
                setrlimit(RLIMIT_FSIZE, &limit);
                char name[] = "/tmp/tools_test_XXXXXX";
                fd = mkstemp(name);
                unlink(name);
            }
            if (r.text_mode)
                set_text_mode(fd);
            message(fd, "%s", r.text);
            close_file(fd);
        });
        EXPECT_EQ(res.status, 1);
        /* the escapes of the message literal stay visible; the quoted text is as formatted */
        const std::string prefix = "tools.cpp, message.";
        const std::string rest = cp1250("(): \"Nem sikerült kiírni: \\\"") + r.quoted + "\\\"\\n\"\n";
        ASSERT_GT(res.err.size(), prefix.size() + rest.size());
        EXPECT_EQ(res.err.substr(0, prefix.size()), prefix);
        std::string line = res.err.substr(prefix.size(), res.err.size() - prefix.size() - rest.size());
        EXPECT_EQ(line.find_first_not_of("0123456789"), std::string::npos) << line;
        EXPECT_EQ(res.err.substr(res.err.size() - rest.size()), rest);
    }
}

void on_alarm(int) {}

/* A line of the program is written whole or the run ends with status 1: a
 * write that a signal cuts short goes on where it stopped, and a line that
 * cannot be formatted for want of memory is no line silently dropped. */
TEST(Message, NoLineIsLostSilently)
{
    /* 1 MB into a pipe read slowly, while a timer interrupts the writer */
    const std::string text(1 << 20, 'g');
    int data[2];
    ASSERT_EQ(pipe(data), 0);
    fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        close(data[0]);
        struct sigaction action = {};
        action.sa_handler = on_alarm;   /* no SA_RESTART: the write returns early */
        sigaction(SIGALRM, &action, nullptr);
        struct itimerval every_ms = {{0, 1000}, {0, 1000}};
        setitimer(ITIMER_REAL, &every_ms, nullptr);
        message(data[1], "%s", text.c_str());
        _exit(0);
    }
    close(data[1]);
    std::string received;
    char chunk[4096];
    ssize_t n;
    while ((n = read(data[0], chunk, sizeof chunk)) > 0) {
        received.append(chunk, (size_t)n);
        usleep(200);
    }
    close(data[0]);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    EXPECT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0) << wstatus;
    EXPECT_EQ(received.size(), text.size());
    EXPECT_TRUE(received == text);

#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
    /* a 300 MB line in a process that may map 200 MB */
    child_result res = run_in_child([] {
        struct rlimit limit = {200u << 20, 200u << 20};
        setrlimit(RLIMIT_AS, &limit);
        temp_dir dir;
        int fd = open(dir.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        message(fd, "%300000000d\n", 1);
    });
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.err.rfind("tools.cpp, ", 0), 0u) << res.err;
}

}  // namespace
