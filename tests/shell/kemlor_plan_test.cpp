/* The drilling plan window with the main window's editor: opening after a
 * run, the link between holes and plunge lines, following typed edits, and
 * the saved pictures read back. */
#include <QFile>
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

namespace {

/* Two bits: holes at (1, 1) and (4, 5) with the first, (4, 1) with the second. */
const char *const TwoBits = "G90\nG21\nF400.00000\nG0 Z2.00000\nS1000\nM3\n"
                            "X1.00000 Y1.00000\nG1 Z-2.00000\nG0 Z2.00000\n"
                            "X4.00000 Y5.00000\nG1 Z-2.00000\nG0 Z2.00000\n"
                            "X0.00000 Y0.00000\nM5\n(MSG, 2. furo 0.80 mm 1 furat)\nT2 M6\nM0\nS1000 M3\n"
                            "X4.00000 Y1.00000\nG1 Z-2.00000\nG0 Z2.00000\nX0.00000 Y0.00000\nM5\nM2\n";

QPoint HoleOnScreen(const TVaszon &canvas, const THole &hole)
{
    return canvas.Drawing().Viewport.ToScreen(hole.X, hole.Y).toPoint();
}

} // namespace

class PlanTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> Form;
    std::unique_ptr<temp_dir> Work;

    TTervAblak &Plan() { return *Form->PlanWindow(); }

private slots:
    void init()
    {
        ResetShellState();
        Work = std::make_unique<temp_dir>();
        Form = std::make_unique<TForm1>();
        InstallFakeDialogs(*Form);
        ConverterPath = QStringLiteral(DRELVO_BIN);
    }
    void cleanup()
    {
        Form.reset();
        Work.reset();
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

    /* The pictures show each bit's holes in its colour where the window does. */
    void savedPictures()
    {
        Form->Editor()->setPlainText(QString::fromLatin1(TwoBits));
        Form->PlanButtonClick();
        const TDrawing drawing = Plan().Canvas->Drawing();
        const QString png = QString::fromStdString(Work->file("terv.png"));
        const QString svg = QString::fromStdString(Work->file("terv.svg"));
        QVERIFY(SavePicture(drawing, png));
        QVERIFY(SavePicture(drawing, svg));

        QImage fromPng(png);
        QCOMPARE(fromPng.size(), drawing.Size);
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox(), QRect(QPoint(0, 0), drawing.Size));
        QImage fromSvg(drawing.Size, QImage::Format_ARGB32);
        fromSvg.fill(Qt::transparent);
        QPainter painter(&fromSvg);
        renderer.render(&painter);
        painter.end();

        for (const THole &hole : Plan().Program().Holes) {
            const QPoint at = drawing.Viewport.ToScreen(hole.X, hole.Y).toPoint();
            QCOMPARE(fromPng.pixelColor(at).rgb(), BitColor(hole.Bit).rgb());
            QCOMPARE(fromSvg.pixelColor(at).rgb(), BitColor(hole.Bit).rgb());
        }
        QVERIFY(!SavePicture(drawing, QString::fromStdString(Work->file("nincs/terv.png"))));
        QVERIFY(!SavePicture(drawing, QString::fromStdString(Work->file("nincs/terv.svg"))));
    }
};

QTEST_MAIN(PlanTest)
#include "kemlor_plan_test.moc"
