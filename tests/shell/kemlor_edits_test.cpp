/* The editor's program is never lost without a question; the options window
 * and the strip; choosing the input from the command line or by a drop. */
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

#include "Ablak.h"
#include "EditorText.h"
#include "Kapcsolok.h"
#include "ProgramLoader.h"
#include "shell_test.h"
#include "test_support.h"

using TAnswers = std::vector<QMessageBox::StandardButton>;
Q_DECLARE_METATYPE(TAnswers)

namespace {

const char *const TwoHoles = "%FSLAX24Y24*%\n%MOMM*%\n%ADD10C,0.8*%\nG54D10*\n"
                             "X100000Y100000D03*\nX200000Y100000D03*\nM02*\n";
const char *const TwoBits = "M48\nMETRIC\nT1C1.0\nT2C0.6\n%\nT1\nX10.0Y20.0\nT2\nX15.0Y5.0\nM30\n";

QString Q(const std::string &text) { return QString::fromStdString(text); }

} // namespace

class EditsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> Form;
    TFakeDialogs *Dialogs = nullptr;
    std::unique_ptr<temp_dir> Work;

    /* `name` converted; the editor then holds its program with a line added. */
    std::string RunAndEdit(const char *name, const std::string &content)
    {
        write_file(Work->file(name), content);
        InputFileName = Q(Work->file(name));
        Form->StartButtonClick();
        Form->Editor()->appendPlainText("G4 P2");
        return read_file(Work->file(name) + ".tap");
    }

    QString Strip() const
    {
        return Control<QLabel>(*Form, "FileNameLabel")->text() + " | " + Control<QLabel>(*Form, "StripNote")->text();
    }

private slots:
    void init()
    {
        ResetShellState();
        Work = std::make_unique<temp_dir>();
        Form = std::make_unique<TForm1>();
        Dialogs = InstallFakeDialogs(*Form);
        ConverterPath = QStringLiteral(DRELVO_BIN);
        Form->show();
    }
    void cleanup()
    {
        Form.reset();
        Work.reset();
    }

    /* Unsaved changes: run, close and exit ask first, and each answer does
     * what it says; a saved edit is asked about again before a run overwrites it. */
    void questionsBeforeEditsAreLost_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("savedFirst");
        QTest::addColumn<TAnswers>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("fileHasEdit");
        QTest::addColumn<bool>("editorHasEdit");
        using B = QMessageBox;
        QTest::newRow("run, save, overwrite") << "run" << false << TAnswers{B::Save, B::Yes} << 2 << false << false;
        QTest::newRow("run, save, keep") << "run" << false << TAnswers{B::Save, B::Cancel} << 2 << true << true;
        QTest::newRow("run, discard") << "run" << false << TAnswers{B::Discard} << 1 << false << false;
        QTest::newRow("run, cancel") << "run" << false << TAnswers{B::Cancel} << 1 << false << true;
        QTest::newRow("saved edit, run, keep") << "run" << true << TAnswers{B::Cancel} << 1 << true << true;
        QTest::newRow("saved edit, exit") << "exit" << true << TAnswers{} << 0 << true << true;
        QTest::newRow("exit, save") << "exit" << false << TAnswers{B::Save} << 1 << true << true;
        QTest::newRow("exit, cancel") << "exit" << false << TAnswers{B::Cancel} << 1 << false << true;
        QTest::newRow("close, save") << "close" << false << TAnswers{B::Save} << 1 << true << true;
        QTest::newRow("close, discard") << "close" << false << TAnswers{B::Discard} << 1 << false << true;
        QTest::newRow("close, cancel") << "close" << false << TAnswers{B::Cancel} << 1 << false << true;
    }

    void questionsBeforeEditsAreLost()
    {
        QFETCH(QString, action);
        QFETCH(bool, savedFirst);
        QFETCH(TAnswers, answers);
        QFETCH(int, questions);
        QFETCH(bool, fileHasEdit);
        QFETCH(bool, editorHasEdit);
        const std::string converted = RunAndEdit("board.gbr", TwoHoles);
        if (savedFirst)
            Form->SaveFileClick();
        Dialogs->Answers = answers;
        Dialogs->Boxes.clear();
        const bool wasVisible = Form->isVisible();
        if (action == "run")
            Form->StartButtonClick();
        else if (action == "exit")
            Form->ExitButtonClick();
        else
            Form->close();
        QCOMPARE(int(Dialogs->Questions.size()), questions);
        QCOMPARE(read_file(Work->file("board.gbr.tap")) != converted, fileHasEdit);
        QCOMPARE(Form->Editor()->toPlainText().endsWith("G4 P2"), editorHasEdit);
        if (action == "close")
            QCOMPARE(Form->isVisible(), wasVisible && answers.front() == QMessageBox::Cancel);
        QCOMPARE(Strip().contains("nincs mentve"), Form->Editor()->document()->isModified());
    }

    /* A failed run of the same board leaves the editor as it was; its file
     * is empty now, so the editor counts as unsaved and saving restores it. */
    void failedRunKeepsTheEditor()
    {
        const std::string converted = RunAndEdit("board.gbr", TwoHoles);
        Form->SaveFileClick();
        write_file(Work->file("board.gbr"), "%FSLAX24Y24*%\nQ\n");
        Dialogs->Answers = {QMessageBox::Yes};
        Form->StartButtonClick();
        QVERIFY(Form->Editor()->toPlainText().endsWith("G4 P2"));
        QVERIFY(Form->Editor()->document()->isModified());
        Form->SaveFileClick();
        QVERIFY(QByteArray::fromStdString(read_file(Work->file("board.gbr.tap"))).endsWith("G4 P2\r\n"));
    }

    /* "Mentés másként" writes the text as ment does and saving then goes there. */
    void saveAs()
    {
        RunAndEdit("board.gbr", TwoHoles);
        Dialogs->SaveAnswer = Q(Work->file("kész.nc"));
        Form->SaveAsClick();
        QCOMPARE(Dialogs->Suggested, Q(Work->file("board.gbr.tap")));
        QCOMPARE(Form->ProgramFile(), Dialogs->SaveAnswer);
        QCOMPARE(QByteArray::fromStdString(read_file(Work->file("kész.nc"))),
                 StoredProgram(Form->Editor()->toPlainText()));
        Form->Editor()->appendPlainText("M2");
        Form->SaveFileClick();
        QVERIFY(QByteArray::fromStdString(read_file(Work->file("kész.nc"))).endsWith("G4 P2\r\nM2\r\n"));
        QVERIFY(!Form->Editor()->document()->isModified());
    }

    /* A long program is written in the background while the window goes
     * on; what happens meanwhile decides what the file holds and whether
     * the editor counts as saved: not after any edit, even one undone. */
    void longProgramSavedInTheBackground_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("boxes");
        QTest::newRow("nothing") << "" << "long.tap" << true << 0;
        QTest::newRow("an edit") << "edit" << "long.tap" << false << 0;
        QTest::newRow("an edit undone") << "undo" << "long.tap" << false << 0;
        QTest::newRow("an edit saved again") << "save" << "long.tap" << true << 0;
        QTest::newRow("exit") << "exit" << "long.tap" << true << 0;
        QTest::newRow("no such folder, an edit") << "edit" << "missing/long.tap" << false << 1;
    }

    void longProgramSavedInTheBackground()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QString, target);
        QFETCH(bool, saved);
        QFETCH(int, boxes);
        QPlainTextEdit *editor = Form->Editor();
        editor->setPlainText(QStringList(20, QString(60000, u'X')).join(u'\n'));
        editor->appendPlainText("G4 P2");
        const QString written = editor->toPlainText();
        Dialogs->SaveAnswer = Q(Work->file(target.toStdString()));
        Form->SaveAsClick();
        QVERIFY(Form->Saving());
        if (meanwhile == "edit" || meanwhile == "undo" || meanwhile == "save")
            editor->appendPlainText("M2");
        if (meanwhile == "undo")
            editor->document()->undo();
        if (meanwhile == "save")
            Form->SaveFileClick();
        if (meanwhile == "exit")
            Form->ExitButtonClick();
        QTRY_VERIFY(!Form->Saving());
        QCOMPARE(int(Dialogs->Boxes.size()), boxes);
        QCOMPARE(int(Dialogs->Questions.size()), 0);
        QCOMPARE(editor->document()->isModified(), !saved);
        QCOMPARE(Form->ProgramFile(), boxes == 0 ? Dialogs->SaveAnswer : QString());
        if (boxes == 0)
            QCOMPARE(QByteArray::fromStdString(read_file(Work->file(target.toStdString()))),
                     StoredProgram(meanwhile == "save" ? editor->toPlainText() : written));
        editor->appendPlainText("M30"); /* the save has let go of the text, also after a failure */
        QCOMPARE(PlainText(editor->document()), editor->toPlainText());
    }

    /* One program per bit: the editor shows one at a time, saving writes the
     * one shown, and leaving an edited one asks first. */
    void programPerBit()
    {
        Control<QComboBox>(*Form, "-t")->setCurrentText("fájlonként");
        QVERIFY(Strip().contains("szerszámcsere fájlonként"));
        RunAndEdit("board.drl", TwoBits);
        auto *bits = Control<QComboBox>(*Form, "BitComboBox");
        QVERIFY(bits->isVisible());
        QCOMPARE(bits->count(), 2);
        QCOMPARE(Form->ProgramFile(), Q(Work->file("board.drl.T1.tap")));
        Dialogs->Answers = {QMessageBox::Cancel};
        Form->BitComboBoxChange(1);
        QCOMPARE(bits->currentIndex(), 0);
        QVERIFY(Form->Editor()->toPlainText().endsWith("G4 P2"));
        Form->BitComboBoxChange(1); /* discarded */
        QCOMPARE(Form->ProgramFile(), Q(Work->file("board.drl.T2.tap")));
        Form->Editor()->appendPlainText("M2");
        Form->SaveFileClick();
        QVERIFY(QByteArray::fromStdString(read_file(Work->file("board.drl.T2.tap"))).endsWith("M2\r\n"));
        QVERIFY(!QByteArray::fromStdString(read_file(Work->file("board.drl.T1.tap"))).contains("G4 P2"));

        /* A Gerber file has no bits: its one program, and no list. */
        RunAndEdit("board.gbr", TwoHoles);
        QCOMPARE(Form->ProgramFile(), Q(Work->file("board.gbr.tap")));
        QVERIFY(!bits->isVisible());
    }

    /* A value reaches the setting and the strip; one out of range is refused
     * with the table's limits and the field shows the value used again. */
    void optionsWindowAndStrip()
    {
        auto *format = Control<QLineEdit>(*Form, "-n");
        format->setText("2.4");
        QCOMPARE(ShellSettings.OptionTexts[OPT_NUMBER_FORMAT], QStringLiteral("2.4"));
        auto *height = Control<QLineEdit>(*Form, "-c");
        height->setText("500");
        QVERIFY(ShellSettings.OptionTexts[OPT_CHANGE_HEIGHT].isEmpty());
        QVERIFY(Control<QLabel>(*Form, "OptionsNote")->text().contains("1 ... 100 mm"));
        Form->OptionsWindow()->ShowValuesUsed();
        QCOMPARE(height->text(), QString());
        Control<TEdit>(*Form, "XCoordEdit")->setText("12.9");
        QVERIFY2(Strip().contains("számformátum 2.4") && Strip().contains("X: 12.9 helyett 12 mm"), qPrintable(Strip()));
        format->setText("");
        QVERIFY(!Strip().contains("számformátum"));

        /* The window goes with a field in the focus. */
        Form->OptionsButtonClick();
        QVERIFY(QTest::qWaitForWindowActive(Form->OptionsWindow()));
        format->setFocus();
        Form.reset();
    }

    /* "kemlor <file>" and a file dropped on the window are chosen as if
     * picked; a name whose bytes are not text is refused, never replaced by
     * the file its decoded name would give. */
    void chosenAsIfPicked_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("drop");
        QTest::addColumn<bool>("picked");
        QTest::newRow("command line") << QByteArray("lap.gbr") << false << true;
        QTest::newRow("command line, missing") << QByteArray("nincs.gbr") << false << false;
        QTest::newRow("command line, not UTF-8") << QByteArray("bad\xff.gbr") << false << false;
        QTest::newRow("dropped") << QByteArray("lap.gbr") << true << true;
        QTest::newRow("dropped, decoded with a stand-in") << QByteArray("bad\xef\xbf\xbd.gbr") << true << false;
    }

    void chosenAsIfPicked()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, drop);
        QFETCH(bool, picked);
        QVERIFY(QDir::setCurrent(Q(Work->path)));
        for (const char *file : {"lap.gbr", "bad\xff.gbr", "bad\xef\xbf\xbd.gbr"})
            close(open(file, O_CREAT | O_WRONLY, 0644));
        const QString path = QDir::current().absoluteFilePath(QFile::decodeName(name));
        if (drop) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(Form.get(), &enter);
            QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(Form.get(), &event);
        } else {
            Form->OpenNamed(name);
        }
        QCOMPARE(InputFileName, picked ? path : QString());
        QCOMPARE(Dialogs->Boxes.size(), size_t(picked ? 0 : 1));
        QCOMPARE(Dialogs->OpenCount, 0);
    }
};

QTEST_MAIN(EditsTest)
#include "kemlor_edits_test.moc"
