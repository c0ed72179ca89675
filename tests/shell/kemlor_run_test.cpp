/* Runs of the converter from the window, saving the G-code and the help boxes. */
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

#include "Ablak.h"
#include "Controls.h"
#include "EditorText.h"
#include "Gyerek.h"
#include "Magyarazat.h"
#include "ProgramLoader.h"
#include "plan/Olvaso.h"
#include "shell_test.h"
#include "test_support.h"

Q_DECLARE_METATYPE(TShellSettings)

namespace {

const QString MissingOutputText = QStringLiteral("Az átalakító program kimenete nincs meg.\n"
                                                 "Valamilyen hiba lehet a gerber fájlban,\n"
                                                 "vagy az értelmező program nem tudott fel-\n"
                                                 "dolgozi valamit.");

/* Two flashes 10 mm apart, in millimetres. */
const char *const TwoHoles = "%FSLAX24Y24*%\n"
                             "%MOMM*%\n"
                             "%ADD10C,0.8*%\n"
                             "G54D10*\n"
                             "X100000Y100000D03*\n"
                             "X200000Y100000D03*\n"
                             "M02*\n";

const char *const SyntaxError = "%FSLAX24Y24*%\nX100000Y100000D03*\nQ\n";

const QString RunFailed = QStringLiteral("Nem sikerült az átalakítás !");
const QString NotStarted = QStringLiteral("Nem indult el az átalakítás !");

QString Q(const std::string &text) { return QString::fromStdString(text); }

void MakeExecutable(const std::string &path)
{
    QFile::setPermissions(Q(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther |
                                       QFile::ReadOther);
}

/* For its lifetime the process works as the user nobody when it runs as
 * root, so that file permissions bind it as they bind a user. */
class TWithoutRoot {
    const uid_t uid = geteuid();
    const gid_t gid = getegid();

public:
    TWithoutRoot()
    {
        if (uid == 0 && (setegid(65534) != 0 || seteuid(65534) != 0))
            qFatal("cannot act as nobody");
    }
    ~TWithoutRoot()
    {
        if (uid == 0 && (seteuid(uid) != 0 || setegid(gid) != 0))
            qFatal("cannot act as root again");
    }
};

/* The stored bytes as the plain replacing calls make them: every line ended by CR LF. */
QByteArray SavedByReplacing(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    if (!text.endsWith(QLatin1String("\r\n")))
        text += QLatin1String("\r\n");
    return text.toUtf8();
}

/* A file that hands out at most 37 bytes a read, so that reads end anywhere. */
class TTrickle : public QBuffer {
public:
    explicit TTrickle(const QByteArray &bytes)
    {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }

protected:
    qint64 readData(char *data, qint64 size) override { return QBuffer::readData(data, std::min<qint64>(size, 37)); }
};

} // namespace

class RunTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> Form;
    TFakeDialogs *Dialogs = nullptr;
    std::unique_ptr<temp_dir> Work;

    /* A Gerber file in the scratch directory, chosen as the input. */
    QString Choose(const char *name, const std::string &content)
    {
        write_file(Work->file(name), content);
        InputFileName = Q(Work->file(name));
        return InputFileName;
    }

    /* A shell script as the converter; "$last" is the input file. */
    void StandIn(const std::string &body)
    {
        write_file(Work->file("stand-in"), "#!/bin/sh\nfor last; do :; done\n" + body + "\n");
        MakeExecutable(Work->file("stand-in"));
        ConverterPath = Q(Work->file("stand-in"));
    }

    /* A run that goes wrong (or warns) in the way `scenario` names, on the chosen input. */
    void Prepare(const QString &scenario)
    {
        if (scenario == "gone")
            InputFileName = Q(Work->file("fúró lap.gbr"));
        else if (scenario == "feed")
            ShellSettings.FeedValue = 5000;
        else if (scenario == "no converter")
            ConverterPath = Q(Work->file("nincs/drelvo"));
        else if (scenario == "killed")
            StandIn("printf 'G90\\r\\nX1' > \"$last.tap\"; kill -KILL $$");
        else if (scenario == "status 1")
            StandIn("printf 'G90\\r\\nM2\\r\\n' > \"$last.tap\"; exit 1");
        else if (scenario == "warning")
            StandIn("printf 'G90\\r\\n' > \"$last.tap\"; "
                    "printf 'Figyelem: a f\\341jlban nincs programv\\351ge (M02), lehet, hogy csonka.\\n' >&2");
    }

    /* The scratch directory takes no new file; the user nobody may change `file` in it. */
    void LockDirectory(const std::string &file)
    {
        chmod(file.c_str(), 0666);
        chmod(Work->path.c_str(), 0555);
    }

private slots:
    void init()
    {
        ResetShellState();
        Work = std::make_unique<temp_dir>();
        Form = std::make_unique<TForm1>();
        Dialogs = InstallFakeDialogs(*Form);
        ConverterPath = QStringLiteral(DRELVO_BIN);
    }
    void cleanup()
    {
        Form.reset();
        Work.reset();
    }

    void runWithoutAFile()
    {
        Form->Editor()->setPlainText("kept");
        Form->StartButtonClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, QStringLiteral("Nincs bemenő fájl !"));
        QCOMPARE(Dialogs->Boxes[0].text,
                 QStringLiteral("A \"megnyit\" gomb használatával ki kell választani a gerber fájlt."));
        QVERIFY(Worker == nullptr);
        QVERIFY(OutputFileName.isEmpty());
        QCOMPARE(Form->Editor()->toPlainText(), QStringLiteral("kept"));
    }

    void openDialog()
    {
        Dialogs->Answer = Q(Work->file("board.gbr"));
        Form->OpenButtonClick();
        QCOMPARE(Dialogs->OpenTitle, QStringLiteral("Keresse meg  azt a gerber fájlt amiből G kódot szeretne."));
        QCOMPARE(Dialogs->OpenDirectory, QDir::currentPath());
        QCOMPARE(InputFileName, Q(Work->file("board.gbr")));
        /* The next time it opens where the last file was; cancelling keeps the choice. */
        Dialogs->Answer.clear();
        Form->OpenButtonClick();
        QCOMPARE(Dialogs->OpenDirectory, Q(Work->path));
        QCOMPARE(InputFileName, Q(Work->file("board.gbr")));
        QCOMPARE(Dialogs->OpenCount, 2);
        QVERIFY(OutputFileName.isEmpty());
    }

    /* The command line, as a stand-in converter sees it. */
    void argumentVector_data()
    {
        QTest::addColumn<TShellSettings>("settings");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("initial") << TShellSettings()
                                 << QStringList{"-i", "2",   "-m", "mm", "-f", "jobb", "-p",       "1000", "-e",
                                                "400", "-a", "2",  "-h", "2",  "-x",   "0.000000", "-y",  "0.000000"};
        TShellSettings changed;
        changed.IntegerDigits = 3;
        changed.UnitChoice = 1;
        changed.SpinChoice = 1;
        changed.TurnValue = 30000;
        changed.FeedValue = 1;
        changed.NeutralValue = 10;
        changed.DepthValue = 1;
        changed.XCoordValue = 12.5;
        changed.YCoordValue = 1000.0;
        changed.OptionTexts[OPT_CHANGE_HEIGHT] = "20";
        changed.OptionTexts[OPT_TOOL_CHANGE] = "m6";
        const QStringList panel{"-i", "3", "-m", "coll", "-f", "bal",       "-p", "30000",      "-e",
                                "1",  "-a", "10", "-h",  "1",  "-x", "12.500000", "-y", "1000.000000"};
        QTest::newRow("changed") << changed << panel + QStringList{"-t", "m6", "-c", "20"};
        /* Every option of the options window reaches the command line when it
         * differs from its default, whatever rows the table has. */
        for (const option_spec *option : WindowOptions()) {
            TShellSettings one = changed;
            const QStringList words = QString::fromUtf8(option->choices).split('|');
            one.OptionTexts = {};
            one.OptionTexts[option->id] = option->kind == VALUE_CHOICE ? words.last()
                                          : option->kind == VALUE_TEXT ? QStringLiteral("2.4")
                                                                       : QString::number(option->high);
            QTest::newRow(option->long_name) << one << panel + QStringList{option->short_name, one.OptionTexts[option->id]};
        }
    }

    void argumentVector()
    {
        QFETCH(TShellSettings, settings);
        QFETCH(QStringList, options);
        const std::string record = Work->file("args.txt");
        write_file(Work->file("stand-in"), "#!/bin/sh\nfor a in \"$0\" \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                               record + "'\n");
        QFile::setPermissions(Q(Work->file("stand-in")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ConverterPath = Q(Work->file("stand-in"));
        ShellSettings = settings;
        const QString input = Choose("board with blanks.gbr", TwoHoles);
        Form->StartButtonClick();

        QStringList expected = QStringList{ConverterPath} + options + QStringList{input};
        QCOMPARE(QString::fromStdString(read_file(record)).split('\n', Qt::SkipEmptyParts), expected);
        /* The stand-in writes no output: the run reports it. */
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, RunFailed);
        QCOMPARE(Dialogs->Boxes[0].text, MissingOutputText);
    }

    /* Before a run every control shows what the run passes on. */
    void runShowsTheSettingsItUses()
    {
        StandIn("printf '%s\\n' \"$@\" > '" + Work->file("args.txt") + "'");
        Choose("board.gbr", TwoHoles);
        Control<TCSpinEdit>(*Form, "TurnEdit")->setText("50000");
        Control<TEdit>(*Form, "XCoordEdit")->setText(" 3,25");
        Control<TComboBox>(*Form, "SpinComboBox")->setCurrentIndex(1);
        Control<TComboBox>(*Form, "SpinComboBox")->setEditText("jo");
        Control<TComboBox>(*Form, "UnitComboBox")->setEditText("");
        Form->StartButtonClick();
        const QStringList args = Q(read_file(Work->file("args.txt"))).split('\n');
        QCOMPARE(args.mid(0, 18), (QStringList{"-i", "2", "-m", "mm", "-f", "bal", "-p", "30000", "-e", "400", "-a",
                                                "2", "-h", "2", "-x", "3.250000", "-y", "0.000000"}));
        QCOMPARE(Control<TCSpinEdit>(*Form, "TurnEdit")->text(), QStringLiteral("30000"));
        QCOMPARE(Control<TEdit>(*Form, "XCoordEdit")->text(), QStringLiteral("3.250000"));
        QCOMPARE(Control<TComboBox>(*Form, "SpinComboBox")->currentText(), QStringLiteral("bal"));
        QCOMPARE(Control<TComboBox>(*Form, "UnitComboBox")->currentText(), QStringLiteral("mm"));
    }

    /* The window waits for the converter under a busy cursor, still handling
     * timers and painting, and leaves no worker behind at exit. */
    void runWaitsUnderABusyCursor()
    {
        StandIn("sleep 0.3; exec '" DRELVO_BIN "' \"$@\"");
        Choose("board.gbr", TwoHoles);
        Qt::CursorShape during = Qt::ArrowCursor;
        bool running = false;
        QTimer::singleShot(0, [&] {
            during = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
            running = Worker && Worker->isRunning();
        });
        Form->StartButtonClick();
        QVERIFY(running);
        QCOMPARE(during, Qt::WaitCursor);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(Worker->isFinished());
        QVERIFY(Form->Editor()->toPlainText().startsWith("G90\n"));
        QPointer<gyerek> worker = Worker;
        Form->ExitButtonClick();
        QVERIFY(worker.isNull());
        QVERIFY(Worker == nullptr);
    }

    void successfulRunLoadsTheGCode()
    {
        const QString input = Choose("board.gbr", TwoHoles);
        Form->Editor()->setPlainText("old text");
        Form->StartButtonClick();
        QVERIFY2(Dialogs->Boxes.empty(), Dialogs->Boxes.empty() ? "" : qPrintable(Dialogs->Boxes[0].text));
        QCOMPARE(OutputFileName, input + ".tap");
        QVERIFY(ConversionDone.load() == 1);
        const QString onDisk = QString::fromStdString(read_file(Work->file("board.gbr.tap")));
        QVERIFY(onDisk.startsWith("G90\r\nG21\r\n"));
        QString expected = onDisk;
        expected.replace("\r\n", "\n");
        QCOMPARE(Form->Editor()->toPlainText(), expected);
        QVERIFY(expected.contains("X0.00000 Y0.00000\nG1 Z-2.00000\n"));
        QVERIFY(expected.endsWith("M5\nM2\n"));

        /* A second run replaces the worker and the editor content. */
        gyerek *first = Worker;
        QVERIFY(first != nullptr);
        ShellSettings.UnitChoice = 1;
        Form->StartButtonClick();
        QVERIFY(Worker != nullptr);
        QVERIFY(Form->Editor()->toPlainText().startsWith("G90\nG20\n"));
    }

    /* A long program goes into the editor by parts: the first at once, the
     * rest from the event loop. Saving meanwhile saves all of it, and undo
     * never takes a part away again. */
    void largeProgramLoadsByParts()
    {
        std::string board = "%FSLAX24Y24*%\n%MOMM*%\n%ADD10C,0.8*%\nG54D10*\n";
        for (int i = 0; i < 4000; ++i)
            board += "X" + std::to_string(10000 + i % 100 * 25400) + "Y" + std::to_string(10000 + i / 100 * 25400) +
                     "D03*\n";
        Choose("panel.gbr", board + "M02*\n");
        Form->StartButtonClick();
        const QString onDisk = QString::fromStdString(read_file(Work->file("panel.gbr.tap")));
        QString expected = onDisk;
        expected.replace("\r\n", "\n");
        QVERIFY(expected.count('\n') > 12000);
        const QString first = Form->Editor()->toPlainText();
        QVERIFY(first.size() < expected.size());
        QVERIFY(expected.startsWith(first + "\n"));

        Form->SaveFileClick();
        QVERIFY(Dialogs->Boxes.empty());
        QCOMPARE(Form->Editor()->toPlainText(), expected);
        QCOMPARE(QString::fromStdString(read_file(Work->file("panel.gbr.tap"))), onDisk);

        Form->StartButtonClick();
        QTRY_COMPARE(Form->Editor()->toPlainText(), expected);
        QVERIFY(!Form->Editor()->document()->isUndoAvailable());
        QVERIFY(!Form->Editor()->document()->isModified()); /* the parts are the file's, not edits */
        QTest::keyClicks(Form->Editor(), "X");
        Form->Editor()->undo();
        QCOMPARE(Form->Editor()->toPlainText(), expected);

        /* A short program in place of one still coming in: undo works again. */
        Form->StartButtonClick();
        Choose("board.gbr", TwoHoles);
        Form->StartButtonClick();
        QVERIFY(Form->Editor()->toPlainText().startsWith("G90\n"));
        QVERIFY(Form->Editor()->document()->isUndoRedoEnabled());
    }

    /* A drill file runs as it is, with the bit change chosen on the panel;
     * what the converter printed (the format it read, the bits) shows in the
     * box of a successful run, and the plan tells the bits apart. */
    void drillFileRun()
    {
        Choose("board.drl", "M48\nMETRIC\nT1C1.0\nT2C0.6\n%\nT1\nX10.0Y20.0\nX30.0Y20.0\nT2\nX15.0Y5.0\n"
                            "X12.0Y5.0\nM30\n");
        Control<QComboBox>(*Form, "-t")->setCurrentText("m6");
        Form->StartButtonClick();
        QVERIFY(LastRunSucceeded);
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, QStringLiteral("Az átalakító üzenete"));
        QCOMPARE(Dialogs->Boxes[0].text, QStringLiteral("Fúrófájl: mm, tizedesponttal írt számok\n"
                                                        "1. fúró: 0.60 mm (T2), 2 furat\n"
                                                        "2. fúró: 1.00 mm (T1), 2 furat"));
        const QString program = Form->Editor()->toPlainText();
        QVERIFY(program.contains("(MSG, 2. furo 1.00 mm 2 furat)\nT2 M6\nM0\n"));
        const TDrillProgram plan = ReadDrillProgram(program);
        QCOMPARE(plan.Bits.size(), size_t(2));
        QVERIFY2(plan.Bits[0].Name.contains("0.60 mm"), qPrintable(plan.Bits[0].Name));
        QCOMPARE(plan.Holes.size(), size_t(4));
        for (size_t i = 0; i < plan.Holes.size(); ++i)
            QCOMPARE(plan.Holes[i].Bit, i < 2 ? 0 : 1);
    }

    /* Every run that printed something or failed says so in a box, with the
     * converter's own words; the editor shows the output as far as there is one. */
    void runReportsWhatTheConverterSaid_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("says");
        QTest::addColumn<QString>("editor");
        QTest::newRow("syntax error") << "syntax error" << RunFailed
                                      << QStringList{"gerber.cpp", "A fájl 3. sorában", "'Q'"} << "previous";
        QTest::newRow("accented name that is gone")
            << "gone" << RunFailed
            << QStringList {"Nem sikerült megnyitni a fájlt: <dir>/fúró lap.gbr", MissingOutputText} << "previous";
        QTest::newRow("setting refused on standard output")
            << "feed" << RunFailed
            << QStringList{"Az előtolás túlságosan sok, legföljebb 1000.00000 mm/perc lehet.", MissingOutputText}
            << "previous";
        QTest::newRow("no converter") << "no converter" << NotStarted
                                      << QStringList {"<dir>/nincs/drelvo", "Nincs ilyen fájl vagy mappa."}
                                      << "previous";
        QTest::newRow("killed while writing") << "killed" << RunFailed << QStringList{"9. jelzés"} << "previous";
        QTest::newRow("status 1 without a word") << "status 1" << RunFailed
                                                 << QStringList{"1 hibakóddal"} << "previous";
        QTest::newRow("warning with status 0")
            << "warning" << "Az átalakító üzenete"
            << QStringList{"Figyelem: a fájlban nincs programvége (M02), lehet, hogy csonka."} << "G90\n";
    }

    void runReportsWhatTheConverterSaid()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, caption);
        QFETCH(QStringList, says);
        QFETCH(QString, editor);
        Choose("board.gbr", scenario == "syntax error" ? SyntaxError : TwoHoles);
        Form->Editor()->setPlainText("previous");
        Prepare(scenario);
        Form->StartButtonClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, caption);
        for (const QString &part : says)
            QVERIFY2(Dialogs->Boxes[0].text.contains(QString(part).replace("<dir>", Q(Work->path))),
                     qPrintable(Dialogs->Boxes[0].text));
        QCOMPARE(Form->Editor()->toPlainText(), editor);
        QCOMPARE(OutputFileName, InputFileName + ".tap");
        QCOMPARE(LastRunSucceeded, scenario == "warning");
    }

    /* An old output that cannot be deleted stops the run: it is never shown as new. */
    void staleOutputThatStays()
    {
        Choose("board.gbr", TwoHoles);
        write_file(Work->file("board.gbr.tap"), "G90\r\nstale\r\n");
        Form->Editor()->setPlainText("previous");
        LockDirectory(Work->file("board.gbr.tap"));
        {
            TWithoutRoot user;
            Form->StartButtonClick();
        }
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, NotStarted);
        QVERIFY(Dialogs->Boxes[0].text.contains(OutputFileName + "\nNincs hozzá jog"));
        QCOMPARE(Form->Editor()->toPlainText(), QStringLiteral("previous"));
        QVERIFY(!LastRunSucceeded);
        chmod(Work->path.c_str(), 0700);
    }

    void outputNameKeepsTheExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("with extension") << "board.gbr";
        QTest::newRow("without extension") << "board";
        QTest::newRow("accented, with blanks") << "fúró lap.gbr";
    }

    void outputNameKeepsTheExtension()
    {
        QFETCH(QString, name);
        const QString input = Choose(name.toUtf8().constData(), TwoHoles);
        Form->StartButtonClick();
        QVERIFY(Dialogs->Boxes.empty());
        QCOMPARE(OutputFileName, input + ".tap");
        QVERIFY(QFile::exists(input + ".tap"));
    }

    void longPathIsNotCut()
    {
        std::string dir = Work->path;
        for (int i = 0; i < 6; ++i) {
            dir += "/" + std::string(100, 'a' + i);
            QVERIFY(QDir().mkdir(Q(dir)));
        }
        write_file(dir + "/board.gbr", TwoHoles);
        InputFileName = Q(dir + "/board.gbr");
        QVERIFY(InputFileName.size() > 600);
        Form->Editor()->setPlainText("previous");
        Form->StartButtonClick();
        /* Whether the converter takes such a path or not, the shell never
         * works on a cut name: it loads that file's output or says it is missing. */
        QCOMPARE(OutputFileName, InputFileName + ".tap");
        if (QFile::exists(OutputFileName))
            QVERIFY(Form->Editor()->toPlainText().startsWith("G90\n"));
        else
            QVERIFY(Dialogs->Boxes.at(0).text.contains(MissingOutputText));
    }

    /* Saving. */

    void saveWithEmptyEditor()
    {
        Form->SaveFileClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, QStringLiteral("Nincs mit menteni !"));
        QCOMPARE(Dialogs->Boxes[0].text,
                 QStringLiteral("Hiányzik a G-kód amit menteni lehetne. Előbb a \"megnyit\"\n"
                                "gomb segítségével ki kell jelölni a feldolgozandó fált aztán\n"
                                "az \"indít\" gombbal elvégezni az átalakítást. A kész G-kód\n"
                                "a kimenő fájlba kerül, amit ez a keretprogram betölt a szer-\n"
                                "kesztő ablakba. Itt lehet még szükség szerint módosítani\n"
                                "rajta és ezt újból menteni."));
    }

    void saveBeforeAnyRun()
    {
        QTest::keyClicks(Form->Editor(), "G90");
        Choose("board.gbr", TwoHoles); /* choosing a file is not enough */
        Form->SaveFileClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, QStringLiteral("Nincs hová menteni !"));
        QCOMPARE(Dialogs->Boxes[0].text, QStringLiteral("Ez öreg hiba, mert már bent kéne hogy legyen\n"
                                                        "a G-kód az ablakban, ez pedig csak úgy lehet-\n"
                                                        "séges ha már megvan a kimenő fájl neve."));
        QVERIFY(!file_exists(Work->file("board.gbr.tap")));
    }

    void savedFileHasCrLf_data()
    {
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("last line ended") << "G90\nG21\nM2\n" << QByteArray("G90\r\nG21\r\nM2\r\n");
        QTest::newRow("last line open") << "G90\nM2" << QByteArray("G90\r\nM2\r\n");
        QTest::newRow("empty lines kept") << "G90\n\n\nM2\n" << QByteArray("G90\r\n\r\n\r\nM2\r\n");
        QTest::newRow("accented comment") << "(fúró)\n" << QByteArray("(f\xc3\xbar\xc3\xb3)\r\n");
    }

    void savedFileHasCrLf()
    {
        QFETCH(QString, edited);
        QFETCH(QByteArray, saved);
        Choose("board.gbr", TwoHoles);
        Form->StartButtonClick();
        QVERIFY(Dialogs->Boxes.empty());
        Form->Editor()->setPlainText(edited);
        Form->SaveFileClick();
        QVERIFY(Dialogs->Boxes.empty());
        QCOMPARE(QByteArray::fromStdString(read_file(Work->file("board.gbr.tap"))), saved);
    }

    /* The one-pass line ends give what replacing them in place gave, on
     * every text of up to six of the bytes that matter (lone CR, CR CR LF,
     * a CR at the end, a character of two bytes). */
    void lineEndsAsReplacingGave()
    {
        const QByteArray alphabet("\r\na\xc3\xa1", 4);
        for (int length = 0; length <= 6; ++length) {
            int count = 1;
            for (int i = 0; i < length; ++i)
                count *= 4;
            for (int n = 0; n < count; ++n) {
                QByteArray stored;
                for (int i = 0, rest = n; i < length; ++i, rest /= 4)
                    stored += alphabet[rest % 4];
                QString loaded = QString::fromUtf8(stored);
                loaded.replace(QLatin1String("\r\n"), QLatin1String("\n"));
                QCOMPARE(ProgramText(stored), loaded);
                QCOMPARE(StoredProgram(loaded), SavedByReplacing(loaded));
            }
        }
    }

    /* A program loaded by parts, each decoded in its turn, leaves the
     * editor as one load of the whole would; the lines end in every way
     * and hold bytes that are no UTF-8, next to the line ends too. */
    void loadByPartsGivesWhatOneLoadGives()
    {
        const char *const pieces[] = {"X1", "\xc3\xa1", "\xe2\x82", "\xff", "\r", ""};
        const char *const ends[] = {"\n", "\r\n", "\r\r\n", "\n\r\n"};
        std::mt19937 random(7);
        for (int program = 0; program < 4; ++program) {
            QByteArray stored;
            for (int line = 0; line < 3 * ProgramLinesAtOnce + 7; ++line)
                stored += QByteArray(pieces[random() % 6]) + pieces[random() % 6] + ends[random() % 4];
            if (program % 2)
                stored.chop(1);
            QPlainTextEdit whole;
            whole.setPlainText(ProgramText(stored));
            /* Whole, and read from a file that gives a few bytes a read after a head of any length. */
            for (qsizetype head : {stored.size(), qsizetype(0), qsizetype(random() % stored.size())}) {
                QPlainTextEdit byParts;
                auto rest = std::make_unique<TTrickle>(stored.sliced(head));
                LoadProgram(&byParts, stored.first(head), head < stored.size() ? std::move(rest) : nullptr);
                FinishLoading();
                QCOMPARE(byParts.document()->blockCount(), whole.document()->blockCount());
                QCOMPARE(byParts.toPlainText(), whole.toPlainText());
            }
        }
    }

    /* The plain text kept beside the editor equals its toPlainText() after
     * any edit: random typing, deleting and replacing of the characters the
     * document stores differently (separators, non-breaking space, CR),
     * undo and redo, and loads, a long one taking edits between its parts. */
    void plainTextFollowsEveryEdit()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("lost step")));
        QPlainTextEdit editor;
        QTextDocument *document = editor.document();
        const QString &plain = PlainText(document);
        const QString alphabet = QStringLiteral("X1\n\r\u00a0\u2028\u2029\u00e1 ");
        std::mt19937 random(25);
        auto pick = [&](int below) { return int(random() % unsigned(std::max(below, 1))); };
        QString longProgram;
        for (int line = 0; line < 25000; ++line)
            longProgram += QStringLiteral("X%1 Y2\r\n").arg(line);
        for (int step = 0; step < 3000; ++step) {
            QTextCursor cursor(document);
            const int length = document->characterCount() - 1;
            cursor.setPosition(pick(length + 1));
            cursor.setPosition(pick(length + 1), QTextCursor::KeepAnchor);
            QString text;
            for (int n = pick(6); n > 0; --n)
                text += alphabet[pick(int(alphabet.size()))];
            if (step % 500 == 5)
                LoadProgram(&editor, longProgram.toUtf8());
            else switch (pick(12)) {
            case 0: document->undo(); break;
            case 1: document->redo(); break;
            case 2: LoadProgram(&editor, text.toUtf8()); break;
            case 3: cursor.removeSelectedText(); break;
            case 4: editor.appendPlainText(text); break;
            case 5: QCoreApplication::processEvents(); break; /* the next part of a long load */
            default: cursor.insertText(text); break;
            }
            QCOMPARE(plain, document->toPlainText());
        }
        FinishLoading();
        QCOMPARE(plain, document->toPlainText());
        QTextDocument alone; /* no editor's */
        const QString &aloneText = PlainText(&alone);
        alone.setPlainText(QStringLiteral("G0\nX1"));
        QCOMPARE(aloneText, alone.toPlainText());
    }

    /* A held text stays as it was for a reader in another thread: an edit
     * waits until the reader lets go, then the text follows it as before;
     * a hold tells whether the text changed after it, a later one not. */
    void heldTextWaitsForItsReader()
    {
        QPlainTextEdit editor;
        editor.setPlainText(QStringLiteral("G0 X1\nG1 Z-1\n").repeated(1000));
        const QString before = editor.toPlainText();
        const std::shared_ptr<TTextHold> hold = HoldPlainText(editor.document());
        std::atomic<bool> unchanged{true};
        std::thread reader([&] {
            for (int look = 0; look < 20; ++look) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                unchanged = unchanged && hold->Text() == before;
            }
            hold->Release();
        });
        QTextCursor(editor.document()).insertText(QStringLiteral("G21\n"));
        reader.join();
        QVERIFY(unchanged);
        QVERIFY(hold->Changed());
        QCOMPARE(PlainText(editor.document()), editor.toPlainText());
        const std::shared_ptr<TTextHold> later = HoldPlainText(editor.document());
        later->Release();
        QVERIFY(!later->Changed());
    }

    /* Saved by pieces, a long text gives the same bytes: pairs of
     * surrogates, lone ones and line ends fall on the pieces' seams. */
    void longTextSavedAsReplacingGave()
    {
        const QString alphabet = QStringLiteral("a\n\r\u00e1") + QChar(0xd83d) + QChar(0xde00);
        std::mt19937 random(3);
        for (int text = 0; text < 4; ++text) {
            QString edited;
            while (edited.size() < 3 * StoredPieceCharacters + text)
                edited += alphabet[random() % alphabet.size()];
            for (int seam = StoredPieceCharacters; seam < edited.size(); seam += StoredPieceCharacters)
                edited.replace(seam - 1, 2, alphabet.right(text % 2 ? 2 : 1)); /* a pair, or a lone half, on it */
            QCOMPARE(StoredProgram(edited), SavedByReplacing(edited));
        }
    }

    void loadAndSaveKeepTheConverterOutput()
    {
        Choose("board.gbr", TwoHoles);
        Form->StartButtonClick();
        const std::string converted = read_file(Work->file("board.gbr.tap"));
        Form->SaveFileClick();
        QVERIFY(Dialogs->Boxes.empty());
        QCOMPARE(read_file(Work->file("board.gbr.tap")), converted);
    }

    /* A failed run leaves the editor's program as it was, and saving writes
     * it back to its own file; the failed run's output stays as it was left. */
    void saveAfterAFailedRun_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("syntax error") << "syntax error";
        QTest::newRow("setting refused") << "feed";
        QTest::newRow("killed while writing") << "killed";
        QTest::newRow("status 1 with a whole program") << "status 1";
        QTest::newRow("converter missing") << "no converter";
    }

    void saveAfterAFailedRun()
    {
        QFETCH(QString, scenario);
        Choose("first.gbr", TwoHoles);
        Form->StartButtonClick();
        const QString program = Form->Editor()->toPlainText();
        Choose("second.gbr", scenario == "syntax error" ? SyntaxError : TwoHoles);
        Prepare(scenario);
        Form->StartButtonClick();
        const bool existed = file_exists(Work->file("second.gbr.tap"));
        const std::string second = existed ? read_file(Work->file("second.gbr.tap")) : std::string();
        QCOMPARE(Form->Editor()->toPlainText(), program);
        Form->Editor()->appendPlainText("M2");
        Dialogs->Boxes.clear();
        Form->SaveFileClick();
        QVERIFY(Dialogs->Boxes.empty());
        QCOMPARE(QByteArray::fromStdString(read_file(Work->file("first.gbr.tap"))),
                 StoredProgram(program + "\nM2"));
        QCOMPARE(file_exists(Work->file("second.gbr.tap")), existed);
        if (existed)
            QCOMPARE(read_file(Work->file("second.gbr.tap")), second);
    }

    void saveGoesToTheLatestRunsOutput()
    {
        Choose("first.gbr", TwoHoles);
        Form->StartButtonClick();
        Choose("second.gbr", TwoHoles);
        Form->Editor()->setPlainText("M2\n");
        Form->SaveFileClick();
        QCOMPARE(read_file(Work->file("first.gbr.tap")), std::string("M2\r\n"));
        QVERIFY(!file_exists(Work->file("second.gbr.tap")));
    }

    void failedSaveSaysSoAndChangesNothing()
    {
        const QString input = Choose("board.gbr", TwoHoles);
        Form->StartButtonClick();
        const QString output = input + ".tap";
        /* The output's place is taken by a directory, which no one can write as a file. */
        QVERIFY(QFile::remove(output));
        QVERIFY(QDir().mkdir(output));
        Form->Editor()->setPlainText("G90\nM2\n");
        Form->SaveFileClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, QStringLiteral("Nem sikerült menteni !"));
        QVERIFY(Dialogs->Boxes[0].text.startsWith(output + "\n"));
        QVERIFY(Dialogs->Boxes[0].text.size() > output.size() + 1);
        QCOMPARE(Form->Editor()->toPlainText(), QStringLiteral("G90\nM2\n"));
        QCOMPARE(OutputFileName, output);
        QVERIFY(QFileInfo(output).isDir());
    }

    /* Where no file can be made beside the output, the output is not written
     * in place, which a full disk would leave cut off: it stays as it was. */
    void saveThatCannotGoAside()
    {
        Choose("board.gbr", TwoHoles);
        Form->StartButtonClick();
        const std::string converted = read_file(Work->file("board.gbr.tap"));
        LockDirectory(Work->file("board.gbr.tap"));
        Form->Editor()->setPlainText("G90\nM2\n");
        {
            TWithoutRoot user;
            Form->SaveFileClick();
        }
        chmod(Work->path.c_str(), 0700);
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, QStringLiteral("Nem sikerült menteni !"));
        QCOMPARE(Dialogs->Boxes[0].text, OutputFileName + "\nNincs hozzá jog (a fájlhoz vagy a mappájához).\n"
                                                          "A fájl változatlan maradt.");
        QCOMPARE(read_file(Work->file("board.gbr.tap")), converted);
        QCOMPARE(QDir(Q(Work->path)).entryList(QDir::Files).size(), 2);
    }

    /* Help boxes. */

    /* Each message a user can cause, from the real converter: what is wrong
     * and what to do in plain words, then the converter's own line. */
    void messagesInPlainWords_data()
    {
        QTest::addColumn<QByteArray>("board");
        QTest::addColumn<QStringList>("says");
        const QByteArray head("%FSLAX24Y24*%\n%MOMM*%\n%ADD10C,0.8*%\nG54D10*\n");
        QTest::newRow("negative coordinate") << head + "X-100Y100D03*\nM02*\n"
                                             << QStringList{"5. sorában az X", "negatív", "KiCad", "Altium"};
        QTest::newRow("number format") << QByteArray("M48\nINCH\nT1C0.8\n%\nT1\nX12345678Y100\nM30\n")
                                       << QStringList{"2.4 számformátumhoz", "8 számjegyű", "„számformátum” mező"};
        QTest::newRow("no holes") << head + "M02*\n" << QStringList{"nincs egyetlen furat"};
        QTest::newRow("neither Gerber nor drill file") << QByteArray("%PDF-1.4\n")
                                                       << QStringList{"nem Gerber (RS-274X) és nem Excellon"};
        QTest::newRow("missing file") << QByteArray() << QStringList{"nem nyitható meg", "„megnyit”"};
        QTest::newRow("word not understood") << head + "X100Y100D03*\nQ\n" << QStringList{"6. sorában olyan utasítás"};
        QTest::newRow("cut-off file") << head + "X100Y100D03*\n" << QStringList{"A fájl vége hiányzik"};
    }

    void messagesInPlainWords()
    {
        QFETCH(QByteArray, board);
        QFETCH(QStringList, says);
        Choose("board.gbr", board.toStdString());
        if (board.isEmpty())
            unlink(Work->file("board.gbr").c_str());
        Form->StartButtonClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        const QString text = Dialogs->Boxes[0].text;
        for (const QString &part : says + QStringList{"\n(Az átalakító üzenete: "})
            QVERIFY2(text.contains(part), qPrintable(text));
    }

    /* The table's rows for the converter's warnings and its drill-file and
     * bit-set diagnostics, keyed on their texts. */
    void messageTable_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("says");
        QTest::newRow("cut value") << "Figyelem: a mélység egész mm-re vágva: 1.8 helyett 1 mm."
                                   << "egész milliméterekkel";
        QTest::newRow("no bit for a size")
            << "excellon.cpp, plan.12(): \"Ehhez a mérethez nincs fúró a készletben: 0.95 mm; a legközelebbi, "
               "1.20 mm, túl messze van.\\n\""
            << "0.95 mm-es furat is van, és a fúrókészlet legközelebbi fúrója (1.20 mm)";
        QTest::newRow("bit set refused") << "Hibás fúrókészlet: \"0.8;1\"" << "vesszővel elválasztva";
        QTest::newRow("drill file cut off") << "\"A fájl nem ér véget M30 sorral, lehet, hogy csonka.\""
                                            << "A fájl vége hiányzik";
        QTest::newRow("a bit to mill") << "Figyelem: a(z) T3 szerszám átmérője 12.00 mm, több mint 10 mm: ekkora "
                                          "furatot marni szokás, nem fúrni."
                                       << "marni kell";
        QTest::newRow("unknown line kept as it is") << "Üzenet a fájlban: PANEL 3" << "";
    }

    void messageTable()
    {
        QFETCH(QString, line);
        QFETCH(QString, says);
        const QString explained = ExplainConverterText("1. fúró: 0.80 mm (T1), 2 furat\n" + line + "\n");
        const QString quoted = says.isEmpty() ? "furat\n" + line : "\n(Az átalakító üzenete: " + line + ")";
        QVERIFY2(explained.startsWith("1. fúró") && explained.contains(says) && explained.endsWith(quoted),
                 qPrintable(explained));
    }

    void helpBoxes_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("IntegerHelp") << "IntegerHelp"
                                     << "A gerber fájlokban a tizedestört számokban ostoba módon\n"
                                        "sajnálják kitenni a tizedespontot. Ezért muszáj megadni\n"
                                        "hogy a számjegyekből mennyi ábrázolja az egész részt.\n"
                                        "A lehetséges értékek: 1 ... 6\n"
                                        "Az alapérték: 2";
        QTest::newRow("UnitHelp") << "UnitHelp"
                                  << "Lehetővé teszi a kimeneti fájl - G-kód - mértékegységének\n"
                                     "beállítását. A parancssorba beírt egyéb beállításokat viszont\n"
                                     "mindig mm-ben értelmezi.\n"
                                     "A választék: \"mm\" vagy \"coll\".\n"
                                     "Az alapérték a \"mm\".";
        QTest::newRow("SpinHelp") << "SpinHelp"
                                  << "Beállítható vele a főorsó forgásiránya.\n"
                                     "A választék: \"jobb\" vagy \"bal\"\n"
                                     "Az alapérték a \"jobb\".";
        QTest::newRow("TurnHelp") << "TurnHelp"
                                  << "A főorsó fordulatszámát lehet beállítani.\n"
                                     "A lehetséges értékek: 1 ... 30000 ford/perc\n"
                                     "Az alapérték: 1000 ford/perc";
        QTest::newRow("FeedHelp") << "FeedHelp"
                                  << "A fúró előtolását állítja be.\n"
                                     "A lehetséges értékek: 1 ... 1000 mm/perc\n"
                                     "Az alapérték: 400 mm/perc";
        QTest::newRow("NeutralHelp") << "NeutralHelp"
                                     << "Megadja hogy a fúró hegye a pozícióra állás\n"
                                        "közben milyen messze legyen a panel felületétől.\n"
                                        "A lehetséges értékek: 1 ... 10 mm\n"
                                        "Az alapérték: 2 mm";
        QTest::newRow("DepthHelp") << "DepthHelp"
                                   << "A fúrás mélységét lehet beállítani.\n"
                                      "A lehetséges értékek: 1 ... 10 mm\n"
                                      "Az alapérték: 2 mm";
        QTest::newRow("XCoordHelp") << "XCoordHelp"
                                    << "A furatcsoport bal alsó X koordinátájának beállítására szolgál.\n"
                                       "A lehetséges értékek: 1 ... 1000 mm\n"
                                       "Az alapérték: 0 mm";
        QTest::newRow("YCoordHelp") << "YCoordHelp"
                                    << "A furatcsoport bal alsó Y koordinátájának beállítására szolgál.\n"
                                       "A lehetséges értékek: 1 ... 1000 mm\n"
                                       "Az alapérték: 0 mm";
        QTest::newRow("options window, -t") << "-tHelp"
                                    << "Több fúróméretű fúrófájlnál (Excellon) a fúrócsere módja.\n"
                                       "\"szünet\": minden fúró előtt a gép X0 Y0 fölé áll, leállítja\n"
                                       "a főorsót, kiírja a következő fúró méretét, és megáll (M0).\n"
                                       "\"m6\": ugyanez, a megállás előtt T<n> M6 szerszámcserével.\n"
                                       "Gerber fájlra és egyetlen fúróra nem hat.\n"
                                       "Az alapérték a \"szünet\".";
    }

    void helpBoxes()
    {
        QFETCH(QString, button);
        QFETCH(QString, text);
        TForm1 &f = *Form;
        const QHash<QString, QPushButton *> buttons = {{"IntegerHelp", Control<QPushButton>(f, "IntegerHelp")},
                                                       {"UnitHelp", Control<QPushButton>(f, "UnitHelp")},
                                                       {"SpinHelp", Control<QPushButton>(f, "SpinHelp")},
                                                       {"TurnHelp", Control<QPushButton>(f, "TurnHelp")},
                                                       {"FeedHelp", Control<QPushButton>(f, "FeedHelp")},
                                                       {"NeutralHelp", Control<QPushButton>(f, "NeutralHelp")},
                                                       {"DepthHelp", Control<QPushButton>(f, "DepthHelp")},
                                                       {"XCoordHelp", Control<QPushButton>(f, "XCoordHelp")},
                                                       {"YCoordHelp", Control<QPushButton>(f, "YCoordHelp")},
                                                       {"-tHelp", Control<QPushButton>(f, "-tHelp")}};
        /* The texts are fixed: changed settings do not show in them. */
        ShellSettings.TurnValue = 5;
        QTest::mouseClick(buttons.value(button), Qt::LeftButton);
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, QStringLiteral("kemlor"));
        QCOMPARE(Dialogs->Boxes[0].text, text);
    }
};

QTEST_MAIN(RunTest)
#include "kemlor_run_test.moc"
