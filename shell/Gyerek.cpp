/* Gyerek.cpp - the worker thread of a run. */
#include "Gyerek.h"

#include <QFile>
#include <QStringDecoder>
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

/* Starts argv[0] with standard input from /dev/null and standard output and
 * error into one pipe, and no other descriptor, so that it inherits none of
 * the shell's files nor can mix its messages into one. Returns 0 or the
 * errno of the failure. */
int Spawn(std::vector<char *> &argv, pid_t &pid, int &readEnd)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return errno;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    /* A relative path is taken from the working directory, never from PATH. */
    int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (error != 0) {
        close(fds[0]);
        return error;
    }
    readEnd = fds[0];
    return 0;
}

} // namespace

gyerek::gyerek(QStringList arguments, std::atomic<int> &done) : Arguments(std::move(arguments)), Done(done) {}

gyerek::~gyerek() { wait(); }

void gyerek::run()
{
    std::vector<QByteArray> args;
    for (const QString &arg : Arguments)
        args.push_back(QFile::encodeName(arg));
    std::vector<char *> argv;
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    int output = -1;
    Result = TRunResult();
    Result.StartError = Spawn(argv, pid, output);
    if (Result.StartError == 0) {
        char buffer[4096];
        ssize_t got;
        while ((got = read(output, buffer, sizeof buffer)) != 0) {
            if (got > 0)
                Result.Output.append(buffer, got);
            else if (errno != EINTR)
                break;
        }
        close(output);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFSIGNALED(status))
            Result.Signal = WTERMSIG(status);
        else
            Result.ExitStatus = WEXITSTATUS(status);
    }
    Done.store(1, std::memory_order_release);
    requestInterruption();
}

QString DecodeConverterText(const QByteArray &bytes, const QString &inputPath)
{
    const QByteArray path = QFile::encodeName(inputPath);
    QStringDecoder cp1250("windows-1250");
    QString text;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = path.isEmpty() ? -1 : bytes.indexOf(path, from);
        text += cp1250(bytes.mid(from, at < 0 ? -1 : at - from));
        if (at < 0)
            return text;
        text += inputPath;
        from = at + path.size();
    }
}
