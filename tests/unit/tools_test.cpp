/* tools_test.cpp - message(): long texts, text-mode line ends and a failed write. */
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"
#include "tools.h"

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
        const char *text_mode; /* as stored in a file made by create_text_file */
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
        int text_fd = create_text_file(dir.file("text").c_str());
        ASSERT_GE(text_fd, 0);
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

TEST(Message, FailedWriteEndsWithTheQuotingDiagnostic)
{
    struct row {
        bool text_mode;
        const char *text;
    };
    const row rows[] = {{false, "G90\n"}, {true, "X1.00000 Y2.00000\nM5\nM2\n"}};
    for (const row &r : rows) {
        SCOPED_TRACE(r.text);
        child_result res = run_in_child([&] {
            int fd = r.text_mode ? create_text_file("/dev/full") : open("/dev/full", O_WRONLY);
            message(fd, "%s", r.text);
        });
        EXPECT_EQ(res.status, 1);
        /* the escapes of the message literal stay visible; the quoted text is as formatted */
        const std::string prefix = "tools.cpp, message.";
        const std::string rest = cp1250("(): \"Nem sikerült kiírni: \\\"") + r.text + "\\\"\\n\"\n";
        ASSERT_GT(res.err.size(), prefix.size() + rest.size());
        EXPECT_EQ(res.err.substr(0, prefix.size()), prefix);
        std::string line = res.err.substr(prefix.size(), res.err.size() - prefix.size() - rest.size());
        EXPECT_EQ(line.find_first_not_of("0123456789"), std::string::npos) << line;
        EXPECT_EQ(res.err.substr(res.err.size() - rest.size()), rest);
    }
}

}  // namespace
