/* AblakProgram.cpp - the program in the main window's editor: which file it
 * belongs to, saving it there or elsewhere, asking before an edit is lost,
 * the programs of one run per bit, and how an input file is chosen (the
 * dialog, a file dropped on the window, the command line). */
#include "Ablak.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QUrl>
#include <cmath>
#include <memory>
#include <utility>

#include "EditorText.h"
#include "Mentes.h"
#include "ProgramLoader.h"

namespace {

QString Native(const QString &path) { return QDir::toNativeSeparators(path); }

/* A program up to this long is saved before the window goes on (about
 * 3 ms to write); a longer one in the background. */
constexpr qsizetype SavedAtOnceCharacters = 1 << 20;

/* The one local file a drag carries, or an empty text. */
QString DraggedFile(const QMimeData *data)
{
    const QList<QUrl> urls = data->urls();
    return urls.size() == 1 && urls.first().isLocalFile() ? urls.first().toLocalFile() : QString();
}

} // namespace

void TForm1::CreateShortcuts()
{
    const std::pair<QKeySequence, void (TForm1::*)()> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_O), &TForm1::OpenButtonClick},
        {QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::SaveFileClick},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &TForm1::SaveAsClick},
    };
    for (const auto &[key, handler] : keys)
        connect(new QShortcut(key, this), &QShortcut::activated, this, handler);
    /* Saving under another name has no button: the editor's menu offers it. */
    RichEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RichEdit, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        std::unique_ptr<QMenu> menu(RichEdit->createStandardContextMenu());
        menu->addSeparator();
        menu->addAction(QStringLiteral("Mentés másként..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this,
                        &TForm1::SaveAsClick);
        menu->exec(RichEdit->viewport()->mapToGlobal(at));
    });
}

/* The strip under the settings: the chosen file, the editor's program when
 * it is not that file's, whether it holds unsaved changes; on the right the
 * settings a run passes that the panel does not show plainly. */
void TForm1::ShowStrip()
{
    QStringList notes;
    if (const QString options = DifferingOptions(ShellSettings); !options.isEmpty())
        notes << options;
    for (const auto &[axis, value] : {std::pair{"X", ShellSettings.XCoordValue}, {"Y", ShellSettings.YCoordValue}})
        if (value != std::trunc(value))
            notes << QStringLiteral("%1: %2 helyett %3 mm").arg(QLatin1String(axis)).arg(value).arg(std::trunc(value));
    /* The notes take at most two thirds of the strip; the file's name the rest. */
    const QString note = notes.join(QStringLiteral(" · "));
    StripNote->setText(StripNote->fontMetrics().elidedText(note, Qt::ElideRight, 500));
    StripNote->setToolTip(note);
    const int noteWidth = note.isEmpty() ? 0 : StripNote->sizeHint().width();
    StripNote->setGeometry(761 - noteWidth, 522, noteWidth, 14);

    QString state;
    if (!ProgramFileName.isEmpty() && ProgramFileName != InputFileName + QStringLiteral(".tap"))
        state += QStringLiteral("  ·  G-kód: %1").arg(QFileInfo(ProgramFileName).fileName());
    if (RichEdit->document()->isModified())
        state += QStringLiteral("  ·  nincs mentve");
    const QFontMetrics metrics = FileNameLabel->fontMetrics();
    const int width = 753 - noteWidth - (noteWidth > 0 ? 12 : 0);
    FileNameLabel->setGeometry(8, 522, width, 14);
    FileNameLabel->setText(
        metrics.elidedText(Native(InputFileName), Qt::ElideMiddle, width - metrics.horizontalAdvance(state)) + state);
}

/* A name that was not valid text on disk comes decoded with a stand-in
 * character; encoded again it would name another file, so it is refused. */
void TForm1::PickInput(const QString &path)
{
    if (path.contains(QChar::ReplacementCharacter)) {
        Dialogs->MessageBox(this, QStringLiteral("Nem nyitható meg !"),
                            QStringLiteral("A fájl nevében olyan bájt van, amely nem olvasható betűként:\n%1\n"
                                           "Nevezze át a fájlt, és válassza ki újra.")
                                .arg(Native(path)));
        return;
    }
    InputFileName = path;
    ShowStrip();
}

void TForm1::OpenNamed(const QByteArray &name)
{
    const QString path = QFile::decodeName(name);
    if (QFile::encodeName(path) != name)
        return PickInput(path + QChar(QChar::ReplacementCharacter));
    if (!QFileInfo(path).isFile()) {
        Dialogs->MessageBox(this, QStringLiteral("Nem nyitható meg !"),
                            QStringLiteral("Nincs ilyen fájl:\n%1").arg(Native(path)));
        return;
    }
    PickInput(QFileInfo(path).absoluteFilePath());
}

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!DraggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    PickInput(DraggedFile(event->mimeData()));
    event->acceptProposedAction();
}

/* The editor shows the program of `path`, which saving then writes back. */
bool TForm1::LoadProgramFile(const QString &path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return false;
    LoadProgram(RichEdit, QByteArray(), std::move(file));
    ProgramFileName = path;
    ShowStrip();
    return true;
}

/* One program per bit: a list of the bits above the editor; otherwise none. */
void TForm1::ShowBitFiles(const QStringList &files)
{
    BitFiles = files;
    BitComboBox->clear();
    for (int i = 0; i < files.size(); ++i) {
        BitComboBox->addItem(QStringLiteral("%1. fúró").arg(i + 1));
        BitComboBox->setItemData(i, Native(files[i]), Qt::ToolTipRole);
    }
    BitComboBox->setVisible(!files.isEmpty());
}

void TForm1::BitComboBoxChange(int index)
{
    const int shown = int(BitFiles.indexOf(ProgramFileName));
    if (index == shown || index < 0 || index >= BitFiles.size())
        return;
    if (!ConfirmDiscard() || !LoadProgramFile(BitFiles[index]))
        BitComboBox->setCurrentIndex(shown);
}

/* Writes the editor's text to `path` whole or not at all. A long program is
 * written in the background while the window goes on; a short one is
 * reported at once. */
void TForm1::SaveProgram(const QString &path)
{
    const std::shared_ptr<TTextHold> hold = HoldPlainText(RichEdit->document());
    const bool edited = RichEdit->document()->isModified();
    Saver.Start(
        [path, hold] {
            const int error = SaveWhole(path, [&hold](const TPieceWriter &write) {
                const int error = StoredPieces(hold->Text(), write);
                hold->Release(); /* the editor may change while the file is synced and renamed */
                return error;
            });
            hold->Release(); /* also when the file could not be made */
            return error;
        },
        [this, path, hold, edited](int error) { ProgramSaved(path, *hold, edited, error); });
    if (hold->Text().size() <= SavedAtOnceCharacters)
        Saver.Finish();
}

/* The editor is unmodified only if it has not changed since it was saved. */
void TForm1::ProgramSaved(const QString &path, const TTextHold &hold, bool edited, int error)
{
    if (error != 0) {
        Dialogs->MessageBox(this, QStringLiteral("Nem sikerült menteni !"),
                            Native(path) + QLatin1Char('\n') + FileErrorText(error) +
                                QStringLiteral("\nA fájl változatlan maradt."));
        return;
    }
    if (edited)
        SavedEditFile = path;
    ProgramFileName = path;
    if (!hold.Changed())
        RichEdit->document()->setModified(false);
    ShowStrip();
}

void TForm1::SaveAsClick()
{
    FinishLoading();
    Saver.Finish();
    if (RichEdit->document()->isEmpty())
        return SaveFileClick(); /* says there is nothing to save */
    QString filter;
    const QString path = Dialogs->SaveDialog(
        this, QStringLiteral("Mentés másként"),
        ProgramFileName.isEmpty() ? InputFileName + QStringLiteral(".tap") : ProgramFileName,
        QStringLiteral("G-kód (*.tap *.nc *.ngc *.gcode);;Minden fájl (*)"), filter);
    if (!path.isEmpty())
        SaveProgram(path);
}

/* Before the editor's unsaved changes would be lost: save, drop or stay. */
bool TForm1::ConfirmDiscard()
{
    FinishLoading();
    Saver.Finish();
    if (!RichEdit->document()->isModified())
        return true;
    const QMessageBox::StandardButton answer = Dialogs->Question(
        this, QStringLiteral("Nincs mentve !"),
        QStringLiteral("A szerkesztőben lévő G-kód változásai nincsenek mentve.\nMenti őket?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Save) {
        if (ProgramFileName.isEmpty())
            SaveAsClick();
        else
            SaveProgram(ProgramFileName);
        Saver.Finish();
        return !RichEdit->document()->isModified();
    }
    return answer == QMessageBox::Discard;
}

/* Before a run overwrites a program that was edited and saved here. */
bool TForm1::ConfirmReplace()
{
    const QString output = InputFileName + QStringLiteral(".tap");
    const bool replaced = SavedEditFile == output ||
                          (PerBitPrograms(ShellSettings) && SavedEditFile.startsWith(InputFileName + QStringLiteral(".T")));
    if (!replaced || !QFileInfo::exists(SavedEditFile))
        return true;
    return Dialogs->Question(this, QStringLiteral("Felülírja ?"),
                             QStringLiteral("Ezt a G-kódot a szerkesztőben módosította és mentette:\n%1\n"
                                            "Az átalakítás felülírja. Folytatja?")
                                 .arg(Native(SavedEditFile)),
                             QMessageBox::Yes | QMessageBox::Cancel) == QMessageBox::Yes;
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (ConfirmDiscard())
        event->accept();
    else
        event->ignore();
}
