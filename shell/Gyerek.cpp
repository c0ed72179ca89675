/* Gyerek.cpp - the worker thread of a run. */
#include "Gyerek.h"

#include <QFile>
#include <QStringList>
#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

#include "Ablak.h"

extern char **environ;

namespace {

/* The converter's command line: its path, the nine options each followed by
 * its value, the Gerber file last. */
QStringList ConverterArgs()
{
    const TShellSettings &s = ShellSettings;
    return {ConverterPath,
            QStringLiteral("-i"), QString::number(s.IntegerDigits),
            QStringLiteral("-m"), s.UnitChoice == 0 ? QStringLiteral("mm") : QStringLiteral("coll"),
            QStringLiteral("-f"), s.SpinChoice == 0 ? QStringLiteral("jobb") : QStringLiteral("bal"),
            QStringLiteral("-p"), QString::number(s.TurnValue),
            QStringLiteral("-e"), QString::number(s.FeedValue),
            QStringLiteral("-a"), QString::number(s.NeutralValue),
            QStringLiteral("-h"), QString::number(s.DepthValue),
            QStringLiteral("-x"), FormatCoord(s.XCoordValue),
            QStringLiteral("-y"), FormatCoord(s.YCoordValue),
            InputFileName};
}

} // namespace

gyerek::~gyerek() { wait(); }

void gyerek::run()
{
    std::vector<QByteArray> args;
    for (const QString &arg : ConverterArgs())
        args.push_back(QFile::encodeName(arg));
    std::vector<char *> argv;
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    /* A relative path is taken from the working directory, as the bare name
     * is meant to be; neither the exit status nor a failed start matters,
     * since the run is judged by its output file. */
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0) {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ConversionDone.store(1, std::memory_order_release);
    requestInterruption();
}
