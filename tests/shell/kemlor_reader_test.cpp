/* The drilling program reader on the converter's own programs and on
 * programs edited by hand. The figures are worked out by hand for the
 * example board: seven holes at (0, 0), (8.89, 8.89), (11.43, 8.89),
 * (13.97, 8.89), (21.59, 3.81), (24.13, 3.81) and (30.48, 17.78) mm. */
#include <QFile>
#include <QtTest>

#include "plan/Olvaso.h"

namespace {

QString Golden(const char *name)
{
    QFile file(QStringLiteral(TESTS_DIR "/golden/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing %s", name);
    /* The editor holds "\n" line ends; the reader also takes the file's own. */
    return QString::fromUtf8(file.readAll());
}

const QList<QPointF> BoardMm{{0, 0}, {8.89, 8.89}, {11.43, 8.89}, {13.97, 8.89},
                             {21.59, 3.81}, {24.13, 3.81}, {30.48, 17.78}};
const QList<QPointF> BoardInch{{0, 0}, {0.35, 0.35}, {0.45, 0.35}, {0.55, 0.35},
                               {0.85, 0.15}, {0.95, 0.15}, {1.2, 0.7}};
/* The plunge of the first hole is the program's eighth line, each later one
 * three lines further: rise, move, plunge. */
const QList<int> BoardLines{7, 10, 13, 16, 19, 22, 25};
const QList<int> OneBit{0, 0, 0, 0, 0, 0, 0};
/* The moves between the holes and back to X0 Y0, in mm: 12.57236 + 2.54 +
 * 2.54 + 9.15810 + 2.54 + 15.34547 + 35.28681 = 79.98273, and seven rises of
 * 4 mm (the first rise starts from an unknown height and counts nothing). */
constexpr double BoardRapidMm = 79.98273 + 7 * 4.0;
constexpr double BoardFeedMm = 7 * 4.0; /* seven plunges from 2 to -2 */
/* Rapids at 1,000 mm/min, plunges at 400 mm/min. */
constexpr double BoardMinutes = BoardRapidMm / 1000.0 + BoardFeedMm / 400.0;

/* The example board in millimetres edited by hand: line numbers, a plane
 * and a coolant word, a line of text, the second hole moved to X10, and an
 * offset (G92) the reader cannot follow. */
const char *const EditedMm = "N10 G90 G17\n"
                             "G21\n"
                             "F400.00000\n"
                             "G0 Z2.00000 (biztonsagos magassag)\n"
                             "S1000\n"
                             "M3 M8\n"
                             "X0.00000 Y0.00000\n"
                             "G1 Z-2.00000\n"
                             "G0 Z2.00000\n"
                             "X10.00000 Y8.89000\n"
                             "G1 Z-2.00000\n"
                             "ide jon a kovetkezo\n"
                             "G0 Z2.00000\n"
                             "X11.43000 Y8.89000\n"
                             "G1 Z-2.00000\n"
                             "G0 Z2.00000\n"
                             "x13.97 y8.89 ; kisbetuvel\n"
                             "G1 Z-2.00000\n"
                             "G0 Z2.00000\n"
                             "X21.59000 Y3.81000\n"
                             "G1 Z-2.00000\n"
                             "G92 X5 Y5\n"
                             "G0 Z2.00000\n"
                             "X24.13000 Y3.81000\n"
                             "G1 Z-2.00000\n"
                             "G0 Z2.00000\n"
                             "X30.48000 Y17.78000\n"
                             "G1 Z-2.00000\n"
                             "G0 Z2.00000\n"
                             "X0.00000 Y0.00000\n"
                             "M5\n"
                             "M2\n"
                             "X50 Y50\n"
                             "G1 Z-2\n";

/* Two bits in the form the converter writes them, by hand: holes at (1, 1)
 * and (4, 5) with the first bit, (4, 1) with the second. Rapids in XY:
 * sqrt 2 + 5 + sqrt 41 (back to X0 Y0 for the change) + 2 sqrt 17 = 21.06355,
 * and three rises of 4 mm. */
const char *const TwoBits = "G90\n"
                            "G21\n"
                            "F400.00000\n"
                            "G0 Z2.00000\n"
                            "S1000\n"
                            "M3\n"
                            "X1.00000 Y1.00000\n"
                            "G1 Z-2.00000\n"
                            "G0 Z2.00000\n"
                            "X4.00000 Y5.00000\n"
                            "G1 Z-2.00000\n"
                            "G0 Z2.00000\n"
                            "X0.00000 Y0.00000\n"
                            "M5\n"
                            "(MSG, 2. furo 0.80 mm 1 furat)\n"
                            "T2 M6\n"
                            "M0\n"
                            "S1000 M3\n"
                            "X4.00000 Y1.00000\n"
                            "G1 Z-2.00000\n"
                            "G0 Z2.00000\n"
                            "X0.00000 Y0.00000\n"
                            "M5\n"
                            "M2\n";

} // namespace

class ReaderTest : public QObject {
    Q_OBJECT

private slots:
    void program_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inch");
        QTest::addColumn<QList<QPointF>>("holes");
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<QList<int>>("bits");
        QTest::addColumn<QStringList>("bitNames");
        QTest::addColumn<double>("rapid");
        QTest::addColumn<double>("feed");
        QTest::addColumn<double>("minutes");
        QTest::addColumn<double>("safeHeight");
        QTest::addColumn<double>("depth");
        QTest::addColumn<int>("unreadLines");
        QTest::addColumn<QStringList>("unfollowed");

        const QStringList unnamed{QString()};
        QTest::newRow("mm, clockwise") << Golden("board.mm.jobb.tap") << false << BoardMm << BoardLines << OneBit
                                       << unnamed << BoardRapidMm << BoardFeedMm << BoardMinutes << 2.0 << 2.0
                                       << 0 << QStringList();
        QTest::newRow("mm, counter-clockwise")
            << Golden("board.mm.bal.tap") << false << BoardMm << BoardLines << OneBit << unnamed << BoardRapidMm
            << BoardFeedMm << BoardMinutes << 2.0 << 2.0 << 0 << QStringList();
        /* The same job in inches takes the same time: 2 mm is written as 0.078740. */
        QTest::newRow("inch, counter-clockwise")
            << Golden("board.coll.bal.tap") << true << BoardInch << BoardLines << OneBit << unnamed
            << 79.98273 / 25.4 + 7 * 0.15748 << 7 * 0.15748 << BoardMinutes << 0.07874 << 0.07874 << 0
            << QStringList();
        QTest::newRow("inch, clockwise")
            << Golden("board.coll.jobb.tap") << true << BoardInch << BoardLines << OneBit << unnamed
            << 79.98273 / 25.4 + 7 * 0.15748 << 7 * 0.15748 << BoardMinutes << 0.07874 << 0.07874 << 0
            << QStringList();
        /* Moving the second hole to X10 changes two moves: 12.57236 + 2.54
         * becomes 13.38029 + 1.43. Lines 0, 5, 11 and 21 hold skipped words;
         * nothing after M2 counts. */
        QList<QPointF> moved = BoardMm;
        moved[1] = QPointF(10.0, 8.89);
        QTest::newRow("edited by hand")
            << QString::fromLatin1(EditedMm) << false << moved << QList<int>{7, 10, 14, 17, 20, 24, 27} << OneBit
            << unnamed << BoardRapidMm - 12.57236 - 2.54 + 13.38029 + 1.43 << BoardFeedMm
            << (BoardRapidMm - 12.57236 - 2.54 + 13.38029 + 1.43) / 1000.0 + BoardFeedMm / 400.0 << 2.0 << 2.0
            << 4 << QStringList{QStringLiteral("G92")};
        QTest::newRow("two bits")
            << QString::fromLatin1(TwoBits) << false << QList<QPointF>{{1, 1}, {4, 5}, {4, 1}}
            << QList<int>{7, 10, 19} << QList<int>{0, 0, 1}
            << QStringList{QString(), QStringLiteral("2. furo 0.80 mm 1 furat")} << 21.06355 + 3 * 4.0 << 3 * 4.0
            << (21.06355 + 3 * 4.0) / 1000.0 + 3 * 4.0 / 400.0 << 2.0 << 2.0 << 0 << QStringList();
    }

    void program()
    {
        QFETCH(QString, text);
        QFETCH(bool, inch);
        QFETCH(QList<QPointF>, holes);
        QFETCH(QList<int>, lines);
        QFETCH(QList<int>, bits);
        QFETCH(QStringList, bitNames);
        QFETCH(double, rapid);
        QFETCH(double, feed);
        QFETCH(double, minutes);
        QFETCH(double, safeHeight);
        QFETCH(double, depth);
        QFETCH(int, unreadLines);
        QFETCH(QStringList, unfollowed);

        /* Read into the record the row before filled, as the plan reads again. */
        static TDrillProgram program;
        ReadDrillProgram(text, program);
        QCOMPARE(program.Unit, inch ? TProgramUnit::Inch : TProgramUnit::Millimetre);
        QCOMPARE(program.Holes.size(), size_t(holes.size()));
        for (int i = 0; i < holes.size(); ++i) {
            const THole &hole = program.Holes[size_t(i)];
            QVERIFY2(std::abs(hole.X - holes[i].x()) < 1e-6 && std::abs(hole.Y - holes[i].y()) < 1e-6,
                     qPrintable(QStringLiteral("hole %1 at %2 %3").arg(i).arg(hole.X).arg(hole.Y)));
            QCOMPARE(hole.Line, lines[i]);
            QCOMPARE(hole.Bit, bits[i]);
            QCOMPARE(HoleOnLine(program, hole.Line), i);
        }
        QCOMPARE(HoleOnLine(program, lines[0] - 1), -1);
        QStringList names;
        for (const TBit &bit : program.Bits)
            names << bit.Name;
        QCOMPARE(names, bitNames);
        const double tolerance = inch ? 1e-4 : 1e-4 * 25.4;
        QVERIFY2(std::abs(program.RapidTravel - rapid) < tolerance, qPrintable(QString::number(program.RapidTravel)));
        QVERIFY2(std::abs(program.FeedTravel - feed) < tolerance, qPrintable(QString::number(program.FeedTravel)));
        QVERIFY2(std::abs(EstimatedMinutes(program, 1000.0) - minutes) < 1e-5,
                 qPrintable(QString::number(EstimatedMinutes(program, 1000.0), 'f', 8)));
        QVERIFY(std::abs(program.SafeHeight - safeHeight) < 1e-6);
        QVERIFY(std::abs(program.Depth - depth) < 1e-6);
        QCOMPARE(program.UnreadLines, unreadLines);
        QCOMPARE(program.Unfollowed, unfollowed);
    }

    /* Text that is no G-code, broken numbers and a unit change mid-way: the
     * reader keeps what it can read and converts to the first unit. */
    void brokenText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QPointF>>("holes");
        QTest::addColumn<int>("unreadLines");

        QTest::newRow("empty") << QString() << QList<QPointF>{} << 0;
        QTest::newRow("numbers that do not read")
            << QStringLiteral("G0 Z1\nXnan Y3\nX1e400\nX1.5.5 Y+2\nG1 Z-1\n") << QList<QPointF>{{1.5, 2}} << 3;
        QTest::newRow("unclosed comment and letters alone")
            << QStringLiteral("G0 Z1 (nincs vége\nX Y2 G1 Z-1\n") << QList<QPointF>{{0, 2}} << 1;
        QTest::newRow("inch after millimetres")
            << QStringLiteral("G21\nG0 Z1\nX1 Y1\nG1 Z-1\nG20\nG0 Z0.1\nX1 Y0.5\nG1 Z-0.1\n")
            << QList<QPointF>{{1, 1}, {25.4, 12.7}} << 0;
        QTest::newRow("arc and incremental words")
            << QStringLiteral("G0 Z1\nG91\nG2 X5 Y5 I1 J1\nX2 Y2\nG1 Z-1\n") << QList<QPointF>{{2, 2}} << 2;
    }

    void brokenText()
    {
        QFETCH(QString, text);
        QFETCH(QList<QPointF>, holes);
        QFETCH(int, unreadLines);

        static TDrillProgram program; /* filled by the row before */
        ReadDrillProgram(text, program);
        QCOMPARE(program.Holes.size(), size_t(holes.size()));
        for (int i = 0; i < holes.size(); ++i)
            QCOMPARE(QPointF(program.Holes[size_t(i)].X, program.Holes[size_t(i)].Y), holes[i]);
        QCOMPARE(program.UnreadLines, unreadLines);
    }

    /* What a user checks before drilling: the bits' sizes from the
     * converter's messages, the bit changes and dwells the estimate counts,
     * and every move sideways with the bit in the board, whose end is a hole. */
    void checks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QPointF>>("holes");
        QTest::addColumn<QList<double>>("diameters");
        QTest::addColumn<int>("bitChanges");
        QTest::addColumn<double>("dwellSeconds");
        QTest::addColumn<QList<int>>("belowZeroLines");
        QTest::addColumn<int>("unreadLines");

        const QString head = QStringLiteral("G90\nG21\nF400\nG0 Z2\nS1000\n");
        QTest::newRow("converter's bits")
            << head + QStringLiteral("G0 Z20\nX0 Y0\nM5\n(MSG, 1. furo 3.00 mm 1 furat)\nT1 M6\nM0\n"
                                     "G0 Z2\nM3\nX1 Y1\nG1 Z-2\nG0 Z20\nX0 Y0\nM5\n"
                                     "(MSG, 2. furo 0.8125 mm 2 furat)\nT2 M6\nM0\nG0 Z2\nM3\n"
                                     "X2 Y2\nG1 Z-2\nG0 Z2\nX3 Y2\nG1 Z-2\nG0 Z2\nM2\n")
            << QList<QPointF>{{1, 1}, {2, 2}, {3, 2}} << QList<double>{3.0, 0.8125} << 2 << 0.0 << QList<int>{}
            << 0;
        QTest::newRow("second bit by hand, dwells")
            << QString::fromLatin1(TwoBits).replace(QStringLiteral("M3\n"), QStringLiteral("M3\nG4 P2.5\n"))
            << QList<QPointF>{{1, 1}, {4, 5}, {4, 1}} << QList<double>{0.0, 0.8} << 1 << 5.0 << QList<int>{} << 0;
        QTest::newRow("P without G4") << head + QStringLiteral("M3 P2\nX1 Y1\nG1 Z-2\n") << QList<QPointF>{{1, 1}}
                                      << QList<double>{0.0} << 0 << 0.0 << QList<int>{} << 1;
        /* A rapid and a feed move at depth, a move down into the board and one out of it. */
        QTest::newRow("sideways below Z0")
            << head + QStringLiteral("X1 Y1\nG1 Z-2\nG0 X5 Y0\nG1 Z-2\nX6\nG0 Z2\nX7 Y1 Z-1\nX8 Z1\nX9\n")
            << QList<QPointF>{{1, 1}, {5, 0}, {6, 0}, {7, 1}} << QList<double>{0.0} << 0 << 0.0
            << QList<int>{7, 9, 11, 12} << 0;
    }

    void checks()
    {
        QFETCH(QString, text);
        QFETCH(QList<QPointF>, holes);
        QFETCH(QList<double>, diameters);
        QFETCH(int, bitChanges);
        QFETCH(double, dwellSeconds);
        QFETCH(QList<int>, belowZeroLines);
        QFETCH(int, unreadLines);

        static TDrillProgram program; /* filled by the row before */
        ReadDrillProgram(text, program);
        QList<QPointF> read;
        for (const THole &hole : program.Holes)
            read << QPointF(hole.X, hole.Y);
        QCOMPARE(read, holes);
        QList<double> sizes;
        for (const TBit &bit : program.Bits)
            sizes << bit.Diameter;
        QCOMPARE(sizes, diameters);
        QCOMPARE(program.BitChanges, bitChanges);
        QCOMPARE(program.DwellSeconds, dwellSeconds);
        QCOMPARE(QList<int>(program.BelowZeroLines.begin(), program.BelowZeroLines.end()), belowZeroLines);
        int flagged = 0;
        for (const TMove &move : program.Moves)
            flagged += move.BelowZero;
        QCOMPARE(flagged, belowZeroLines.size());
        QCOMPARE(program.Moves.size(), ReadDrillProgram(text).Moves.size());
        QCOMPARE(program.UnreadLines, unreadLines);
        const double withoutDwells = program.FeedMinutes + program.RapidTravel / 1000.0;
        QCOMPARE(EstimatedMinutes(program, 1000.0), withoutDwells + dwellSeconds / 60.0);
    }
};

QTEST_APPLESS_MAIN(ReaderTest)
#include "kemlor_reader_test.moc"
