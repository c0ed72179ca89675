/* Runs of the converter from the window, saving the G-code and the help boxes. */
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "Ablak.h"
#include "Gyerek.h"
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

QString Q(const std::string &text) { return QString::fromStdString(text); }

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
        Form->RichEdit->setPlainText("kept");
        Form->StartButtonClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, QStringLiteral("Nincs bemenő fájl !"));
        QCOMPARE(Dialogs->Boxes[0].text,
                 QStringLiteral("A \"megnyit\" gomb használatával ki kell választani a gerber fájlt."));
        QVERIFY(Worker == nullptr);
        QVERIFY(OutputFileName.isEmpty());
        QCOMPARE(Form->RichEdit->toPlainText(), QStringLiteral("kept"));
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
        QTest::newRow("changed") << changed
                                 << QStringList{"-i", "3", "-m", "coll", "-f", "bal",       "-p", "30000",      "-e",
                                                "1",  "-a", "10", "-h",  "1",  "-x", "12.500000", "-y", "1000.000000"};
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
        QCOMPARE(Dialogs->Boxes[0].caption, input + ".tap");
        QCOMPARE(Dialogs->Boxes[0].text, MissingOutputText);
    }

    void successfulRunLoadsTheGCode()
    {
        const QString input = Choose("board.gbr", TwoHoles);
        Form->RichEdit->setPlainText("old text");
        Form->StartButtonClick();
        QVERIFY2(Dialogs->Boxes.empty(), Dialogs->Boxes.empty() ? "" : qPrintable(Dialogs->Boxes[0].text));
        QCOMPARE(OutputFileName, input + ".tap");
        QVERIFY(ConversionDone.load() == 1);
        const QString onDisk = QString::fromStdString(read_file(Work->file("board.gbr.tap")));
        QVERIFY(onDisk.startsWith("G90\r\nG21\r\n"));
        QString expected = onDisk;
        expected.replace("\r\n", "\n");
        QCOMPARE(Form->RichEdit->toPlainText(), expected);
        QVERIFY(expected.contains("X0.00000 Y0.00000\nG1 Z-2.00000\n"));
        QVERIFY(expected.endsWith("M5\nM2\n"));

        /* A second run replaces the worker and the editor content. */
        gyerek *first = Worker;
        QVERIFY(first != nullptr);
        ShellSettings.UnitChoice = 1;
        Form->StartButtonClick();
        QVERIFY(Worker != nullptr);
        QVERIFY(Form->RichEdit->toPlainText().startsWith("G90\nG20\n"));
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
        const QString first = Form->RichEdit->toPlainText();
        QVERIFY(first.size() < expected.size());
        QVERIFY(expected.startsWith(first + "\n"));

        Form->SaveFileClick();
        QVERIFY(Dialogs->Boxes.empty());
        QCOMPARE(Form->RichEdit->toPlainText(), expected);
        QCOMPARE(QString::fromStdString(read_file(Work->file("panel.gbr.tap"))), onDisk);

        Form->StartButtonClick();
        QTRY_COMPARE(Form->RichEdit->toPlainText(), expected);
        QVERIFY(!Form->RichEdit->document()->isUndoAvailable());
        QTest::keyClicks(Form->RichEdit, "X");
        Form->RichEdit->undo();
        QCOMPARE(Form->RichEdit->toPlainText(), expected);

        /* A short program in place of one still coming in: undo works again. */
        Form->StartButtonClick();
        Choose("board.gbr", TwoHoles);
        Form->StartButtonClick();
        QVERIFY(Form->RichEdit->toPlainText().startsWith("G90\n"));
        QVERIFY(Form->RichEdit->document()->isUndoRedoEnabled());
    }

    void staleOutputIsDeletedBeforeAFailingRun()
    {
        const QString input = Choose("board.gbr", TwoHoles);
        write_file(Work->file("board.gbr.tap"), "G90\r\nstale\r\n");
        Form->RichEdit->setPlainText("previous");
        ShellSettings.FeedValue = 5000; /* refused by the converter before it writes anything */
        Form->StartButtonClick();
        QVERIFY(!file_exists(Work->file("board.gbr.tap")));
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, input + ".tap");
        QCOMPARE(Dialogs->Boxes[0].text, MissingOutputText);
        QCOMPARE(Form->RichEdit->toPlainText(), QStringLiteral("previous"));
    }

    void missingConverter()
    {
        const QString input = Choose("board.gbr", TwoHoles);
        ConverterPath = Q(Work->file("drelvo"));
        Form->StartButtonClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, input + ".tap");
        QCOMPARE(Dialogs->Boxes[0].text, MissingOutputText);
        QCOMPARE(OutputFileName, input + ".tap");
    }

    void syntaxErrorGivesAnEmptyEditor()
    {
        Choose("broken.gbr", "%FSLAX24Y24*%\nX100000Y100000D03*\nQ\n");
        Form->RichEdit->setPlainText("previous");
        Form->StartButtonClick();
        QVERIFY(Dialogs->Boxes.empty());
        QVERIFY(file_exists(Work->file("broken.gbr.tap")));
        QCOMPARE(Form->RichEdit->toPlainText(), QString());
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
        Form->RichEdit->setPlainText("previous");
        Form->StartButtonClick();
        /* Whether the converter takes such a path or not, the shell never
         * works on a cut name: it loads that file's output or says it is missing. */
        QCOMPARE(OutputFileName, InputFileName + ".tap");
        if (QFile::exists(OutputFileName))
            QVERIFY(Form->RichEdit->toPlainText().startsWith("G90\n"));
        else
            QCOMPARE(Dialogs->Boxes.at(0).text, MissingOutputText);
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
        QTest::keyClicks(Form->RichEdit, "G90");
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
        Form->RichEdit->setPlainText(edited);
        Form->SaveFileClick();
        QVERIFY(Dialogs->Boxes.empty());
        QCOMPARE(QByteArray::fromStdString(read_file(Work->file("board.gbr.tap"))), saved);
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

    void saveAfterAFailedRunCreatesTheFile()
    {
        Choose("board.gbr", TwoHoles);
        ConverterPath = Q(Work->file("no-such-converter"));
        Form->RichEdit->setPlainText("G90\nM2\n");
        Form->StartButtonClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        Form->SaveFileClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(read_file(Work->file("board.gbr.tap")), std::string("G90\r\nM2\r\n"));
    }

    void saveGoesToTheLatestRunsOutput()
    {
        Choose("first.gbr", TwoHoles);
        Form->StartButtonClick();
        Choose("second.gbr", TwoHoles);
        Form->RichEdit->setPlainText("M2\n");
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
        Form->RichEdit->setPlainText("G90\nM2\n");
        Form->SaveFileClick();
        QCOMPARE(Dialogs->Boxes.size(), size_t(1));
        QCOMPARE(Dialogs->Boxes[0].caption, QStringLiteral("Nem sikerült menteni !"));
        QVERIFY(Dialogs->Boxes[0].text.startsWith(output + "\n"));
        QVERIFY(Dialogs->Boxes[0].text.size() > output.size() + 1);
        QCOMPARE(Form->RichEdit->toPlainText(), QStringLiteral("G90\nM2\n"));
        QCOMPARE(OutputFileName, output);
        QVERIFY(QFileInfo(output).isDir());
    }

    /* Help boxes. */

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
    }

    void helpBoxes()
    {
        QFETCH(QString, button);
        QFETCH(QString, text);
        TForm1 &f = *Form;
        const QHash<QString, QPushButton *> buttons = {
            {"IntegerHelp", f.IntegerHelp}, {"UnitHelp", f.UnitHelp},       {"SpinHelp", f.SpinHelp},
            {"TurnHelp", f.TurnHelp},       {"FeedHelp", f.FeedHelp},       {"NeutralHelp", f.NeutralHelp},
            {"DepthHelp", f.DepthHelp},     {"XCoordHelp", f.XCoordHelp},   {"YCoordHelp", f.YCoordHelp}};
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
