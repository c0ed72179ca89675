/* plan_bench.cpp - the drilling plan window on large programs: reading the
 * editor's text again, and one full repaint of the plan fitted to a window, every
 * hole and every move drawn afresh. Runs on the offscreen platform.
 *
 * The programs are written the way the converter writes them, holes on a
 * 2.54 mm grid with a jitter, visited row by row in alternating directions;
 * the converter itself needs too much memory for boards of this size. */
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTextDocument>
#include <cmath>

#include "EditorText.h"
#include "plan/Olvaso.h"
#include "plan/Rajz.h"

namespace {

QString Program(int holes)
{
    const int columns = int(std::ceil(std::sqrt(double(holes))));
    QString text = QStringLiteral("G90\nG21\nF400.00000\nG0 Z2.00000\nS1000\nM3\n");
    text.reserve(holes * 48);
    unsigned jitter = 1;
    for (int i = 0; i < holes; ++i) {
        const int row = i / columns, column = row % 2 ? columns - 1 - i % columns : i % columns;
        jitter = jitter * 1103515245u + 12345u;
        const double dx = (jitter >> 16) % 50 / 100.0, dy = (jitter >> 8) % 50 / 100.0;
        if (i > 0)
            text += QStringLiteral("G0 Z2.00000\n");
        text += QStringLiteral("X%1 Y%2\nG1 Z-2.00000\n")
                    .arg(column * 2.54 + dx, 0, 'f', 5)
                    .arg(row * 2.54 + dy, 0, 'f', 5);
    }
    return text + QStringLiteral("G0 Z2.00000\nX0.00000 Y0.00000\nM5\nM2\n");
}

/* As the window reads it again after an edit: the plain text kept beside
 * the editor's document, read into the record of the reading before. */
void BM_ReadProgram(benchmark::State &state)
{
    QTextDocument document;
    PlainText(&document);
    document.setPlainText(Program(int(state.range(0))));
    TDrillProgram program = ReadDrillProgram(PlainText(&document));
    for (auto _ : state) {
        ReadDrillProgram(PlainText(&document), program);
        benchmark::DoNotOptimize(program.Holes.data());
    }
    state.counters["lines"] = double(document.blockCount());
}
BENCHMARK(BM_ReadProgram)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

/* The window's canvas at a common size; the backing store of a widget is
 * an image of this format. */
void BM_Repaint(benchmark::State &state)
{
    const TDrillProgram program = ReadDrillProgram(Program(int(state.range(0))));
    TDrawing drawing;
    drawing.Program = &program;
    drawing.Size = QSize(1280, 900);
    drawing.Viewport = FitViewport(program, drawing.Size);
    drawing.Highlighted = int(program.Holes.size() / 2);
    QImage image(drawing.Size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        DrawProgram(painter, drawing);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_Repaint)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
