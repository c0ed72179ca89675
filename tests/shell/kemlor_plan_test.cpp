/* The drilling plan window with the main window's editor: opening after a
 * run, the link between holes and plunge lines, following typed edits, the
 * bits' colours and sizes, the readout, the warnings, and the saved
 * pictures read back. */
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSvgRenderer>
#include <QTextBlock>
#include <QtTest>

#include "Ablak.h"
#include "plan/Rajz.h"
#include "plan/Terv.h"
#include "plan/Vaszon.h"
#include "shell_test.h"
#include "test_support.h"

#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>

namespace {

/* Two bits: holes at (1, 1) and (4, 5) with the first, (4, 1) with the second. */
const char *const TwoBits = "G90\nG21\nF400.00000\nG0 Z2.00000\nS1000\nM3\n"
                            "X1.00000 Y1.00000\nG1 Z-2.00000\nG0 Z2.00000\n"
                            "X4.00000 Y5.00000\nG1 Z-2.00000\nG0 Z2.00000\n"
                            "X0.00000 Y0.00000\nM5\n(MSG, 2. furo 0.80 mm 1 furat)\nT2 M6\nM0\nS1000 M3\n"
                            "X4.00000 Y1.00000\nG1 Z-2.00000\nG0 Z2.00000\nX0.00000 Y0.00000\nM5\nM2\n";

/* Holes of a 3 mm bit at (1, 1) and (10, 5) and of a 0.8 mm bit at (4, 1),
 * as the converter writes a drill file's program, in `unit` ("G21" or "G20"). */
QString SizedBits(const char *unit)
{
    return QStringLiteral("G90\n%1\nF400\nG0 Z2\nS1000\nX0 Y0\nM5\n(MSG, 1. furo 3.00 mm 2 furat)\nM0\nM3\n"
                          "X1 Y1\nG1 Z-2\nG0 Z2\nX10 Y5\nG1 Z-2\nG0 Z2\nX0 Y0\nM5\n"
                          "(MSG, 2. furo 0.80 mm 1 furat)\nM0\nM3\nX4 Y1\nG1 Z-2\nG0 Z2\nX0 Y0\nM5\nM2\n")
        .arg(QLatin1String(unit));
}

QPoint HoleOnScreen(const TVaszon &canvas, const THole &hole)
{
    return canvas.Drawing().Viewport.ToScreen(hole.X, hole.Y).toPoint();
}

/* Answers the save dialog with `Answer` in the filter `Filter`, and keeps the name it offered. */
class TPictureDialogs : public TFakeDialogs {
public:
    QString Suggested, SaveAnswer, SaveFilter;
    QString SaveDialog(QWidget *, const QString &, const QString &suggested, const QString &,
                       QString &filter) override
    {
        Suggested = suggested;
        filter = SaveFilter;
        return SaveAnswer;
    }
};

QImage Rendered(const TDrawing &drawing)
{
    QImage image(drawing.Size, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawProgram(painter, drawing);
    return image;
}

/* Writes beyond `bytes` fail as on a full disk, until the object goes. */
struct TFileSizeLimit {
    rlimit Saved;
    explicit TFileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &Saved);
        rlimit limit{bytes, Saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &Saved); }
};

} // namespace

class PlanTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> Form;
    std::unique_ptr<temp_dir> Work;
    TPictureDialogs *Dialogs = nullptr;

    TTervAblak &Plan() { return *Form->PlanWindow(); }

private slots:
    void init()
    {
        ResetShellState();
        Work = std::make_unique<temp_dir>();
        Form = std::make_unique<TForm1>();
        auto dialogs = std::make_unique<TPictureDialogs>();
        Dialogs = dialogs.get();
        Form->SetDialogs(std::move(dialogs));
        ConverterPath = QStringLiteral(DRELVO_BIN);
    }
    void cleanup()
    {
        Form.reset();
        Work.reset();
    }

    /* A long program is read in slices while the window answers; an edit
     * meanwhile starts the reading again on the new text, also with the
     * window closed, and the first program taken is the edited one. */
    void editWhileReading()
    {
        QString text;
        const QString words = QStringLiteral(" Y1").repeated(160);
        for (int hole = 0; hole < 20000; ++hole)
            text += QStringLiteral("X%1%2\nG1 Z-1\nG0 Z1\n").arg(hole).arg(words);
        Form->Editor()->setPlainText(text);
        Plan().ShowProgram();
        QVERIFY(Plan().Reading());
        Plan().hide();
        QTextCursor(Form->Editor()->document()).insertText(QStringLiteral("G20\n"));
        QTRY_VERIFY_WITH_TIMEOUT(!Plan().Reading(), 20000);
        QCOMPARE(Plan().Program().Unit, TProgramUnit::Inch);
        QCOMPARE(Plan().Program().Holes.size(), size_t(20000));
        QCOMPARE(Plan().Program().Holes.back().Line, 3 * 19999 + 2); /* its plunge, after the new line */
        QCOMPARE(Plan().Program().Holes.back().X, 19999.0);
    }

    /* A run opens the plan of the board; clicking a hole selects its plunge
     * line, and the cursor on a plunge line marks its hole. */
    void holesAndPlungeLines()
    {
        QVERIFY(QFile::copy(QStringLiteral(EXAMPLES_DIR "/board.gbr"), QString::fromStdString(Work->file("b.gbr"))));
        InputFileName = QString::fromStdString(Work->file("b.gbr"));
        Form->StartButtonClick();
        QVERIFY(Plan().isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&Plan()));
        QCOMPARE(Plan().Program().Holes.size(), size_t(7));

        TVaszon &canvas = *Plan().Canvas;
        const THole &fifth = Plan().Program().Holes[4];
        QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier, HoleOnScreen(canvas, fifth));
        const QTextCursor selected = Form->Editor()->textCursor();
        QCOMPARE(selected.blockNumber(), fifth.Line);
        QCOMPARE(selected.selectedText(), QStringLiteral("G1 Z-2.00000"));
        QCOMPARE(canvas.Drawing().Highlighted, 4);

        /* A drag pans instead of picking the hole it starts on. */
        const QPoint first = HoleOnScreen(canvas, Plan().Program().Holes[0]);
        QTest::mousePress(&canvas, Qt::LeftButton, Qt::NoModifier, first);
        QTest::mouseMove(&canvas, first + QPoint(30, -20));
        QTest::mouseRelease(&canvas, Qt::LeftButton, Qt::NoModifier, first + QPoint(30, -20));
        QCOMPARE(Form->Editor()->textCursor().blockNumber(), fifth.Line);
        QCOMPARE(HoleOnScreen(canvas, Plan().Program().Holes[0]), first + QPoint(30, -20));

        /* The wheel zooms about the pointer: the hole under it stays put. */
        const QPointF under = canvas.Drawing().Viewport.ToScreen(fifth.X, fifth.Y);
        const double scale = canvas.Drawing().Viewport.Scale;
        QWheelEvent wheel(under, canvas.mapToGlobal(under), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&canvas, &wheel);
        QCOMPARE(canvas.Drawing().Viewport.Scale, scale * 1.25 * 1.25);
        QCOMPARE(canvas.Drawing().Viewport.ToScreen(fifth.X, fifth.Y), under);

        Form->Editor()->setTextCursor(QTextCursor(Form->Editor()->document()->findBlockByNumber(fifth.Line - 1)));
        QCOMPARE(canvas.Drawing().Highlighted, -1);
        const int second = Plan().Program().Holes[1].Line;
        Form->Editor()->setTextCursor(QTextCursor(Form->Editor()->document()->findBlockByNumber(second)));
        QCOMPARE(canvas.Drawing().Highlighted, 1);
    }

    /* Typing is read once it pauses, not on every key; a word the plan does
     * not follow shows the warning. */
    void followsTyping()
    {
        Form->Editor()->setPlainText(QString::fromLatin1(TwoBits));
        /* The button's access key opens the plan, although Tab passes it by. */
        Form->show();
        QApplication::setActiveWindow(Form.get());
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
        QVERIFY(!Plan().isVisible());
        QTest::keyClick(Form.get(), Qt::Key_T, Qt::AltModifier);
        QTRY_VERIFY(Plan().isVisible());
        QCOMPARE(Plan().Program().Holes.size(), size_t(3));
        QVERIFY(!Plan().WarningLabel->isVisibleTo(&Plan()));

        QTextCursor cursor(Form->Editor()->document()->findBlockByNumber(18));
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(QStringLiteral("X4.00000 Y2.00000"));
        QCOMPARE(Plan().Program().Holes.back().Y, 1.0);
        QTRY_COMPARE(Plan().Program().Holes.back().Y, 2.0);

        QTextCursor(Form->Editor()->document()->findBlockByNumber(3)).insertText(QStringLiteral("G92 X0 Y0\n"));
        QTRY_VERIFY(Plan().WarningLabel->isVisibleTo(&Plan()));
        QVERIFY(Plan().WarningLabel->text().contains(QStringLiteral("G92")));
        QVERIFY(Plan().SummaryLabel->text().contains(QStringLiteral("1 sort nem tudott értelmezni")));
        QVERIFY(Plan().SummaryLabel->text().startsWith(QStringLiteral("3 furat (fúrónként 2 + 1)")));
    }

    /* The canvas keeps its picture between paints; whatever changes, it
     * shows exactly the drawing of the state it is in. */
    void canvasShowsTheDrawingAfterEveryChange()
    {
        TDrillProgram program = ReadDrillProgram(SizedBits("G21"));
        TVaszon canvas;
        canvas.resize(400, 300);
        canvas.SetProgram(&program, true);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas));
        auto wheel = [&](const QPointF &at) {
            QWheelEvent event(at, canvas.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(&canvas, &event);
        };
        const std::pair<const char *, std::function<void()>> changes[] = {
            {"first paint", [] {}},
            {"hole highlighted", [&] { canvas.SetHighlighted(1); }},
            {"another hole", [&] { canvas.SetHighlighted(2); }},
            {"zoomed", [&] { wheel(QPointF(100, 100)); }},
            {"zoomed about the origin, which stays put", [&] { wheel(canvas.Drawing().Viewport.Offset); }},
            {"panned", [&] {
                 QTest::mousePress(&canvas, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
                 QTest::mouseMove(&canvas, QPoint(90, 70));
                 QTest::mouseRelease(&canvas, Qt::LeftButton, Qt::NoModifier, QPoint(90, 70));
             }},
            {"read again, moved", [&] {
                 program = ReadDrillProgram(SizedBits("G21").replace(QStringLiteral("X10 Y5"), QStringLiteral("X7 Y3")));
                 canvas.SetProgram(&program, false);
             }},
            {"resized", [&] { canvas.resize(500, 320); }},
            {"fitted", [&] { canvas.Fit(); }},
            {"highlight gone", [&] { canvas.SetHighlighted(-1); }},
        };
        for (const auto &[name, change] : changes) {
            change();
            QVERIFY2(canvas.grab().toImage().convertToFormat(QImage::Format_RGB32) == Rendered(canvas.Drawing()), name);
        }
    }

    /* A picture drawn in parts of any size, each part with a painter of its
     * own, is the picture drawn in one piece; on the canvas, a change while
     * it draws starts the picture again and the old one never counts as
     * drawn. The program has moves of every kind and holes of two bits. */
    void drawingInParts()
    {
        TDrillProgram program = ReadDrillProgram(
            SizedBits("G21").replace(QStringLiteral("G0 Z2\nX10 Y5"), QStringLiteral("G0 X10 Y5"))
                .replace(QStringLiteral("G0 Z2\nX0 Y0\nM5\nM2"), QStringLiteral("G0 Z2\nG1 X8 Y2\nX0 Y0\nM5\nM2")));
        int kinds[3] = {};
        for (const TMove &move : program.Moves)
            ++kinds[move.BelowZero ? 2 : move.Rapid ? 0 : 1];
        QVERIFY(kinds[0] > 0 && kinds[1] > 0 && kinds[2] > 0);
        TDrawing drawing{&program, FitViewport(program, QSize(400, 300)), QSize(400, 300)};
        QImage whole(drawing.Size, QImage::Format_RGB32);
        DrawProgramBase(*std::make_unique<QPainter>(&whole), drawing);
        const size_t items = program.Moves.size() * 4 + program.Holes.size() * 2 + 4;
        for (size_t slice = 1; slice <= items; ++slice) {
            QImage parts(drawing.Size, QImage::Format_RGB32);
            TDrawingPart part;
            for (size_t calls = 0; !DrawProgramBasePart(*std::make_unique<QPainter>(&parts), drawing, part, slice);)
                QVERIFY(++calls <= items);
            QVERIFY2(parts == whole, qPrintable(QStringLiteral("parts of %1").arg(slice)));
        }

        TVaszon canvas;
        canvas.SetSliceItems(2);
        canvas.resize(400, 300);
        canvas.SetProgram(&program, true);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas));
        const auto drawn = [&] { return canvas.grab().toImage().convertToFormat(QImage::Format_RGB32); };
        QVERIFY(QTest::qWaitFor([&] { return canvas.Drawn(); }));
        QVERIFY(drawn() == Rendered(canvas.Drawing()));
        QWheelEvent wheel(QPointF(100, 100), canvas.mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&canvas, &wheel);
        canvas.repaint();
        QVERIFY(!canvas.Drawn());
        QCoreApplication::processEvents();
        canvas.resize(420, 310); /* midway */
        QVERIFY(!canvas.Drawn());
        QVERIFY(QTest::qWaitFor([&] { return canvas.Drawn(); }));
        QVERIFY(drawn() == Rendered(canvas.Drawing()));
        /* Held while a newer program is read: no slice is drawn until released. */
        QApplication::sendEvent(&canvas, &wheel);
        canvas.repaint();
        canvas.HoldPictures(true);
        for (size_t turn = 0; turn < items; ++turn) {
            canvas.repaint();
            QCoreApplication::processEvents();
        }
        QVERIFY(!canvas.Drawn());
        canvas.HoldPictures(false);
        QVERIFY(QTest::qWaitFor([&] { return canvas.Drawn(); }));
        QVERIFY(drawn() == Rendered(canvas.Drawing()));
        /* Hidden, nothing paints: the slices themselves see the change. */
        QApplication::sendEvent(&canvas, &wheel);
        canvas.repaint();
        canvas.hide();
        QApplication::sendEvent(&canvas, &wheel);
        QVERIFY(QTest::qWaitFor([&] { return canvas.Drawn(); }, 2000));
        QVERIFY(drawn() == Rendered(canvas.Drawing()));
    }

    /* Any two of up to 40 bits differ in colour clearly, not only in a bit of RGB. */
    void bitColours()
    {
        for (int a = 0; a < 40; ++a)
            for (int b = 0; b < a; ++b) {
                const QColor x = BitColor(a), y = BitColor(b);
                QVERIFY(std::hypot(x.red() - y.red(), x.green() - y.green(), x.blue() - y.blue()) > 24);
            }
    }

    /* Holes at their bit's diameter in the program's unit, on the screen
     * (never below a small dot) and on pictures; a bit of unknown size keeps
     * its dot. Checked left of each centre, where no ring of a mark passes. */
    void holeSizes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QList<double>>("radii");
        QTest::newRow("mm") << SizedBits("G21") << 10.0 << QList<double>{15, 15, 4};
        QTest::newRow("inch") << SizedBits("G20") << 254.0 << QList<double>{15, 15, 4};
        QTest::newRow("mm, small") << SizedBits("G21") << 1.0 << QList<double>{1.5, 1.5, 0.4};
        QTest::newRow("no sizes") << QString::fromLatin1(TwoBits).remove(QRegularExpression("\\(MSG.*\\)")) << 10.0
                                  << QList<double>{4, 4, 4};
    }

    void holeSizes()
    {
        QFETCH(QString, text);
        QFETCH(double, scale);
        QFETCH(QList<double>, radii);
        const TDrillProgram program = ReadDrillProgram(text);
        TDrawing drawing{&program, {scale, QPointF(40, 6 * scale + 40)},
                         QSize(int(12 * scale) + 300, int(6 * scale) + 80)};
        for (bool vector : {false, true}) {
            drawing.Vector = vector;
            const QImage image = Rendered(drawing);
            for (int i = 0; i < radii.size(); ++i) {
                const THole &hole = program.Holes[size_t(i)];
                const double radius = std::max(radii[i], vector ? 0.0 : SmallestHoleRadius);
                QCOMPARE(HoleRadiusOf(drawing, hole.Bit), radius);
                const QPointF at = drawing.Viewport.ToScreen(hole.X, hole.Y);
                const QRgb colour = BitColor(hole.Bit).rgb();
                QVERIFY(radius < 4 || image.pixel((at - QPointF(radius - 1.5, 0)).toPoint()) == colour);
                QVERIFY(radius < 4 || image.pixel((at - QPointF(radius + 1.5, 0)).toPoint()) != colour);
            }
        }
    }

    /* The pointer's place in the program's unit, and the hole under it or
     * else the one clicked: its place in the order, its line, where it is, its bit. */
    void readout()
    {
        for (const char *unit : {"G21", "G20"}) {
            Form->Editor()->setPlainText(SizedBits(unit));
            Form->PlanButtonClick();
            TVaszon &canvas = *Plan().Canvas;
            const TDrillProgram &program = Plan().Program();
            const QString third = QStringLiteral("3. furat (3 közül, 23. sor): %1, 2. fúró, Ø 0.80 mm")
                                      .arg(Coordinates(program, 4, 1));
            QCOMPARE(HoleText(program, 2), third);
            const QPoint empty = canvas.Drawing().Viewport.ToScreen(7, 3).toPoint();
            QTest::mouseMove(&canvas, QPoint(1, 1)); /* a pointer that stays put moves nothing */
            QTest::mouseMove(&canvas, empty);
            const QPointF under = canvas.Drawing().Viewport.ToProgram(empty);
            QCOMPARE(Plan().ReadoutLabel->text(), QStringLiteral("mutató: %1 %2")
                                                      .arg(Coordinates(program, under.x(), under.y()),
                                                           UnitName(program.Unit)));
            QTest::mouseMove(&canvas, HoleOnScreen(canvas, program.Holes[2]));
            QVERIFY(Plan().ReadoutLabel->text().endsWith(QStringLiteral(" · ") + third));
            QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier, HoleOnScreen(canvas, program.Holes[1]));
            QTest::mouseMove(&canvas, empty);
            QVERIFY(Plan().ReadoutLabel->text().endsWith(QStringLiteral(" · ") + HoleText(program, 1)));
        }
        QCOMPARE(Plan().Program().Unit, TProgramUnit::Inch);
    }

    /* The estimate counts the bit changes and the dwells; a move sideways
     * below Z0 is warned of above the plan, in the summary and at the move. */
    void summaryAndWarnings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("summary");
        QTest::addColumn<bool>("warned");
        QTest::newRow("bit changes and dwells")
            << SizedBits("G21").replace(QStringLiteral("M3\n"), QStringLiteral("M3\nG4 P1.5\n"))
            << QStringList{QStringLiteral("+ 2 fúrócsere"), QStringLiteral("2 várakozás 3 mp")} << false;
        QTest::newRow("rapid at depth")
            << QString::fromLatin1(TwoBits).replace(QStringLiteral("G0 Z2.00000\nX4.00000 Y5.00000\n"),
                                                    QStringLiteral("G0 X4.00000 Y5.00000\n"))
            << QStringList{QStringLiteral("3 furat"), QStringLiteral("+ 1 fúrócsere"),
                           QStringLiteral("Figyelem: 1 mozgás X/Y irányban Z0 alatt")}
            << true;
    }

    void summaryAndWarnings()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, summary);
        QFETCH(bool, warned);
        Form->Editor()->setPlainText(text);
        Form->PlanButtonClick();
        for (const QString &part : summary)
            QVERIFY2(Plan().SummaryLabel->text().contains(part), qPrintable(Plan().SummaryLabel->text()));
        QCOMPARE(Plan().WarningLabel->isVisibleTo(&Plan()), warned);
        QCOMPARE(Plan().WarningLabel->text().contains(QStringLiteral("Z0 alatt")), warned);
        const TDrawing drawing = Plan().Canvas->Drawing();
        const QImage image = Rendered(drawing);
        for (const TMove &move : Plan().Program().Moves) {
            const QPointF middle = move.Path.center();
            const QColor colour = image.pixelColor(drawing.Viewport.ToScreen(middle.x(), middle.y()).toPoint());
            QCOMPARE(colour.red() > 200 && colour.green() < 60 && colour.blue() > 150, move.BelowZero);
        }
    }

    /* The plan opens inside the screen's available area, wherever the main window is. */
    void opensOnScreen()
    {
        const QRect area = Form->screen()->availableGeometry();
        for (const QPoint &at :
             {area.topLeft(), area.topLeft() + QPoint(30, 20), area.bottomRight() - QPoint(400, 300)}) {
            Form->move(at);
            Form->show();
            Form->PlanButtonClick();
            QVERIFY(area.contains(Plan().frameGeometry()));
            Plan().close();
        }
    }

    /* Pictures at true size: an SVG whose size on paper is the plan's in mm,
     * PNGs of 300 and 600 dpi that say so, each hole where the program puts
     * it; the name offered after the program's. */
    void trueScalePictures()
    {
        Form->Editor()->setPlainText(SizedBits("G21"));
        Form->PlanButtonClick();
        Plan().SetProgramFile(QStringLiteral("/pcb/board.drl.tap"));
        const TDrawing drawing = TrueScaleDrawing(Plan().Program(), -1);
        const QSizeF mm = QSizeF(drawing.Size) * 25.4 / 96;
        for (int kind = 0; kind < 3; ++kind) {
            Dialogs->SaveAnswer = QString::fromStdString(Work->file("terv" + std::to_string(kind)));
            Dialogs->SaveFilter = QStringList{QStringLiteral("PNG kép, 300 dpi (*.png)"),
                                              QStringLiteral("PNG kép, 600 dpi (*.png)"),
                                              QStringLiteral("SVG rajz (*.svg)")}[kind];
            Plan().SaveButtonClick();
            QCOMPARE(Dialogs->Suggested, QStringLiteral("/pcb/board.drl.png"));
            const QString path = Dialogs->SaveAnswer + (kind < 2 ? QStringLiteral(".png") : QStringLiteral(".svg"));
            const int dpi = kind < 2 ? 300 * (kind + 1) : 254;
            QImage image(path);
            if (kind == 2) {
                QFile file(path);
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString size = QStringLiteral("<svg width=\"%1mm\" height=\"%2mm\"")
                                         .arg(qRound(mm.width() * 100) / 100.0)
                                         .arg(qRound(mm.height() * 100) / 100.0);
                QVERIFY(file.readAll().contains(size.toUtf8()));
                image = QImage((mm * 10).toSize(), QImage::Format_RGB32);
                QPainter painter(&image);
                QSvgRenderer(path).render(&painter);
            }
            QVERIFY(kind == 2 || image.dotsPerMeterX() == qRound(dpi / 0.0254));
            QVERIFY(std::abs(image.width() - mm.width() / 25.4 * dpi) <= 1);
            for (const THole &hole : Plan().Program().Holes)
                QCOMPARE(image.pixel((drawing.Viewport.ToScreen(hole.X, hole.Y) * dpi / 96).toPoint()),
                         BitColor(hole.Bit).rgb());
        }
        QVERIFY(Dialogs->Boxes.empty());
    }

    /* A picture that cannot be written whole is told in a box and leaves the
     * earlier one as it was, with no stray file beside it. A limit on the
     * size of files written stands in for a full disk. */
    void failedExport()
    {
        Form->Editor()->setPlainText(SizedBits("G21"));
        Form->PlanButtonClick();
        for (const char *name : {"terv.png", "terv.svg", "nincs/terv.png"}) {
            const QString path = QString::fromStdString(Work->file(name));
            const bool diskFull = !path.contains(QStringLiteral("nincs"));
            if (diskFull)
                write_file(path.toStdString(), "earlier");
            {
                const TFileSizeLimit limit(diskFull ? 512 : RLIM_INFINITY);
                QVERIFY(!Plan().ExportPicture(path, 300));
            }
            QCOMPARE(Dialogs->Boxes.back().caption, QStringLiteral("Fúrási terv"));
            QVERIFY(Dialogs->Boxes.back().text.startsWith(QStringLiteral("Nem sikerült menteni a képet:\n") + path));
            QCOMPARE(read_file(path.toStdString()), diskFull ? "earlier" : "");
        }
        QCOMPARE(Dialogs->Boxes.size(), size_t(3));
        QCOMPARE(QDir(QString::fromStdString(Work->path)).entryList(QDir::Files),
                 (QStringList{"terv.png", "terv.svg"}));
        /* Once there is room, the same picture is saved. */
        QVERIFY(Plan().ExportPicture(QString::fromStdString(Work->file("terv.png")), 300));
    }
};

QTEST_MAIN(PlanTest)
#include "kemlor_plan_test.moc"
