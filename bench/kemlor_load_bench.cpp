/* kemlor_load_bench - how long kemlor takes to show a large program.
 *
 *   kemlor_load_bench <drelvo> [holes] [runs]     (default 100,000 holes, 3 runs)
 *
 * Converts a generated board of flashes once with the real converter, then
 * lets the window run a stand-in converter that only copies that finished
 * program into place. The time of a run through the window, less the
 * stand-in's own time, is the shell's share: waiting for the converter to
 * end, reading the file, putting its first part into the editor and the
 * first paint of the editor scrolled to the end of that part, when the user
 * can scroll and type. The rest of the program follows from the event loop;
 * the time until all of it is in is given too. Then jumping through the
 * program and typing into it are timed per step, each step painted. Every
 * figure is the least of the runs, in milliseconds; the platform is
 * offscreen. */
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "Ablak.h"
#include "board.h"
#include "shell_test.h"
#include "test_support.h"

namespace {

/* The editor painted as it stands now. */
void Paint(TForm1 &form)
{
    form.Editor()->viewport()->repaint();
    QApplication::processEvents();
}

double Milliseconds(QElapsedTimer &timer) { return (double)timer.nsecsElapsed() / 1e6; }

/* A key typed into the editor and painted. */
void Type(TForm1 &form, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(form.Editor(), &press);
    QApplication::sendEvent(form.Editor(), &release);
    Paint(form);
}

struct figures {
    double run = 1e30, stand_in = 1e30, whole = 1e30, longest_part = 0, page = 1e30, key = 1e30;
};

void Measure(TForm1 &form, const QString &board, const std::string &stand_in, int lines, figures &best)
{
    QElapsedTimer timer;
    timer.start();
    if (std::system(("'" + stand_in + "' '" + board.toStdString() + "'").c_str()) != 0)
        std::fprintf(stderr, "the stand-in converter failed\n");
    best.stand_in = std::min(best.stand_in, Milliseconds(timer));

    form.Editor()->clear();
    InputFileName = board;
    timer.restart();
    form.StartButtonClick();
    QScrollBar *bar = form.Editor()->verticalScrollBar();
    bar->setValue(bar->maximum());
    Paint(form);
    best.run = std::min(best.run, Milliseconds(timer));
    /* The rest, part by part; the longest stall of the window between two events. */
    double longest = 0;
    while (form.Editor()->document()->blockCount() < lines) {
        QElapsedTimer part;
        part.start();
        QApplication::processEvents();
        longest = std::max(longest, Milliseconds(part));
    }
    best.whole = std::min(best.whole, Milliseconds(timer));
    best.longest_part = std::max(best.longest_part, longest);

    const int pages = 50;
    bar->setValue(0);
    Paint(form);
    timer.restart();
    for (int i = 0; i < pages; i++) {
        bar->setValue(bar->value() + bar->pageStep() * 97);   /* far jumps, as a dragged slider makes */
        Paint(form);
    }
    best.page = std::min(best.page, Milliseconds(timer) / pages);

    const int keys = 50;
    form.Editor()->moveCursor(QTextCursor::End);
    timer.restart();
    for (int i = 0; i < keys; i++)
        Type(form, Qt::Key_A, QStringLiteral("a"));
    best.key = std::min(best.key, Milliseconds(timer) / keys);
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <drelvo> [holes] [runs]\n", argv[0]);
        return 2;
    }
    const int holes = argc > 2 ? std::atoi(argv[2]) : 100000;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;

    temp_dir work;
    board_spec spec;
    spec.holes = holes;
    const std::string board = work.file("board.gbr");
    write_file(board, gerber_board(spec));
    const std::string program = work.file("program.tap");
    if (std::system(("'" + std::string(argv[1]) + "' '" + board + "' >/dev/null && mv '" + board + ".tap' '" +
                     program + "'").c_str()) != 0) {
        std::fprintf(stderr, "the converter failed on the board\n");
        return 1;
    }
    const std::string stand_in = work.file("stand-in");
    write_file(stand_in, "#!/bin/sh\nfor last; do :; done\nexec cp '" + program + "' \"$last.tap\"\n");
    chmod(stand_in.c_str(), 0755);

    TForm1 form;
    InstallFakeDialogs(form);
    form.show();
    QApplication::processEvents();
    ConverterPath = QString::fromStdString(stand_in);
    QFile stored(QString::fromStdString(program));
    stored.open(QIODevice::ReadOnly);
    const int lines = (int)stored.readAll().count('\n') + 1;   /* and the empty one after the last line end */
    figures best;
    for (int i = 0; i < runs; i++)
        Measure(form, QString::fromStdString(board), stand_in, lines, best);

    std::printf("%d holes, %d lines in the editor, least of %d runs:\n", holes, lines, runs);
    std::printf("  run through the window  %8.1f ms\n", best.run);
    std::printf("  stand-in converter      %8.1f ms\n", best.stand_in);
    std::printf("  the shell's share       %8.1f ms (from the converter's end to the painted editor)\n",
                best.run - best.stand_in);
    std::printf("  whole program in        %8.1f ms after the run began\n", best.whole);
    std::printf("  longest stall meanwhile %8.1f ms (the worst of the runs)\n", best.longest_part);
    std::printf("  a far jump, painted     %8.2f ms\n", best.page);
    std::printf("  a key typed, painted    %8.2f ms\n", best.key);
    return 0;
}
