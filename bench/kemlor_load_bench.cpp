/* kemlor_load_bench - kemlor with a large program, step by step.
 *
 *   kemlor_load_bench <drelvo> [holes] [runs]     (default 100,000 holes, 3 runs)
 *
 * Converts a generated board of flashes once with the real converter, then
 * lets the window run a stand-in converter that only copies that finished
 * program into place. Each run then goes through what a user does with it:
 * the program loaded (the shell's share: from the stand-in's end to the
 * painted editor scrolled to the end of the first part; and until all of it
 * is in), far jumps and typing in the editor, the plan opened, a coordinate
 * edited and the plan re-read after the typing pause (and once more
 * without its paint, for the reading alone), the plan repainted
 * after an expose and redrawn after a zoom (each drawing until its picture,
 * drawn in slices, is complete), `ment` until it is reported, and a key
 * typed while it writes. A 0 ms timer runs all the while; the longest gap
 * between two of its turns is the longest stall of the event loop, named by
 * the step it fell in. Every time is the least of the runs, in milliseconds
 * (the stall the worst); the platform is offscreen. */
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/stat.h>

#include "Ablak.h"
#include "ProgramLoader.h"
#include "board.h"
#include "plan/Terv.h"
#include "plan/Vaszon.h"
#include "shell_test.h"
#include "test_support.h"

namespace {

double Milliseconds(const QElapsedTimer &timer) { return (double)timer.nsecsElapsed() / 1e6; }

/* The longest gap between two turns of the event loop, and the step it fell in. */
class TStallWatch {
public:
    TStallWatch()
    {
        QObject::connect(&Ticker, &QTimer::timeout, [this] { Turn(); });
        Ticker.start(0);
        Clock.start();
    }
    void Step(const char *name)
    {
        Turn();
        Current = name;
    }
    double Longest = 0;
    const char *LongestStep = "";
    std::map<std::string, double> ByStep; /* the longest gap in each step */

private:
    void Turn()
    {
        const double now = Milliseconds(Clock), gap = now - Last;
        Last = now;
        ByStep[Current] = std::max(ByStep[Current], gap);
        if (gap > Longest) {
            Longest = gap;
            LongestStep = Current;
        }
    }
    QTimer Ticker;
    QElapsedTimer Clock;
    double Last = 0;
    const char *Current = "";
};

/* The events waiting now, the paints they ask for included. */
void Settle() { QApplication::processEvents(); }

void Paint(QWidget *widget)
{
    widget->repaint();
    Settle();
}

/* A key typed into the editor and painted. */
void Type(TForm1 &form, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(form.Editor(), &press);
    QApplication::sendEvent(form.Editor(), &release);
    Paint(form.Editor()->viewport());
}

struct figures {
    double run = 1e30, stand_in = 1e30, whole = 1e30, page = 1e30, key = 1e30, plan = 1e30, reread = 1e30, reread_turn = 1e30,
           repaint = 1e30, zoom = 1e30, save = 1e30, key_saving = 1e30, stall = 0;
    const char *stall_step = "";
    double plan_stall = 0;
    std::string plan_stall_step;
    long rss_kib = 0;
};

void Least(double &best, double now) { best = std::min(best, now); }

long ResidentKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

void Load(TForm1 &form, TStallWatch &watch, const QString &board, const std::string &stand_in, int lines,
          figures &best)
{
    QElapsedTimer timer;
    timer.start();
    if (std::system(("'" + stand_in + "' '" + board.toStdString() + "'").c_str()) != 0)
        std::fprintf(stderr, "the stand-in converter failed\n");
    const double stand_in_ms = Milliseconds(timer);
    Least(best.stand_in, stand_in_ms);

    watch.Step("load: first part");
    InputFileName = board;
    timer.restart();
    form.StartButtonClick();
    QScrollBar *bar = form.Editor()->verticalScrollBar();
    bar->setValue(bar->maximum());
    Paint(form.Editor()->viewport());
    Least(best.run, Milliseconds(timer) - stand_in_ms);
    watch.Step("load: the rest by parts");
    while (form.Editor()->document()->blockCount() < lines)
        Settle();
    Least(best.whole, Milliseconds(timer) + stand_in_ms);
    best.rss_kib = std::max(best.rss_kib, ResidentKib());
}

void Browse(TForm1 &form, TStallWatch &watch, figures &best)
{
    watch.Step("editor: far jumps and typing");
    QScrollBar *bar = form.Editor()->verticalScrollBar();
    const int pages = 50, keys = 50;
    bar->setValue(0);
    Paint(form.Editor()->viewport());
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < pages; i++) {
        bar->setValue(bar->value() + bar->pageStep() * 97); /* far jumps, as a dragged slider makes */
        Paint(form.Editor()->viewport());
    }
    Least(best.page, Milliseconds(timer) / pages);
    form.Editor()->moveCursor(QTextCursor::End);
    timer.restart();
    for (int i = 0; i < keys; i++)
        Type(form, Qt::Key_A, QStringLiteral("a"));
    Least(best.key, Milliseconds(timer) / keys);
}

/* The plan opened, a hole moved in the middle of the program and read
 * again after the typing pause, repainted, zoomed. */
void Plan(TForm1 &form, TStallWatch &watch, figures &best)
{
    TTervAblak *plan = form.PlanWindow();
    watch.Step("plan: opened");
    QElapsedTimer timer;
    timer.start();
    form.PlanButtonClick();
    while (plan->Reading())
        Settle();
    Paint(plan->Canvas);
    while (!plan->Canvas->Drawn())
        Settle();
    Least(best.plan, Milliseconds(timer));

    watch.Step("plan: re-read after an edit");
    const size_t middle = plan->Program().Holes.size() / 2;
    const double x = plan->Program().Holes[middle].X;
    /* The hole's X is on the line before its plunge: a 9 after the X. */
    QTextCursor cursor(form.Editor()->document()->findBlockByNumber(plan->Program().Holes[middle].Line - 1));
    cursor.movePosition(QTextCursor::NextCharacter);
    form.Editor()->setTextCursor(cursor);
    Type(form, Qt::Key_9, QStringLiteral("9"));
    double longest = 0;
    while (plan->Program().Holes.size() <= middle || plan->Program().Holes[middle].X == x) {
        timer.restart();
        Settle();
        longest = std::max(longest, Milliseconds(timer));
    }
    Least(best.reread_turn, longest);
    Settle();
    timer.restart();
    plan->ShowProgram(); /* the reading alone, in its slices; its paint left to the event loop */
    while (plan->Reading())
        QCoreApplication::processEvents();
    Least(best.reread, Milliseconds(timer));
    while (!plan->Canvas->Drawn()) /* its picture, in slices */
        Settle();

    watch.Step("plan: repaint");
    timer.restart();
    Paint(plan->Canvas);
    Least(best.repaint, Milliseconds(timer));

    watch.Step("plan: zoomed");
    const QPointF centre = QRectF(plan->Canvas->rect()).center();
    QWheelEvent wheel(centre, plan->Canvas->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    timer.restart();
    QApplication::sendEvent(plan->Canvas, &wheel);
    Paint(plan->Canvas);
    while (!plan->Canvas->Drawn())
        Settle();
    Least(best.zoom, Milliseconds(timer));
    plan->FitButtonClick();
    plan->hide();
}

void Save(TForm1 &form, TStallWatch &watch, figures &best)
{
    watch.Step("ment");
    QElapsedTimer timer;
    timer.start();
    form.SaveFileClick();
    while (form.Saving()) /* written in the background, reported from the event loop */
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Least(best.save, Milliseconds(timer));
    if (form.Editor()->document()->isModified())
        std::fprintf(stderr, "ment failed\n");
    Settle();
    /* Saved again, and a key typed at once: the text being written is copied once. */
    form.SaveFileClick();
    timer.restart();
    Type(form, Qt::Key_A, QStringLiteral("a"));
    Least(best.key_saving, Milliseconds(timer));
    while (form.Saving())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Settle();
}

void Report(const figures &best, int holes, int lines, int runs)
{
    std::printf("%d holes, %d lines in the editor, least of %d runs (ms):\n", holes, lines, runs);
    const struct {
        const char *name;
        double value;
    } rows[] = {
        {"from the converter's end to a scrollable editor", best.run},
        {"whole program loaded, from the run's start", best.whole},
        {"a far jump in the editor, painted", best.page},
        {"a key typed in the editor, painted", best.key},
        {"plan opened and painted", best.plan},
        {"plan re-read after an edit", best.reread},
        {"the same with its redraw, in one turn of the loop", best.reread_turn},
        {"plan repaint (expose)", best.repaint},
        {"plan redrawn after a zoom", best.zoom},
        {"ment", best.save},
        {"the first key typed while ment writes, painted", best.key_saving},
    };
    for (const auto &row : rows)
        std::printf("  | %-50s | %9.1f |\n", row.name, row.value);
    std::printf("  | %-50s | %9.1f | in \"%s\"\n", "longest stall of the event loop (worst run)", best.stall,
                best.stall_step);
    std::printf("  | %-50s | %9.1f | in \"%s\"\n", "longest stall in the plan's steps", best.plan_stall,
                best.plan_stall_step.c_str());
    std::printf("  | %-50s | %6ld MiB |\n", "resident memory with the program loaded", best.rss_kib / 1024);
    std::printf("  (the stand-in converter took %.1f ms)\n", best.stand_in);
}

}  // namespace

int main(int argc, char **argv)
{
    KeepLargeBlocksMapped(); /* as kemlor does */
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
    QFile stored(QString::fromStdString(program));
    stored.open(QIODevice::ReadOnly);
    const int lines = (int)stored.readAll().count('\n') + 1; /* and the empty one after the last line end */

    figures best;
    for (int i = 0; i < runs; i++) {
        TForm1 form;
        InstallFakeDialogs(form);
        form.show();
        Settle();
        ConverterPath = QString::fromStdString(stand_in);
        TStallWatch watch;
        Load(form, watch, QString::fromStdString(board), stand_in, lines, best);
        Browse(form, watch, best);
        Plan(form, watch, best);
        Save(form, watch, best);
        watch.Step("");
        if (watch.Longest > best.stall) {
            best.stall = watch.Longest;
            best.stall_step = watch.LongestStep;
        }
        for (const auto &[step, gap] : watch.ByStep)
            if (step.rfind("plan:", 0) == 0 && gap > best.plan_stall) {
                best.plan_stall = gap;
                best.plan_stall_step = step;
            }
    }
    Report(best, holes, lines, runs);
    return 0;
}
