/* Ablak.cpp - the main window of kemlor. */
#include "Ablak.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QEventLoop>
#include <QLabel>
#include <QLibraryInfo>
#include <QPlainTextEdit>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTranslator>
#include <cerrno>
#include <unistd.h>

#include "Controls.h"
#include "EditorText.h"
#include "Gyerek.h"
#include "Kapcsolok.h"
#include "Magyarazat.h"
#include "Mentes.h"
#include "ProgramLoader.h"
#include "plan/Terv.h"

QString ConverterPath;
QString InputFileName;
QString OutputFileName;
bool LastRunSucceeded = false;
gyerek *Worker = nullptr;
std::atomic<int> ConversionDone{0};
TForm1 *Form1 = nullptr;

namespace {

const QColor Aqua(0, 255, 255);

bool IsProgram(const QString &path)
{
    QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

/* The window's fonts are those of the classic Windows desktop; where this
 * machine lacks them, DejaVu stands in (the project installs it). */
void SubstituteFonts()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("Lucida Sans Typewriter"), QStringLiteral("DejaVu Sans Mono"));
}

} // namespace

QString FindConverter(const QString &startDir, const QString &programDir)
{
    const QString name = QStringLiteral("drelvo");
    const QString beside = programDir + QLatin1Char('/') + name;
    if (!programDir.isEmpty() && IsProgram(beside))
        return beside;
    return startDir.isEmpty() ? name : startDir + QLatin1Char('/') + name;
}

bool InstallQtTranslations()
{
    static QTranslator translator;
    if (!translator.load(QStringLiteral("qtbase_hu"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&translator);
    return true;
}

TForm1::TForm1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      Dialogs(std::make_unique<TDialogs>())
{
    SubstituteFonts();
    setWindowTitle(QStringLiteral("Kemlor"));
    setFixedSize(770, 576);
    SetColor(this, QPalette::Window, Aqua);
    setAutoFillBackground(true);
    setFont(MakeFont("MS Sans Serif", 11, false));
    for (int i = 0; i < PanelRowCount; ++i)
        Rows[size_t(i)].Row = &PanelRows[i];
    /* Frames first, so that the controls drawn on them stay on top. */
    CreateFrames();
    CreateLabels();
    CreateValueControls();
    CreateHelpButtons();
    CreateEditor();
    CreateCommandButtons();
    CreateCornerControls();
    Plan = new TTervAblak(RichEdit, Dialogs.get(), this);
    SetTabOrder();
    CreateShortcuts();
    setAcceptDrops(true);
    ConverterPath = FindConverter(QDir::currentPath(), QCoreApplication::applicationDirPath());
    findChild<QWidget *>(QStringLiteral("OpenButton"))->setFocus();
}

TForm1::~TForm1()
{
    delete Worker;
    Worker = nullptr;
}

void TForm1::SetDialogs(std::unique_ptr<TDialogs> dialogs)
{
    Dialogs = std::move(dialogs);
    Plan->SetDialogs(Dialogs.get());
    Options->SetDialogs(Dialogs.get());
}

/* Building the window. */

void TForm1::CreateEditor()
{
    RichEdit = new QPlainTextEdit(this);
    RichEdit->setObjectName(QStringLiteral("RichEdit"));
    /* From the start, so that a long program is never copied out of the editor whole. */
    PlainText(RichEdit->document());
    RichEdit->setGeometry(384, 40, 369, 473);
    RichEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit->setTabChangesFocus(true);
    /* The selection stays visible when the editor loses the focus. */
    QPalette editPalette = RichEdit->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        editPalette.setColor(QPalette::Inactive, role, editPalette.color(QPalette::Active, role));
    RichEdit->setPalette(editPalette);

    /* The strip between the settings and the command buttons is free: the
     * chosen file's name shows there, in the window font. */
    FileNameLabel = new QLabel(this);
    FileNameLabel->setObjectName(QStringLiteral("FileNameLabel"));
    FileNameLabel->setGeometry(8, 522, 753, 14);
    FileNameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StripNote = new QLabel(this);
    StripNote->setObjectName(QStringLiteral("StripNote"));
    StripNote->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(RichEdit->document(), &QTextDocument::modificationChanged, this, &TForm1::ShowStrip);

    /* Left of the editor's title, shown after a run of one program per bit. */
    BitComboBox = new QComboBox(this);
    Place(BitComboBox, QStringLiteral("BitComboBox"), QRect(384, 4, 121, 24));
    BitComboBox->setFont(MakeFont("MS Sans Serif", 13, false));
    BitComboBox->setToolTip(QStringLiteral("Melyik fúró programja látszik a szerkesztőben."));
    BitComboBox->hide();
    connect(BitComboBox, &QComboBox::activated, this, &TForm1::BitComboBoxChange);
}

void TForm1::CreateCommandButtons()
{
    const QFont font = MakeFont("Arial", 13, false);
    struct TCommand {
        const char *Name;
        QString Caption;
        int Left;
        QString Hint;
        void (TForm1::*Click)();
    };
    const TCommand commands[] = {
        {"OpenButton", QStringLiteral("meg&nyit"), 56,
         QStringLiteral("Egy ablakot jelenít meg ahol meg lehet keresni a feldolgozandó gerber fájlt."),
         &TForm1::OpenButtonClick},
        {"StartButton", QStringLiteral("&indít"), 240, QStringLiteral("Elindítja a feldolgozást."),
         &TForm1::StartButtonClick},
        {"SaveFile", QStringLiteral("&ment"), 432,
         QStringLiteral("Elmenti a G-kód szerkesztő ablakában látható sorokat az eredeti kimeneti fájlba."),
         &TForm1::SaveFileClick},
        {"ExitButton", QStringLiteral("&kilép"), 616, QStringLiteral("Kilép a programból."), &TForm1::ExitButtonClick},
        /* In the free corner above the editor's frame, clear of every other control. */
        {"PlanButton", QStringLiteral("fúrási &terv"), 664,
         QStringLiteral("Megmutatja, hol és milyen sorrendben fúr majd a gép."), &TForm1::PlanButtonClick},
    };
    for (const TCommand &command : commands) {
        QPushButton *button = MakeButton(this, QLatin1String(command.Name), command.Caption, font,
                                         QRect(command.Left, 544, 97, 25));
        button->setToolTip(command.Hint);
        connect(button, &QPushButton::clicked, this, command.Click);
    }
    QWidget *plan = findChild<QWidget *>(QStringLiteral("PlanButton"));
    plan->setGeometry(664, 4, 97, 24);
    plan->setFocusPolicy(Qt::NoFocus); /* Alt+T reaches it; the tab order stays as it was */
}

/* The run. */

void TForm1::OpenButtonClick()
{
    const QString directory =
        InputFileName.isEmpty() ? QDir::currentPath() : QFileInfo(InputFileName).absolutePath();
    const QString chosen = Dialogs->OpenDialog(
        this, QStringLiteral("Keresse meg  azt a gerber fájlt amiből G kódot szeretne."), directory);
    if (!chosen.isEmpty())
        PickInput(chosen);
}

/* A stale output of an earlier run must not pass for the result of this one. */
bool TForm1::DeleteStaleOutput()
{
    if (unlink(QFile::encodeName(OutputFileName).constData()) == 0 || errno == ENOENT)
        return true;
    Dialogs->MessageBox(this, QStringLiteral("Nem indult el az átalakítás !"),
                        QStringLiteral("Az előző átalakítás kimenete nem törölhető:\n%1\n%2")
                            .arg(QDir::toNativeSeparators(OutputFileName), FileErrorText(errno)));
    return false;
}

/* Runs the worker and waits for its end. The window keeps painting, but user
 * input and closing the window wait until the run is over, so no other
 * handler runs in between. */
void TForm1::RunConverter()
{
    ConversionDone.store(0, std::memory_order_relaxed);
    Worker = new gyerek(ConverterArgs(ShellSettings, ConverterPath, InputFileName), ConversionDone);
    QEventLoop wait;
    connect(Worker, &QThread::finished, &wait, &QEventLoop::quit);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Worker->start();
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    Worker->wait(); /* should anything else have ended the loop */
    QApplication::restoreOverrideCursor();
}

void TForm1::StartButtonClick()
{
    if (InputFileName.isEmpty()) {
        Dialogs->MessageBox(this, QStringLiteral("Nincs bemenő fájl !"),
                            QStringLiteral("A \"megnyit\" gomb használatával ki kell választani a gerber fájlt."));
        return;
    }
    if (!ConfirmDiscard() || !ConfirmReplace())
        return;
    /* Every control shows the value that the run passes on. */
    for (TRowControls &row : Rows)
        ShowValueUsed(row);
    Options->ShowValuesUsed();
    delete Worker;
    Worker = nullptr;
    OutputFileName = InputFileName + QStringLiteral(".tap");
    LastRunSucceeded = false;
    if (!DeleteStaleOutput())
        return;
    RunConverter();

    const QStringList outputs = RunOutputs();
    /* A failed run leaves the editor as it was; its file may be gone now. */
    LastRunSucceeded = Worker->Result.Succeeded() && !outputs.isEmpty() && LoadProgramFile(outputs.first());
    if (LastRunSucceeded) {
        ShowBitFiles(outputs.first() != OutputFileName ? outputs : QStringList());
        SavedEditFile.clear();
        Plan->ShowProgram();
    } else if (!ProgramFileName.isEmpty() && QFileInfo(ProgramFileName).size() == 0 &&
               !RichEdit->document()->isEmpty()) {
        RichEdit->document()->setModified(true);
    }
    ReportRun(Worker->Result, !outputs.isEmpty());
}

/* The programs the run left: with one program per bit "<input>.T<n>.tap"
 * in the order of n, else (and for a Gerber file) "<input>.tap". */
QStringList TForm1::RunOutputs() const
{
    QMap<int, QString> bits;
    const QFileInfo input(InputFileName);
    const QRegularExpression bitName(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(input.fileName()) + QStringLiteral("\\.T(\\d+)\\.tap")));
    for (const QString &name : PerBitPrograms(ShellSettings) ? input.dir().entryList(QDir::Files) : QStringList())
        if (const QRegularExpressionMatch match = bitName.match(name); match.hasMatch())
            bits.insert(match.captured(1).toInt(), input.dir().filePath(name));
    if (bits.isEmpty() && QFileInfo::exists(OutputFileName))
        return {OutputFileName};
    return bits.values();
}

/* Says how the run went whenever there is anything to say: the converter's
 * own messages, how it ended when that was not normal, a missing output. */
void TForm1::ReportRun(const TRunResult &result, bool outputLoaded)
{
    const QString path = QDir::toNativeSeparators(ConverterPath);
    if (result.StartError != 0) {
        Dialogs->MessageBox(this, QStringLiteral("Nem indult el az átalakítás !"),
                            QStringLiteral("Az átalakító program nem indítható:\n%1\n%2")
                                .arg(path, FileErrorText(result.StartError)));
        return;
    }
    QStringList lines;
    const QString messages = ExplainConverterText(DecodeConverterText(result.Output, InputFileName));
    if (!messages.isEmpty())
        lines << messages;
    if (result.Signal != 0)
        lines << QStringLiteral("Az átalakító program leállt (%1. jelzés).").arg(result.Signal);
    else if (result.ExitStatus != 0 && messages.isEmpty())
        lines << QStringLiteral("Az átalakító program %1 hibakóddal állt le.").arg(result.ExitStatus);
    if (!outputLoaded)
        lines << QStringLiteral("Az átalakító program kimenete nincs meg.\n"
                                "Valamilyen hiba lehet a gerber fájlban,\n"
                                "vagy az értelmező program nem tudott fel-\n"
                                "dolgozi valamit.");
    if (!LastRunSucceeded && !RichEdit->document()->isEmpty())
        lines << QStringLiteral("A szerkesztő tartalma nem változott.");
    if (lines.isEmpty())
        return;
    Dialogs->MessageBox(this,
                        LastRunSucceeded ? QStringLiteral("Az átalakító üzenete")
                                         : QStringLiteral("Nem sikerült az átalakítás !"),
                        lines.join(QStringLiteral("\n\n")));
}

/* Saving, leaving and help. */

void TForm1::SaveFileClick()
{
    FinishLoading();
    Saver.Finish();
    if (RichEdit->document()->isEmpty()) {
        Dialogs->MessageBox(this, QStringLiteral("Nincs mit menteni !"),
                            QStringLiteral("Hiányzik a G-kód amit menteni lehetne. Előbb a \"megnyit\"\n"
                                           "gomb segítségével ki kell jelölni a feldolgozandó fált aztán\n"
                                           "az \"indít\" gombbal elvégezni az átalakítást. A kész G-kód\n"
                                           "a kimenő fájlba kerül, amit ez a keretprogram betölt a szer-\n"
                                           "kesztő ablakba. Itt lehet még szükség szerint módosítani\n"
                                           "rajta és ezt újból menteni."));
        return;
    }
    if (ProgramFileName.isEmpty()) {
        Dialogs->MessageBox(this, QStringLiteral("Nincs hová menteni !"),
                            QStringLiteral("Ez öreg hiba, mert már bent kéne hogy legyen\n"
                                           "a G-kód az ablakban, ez pedig csak úgy lehet-\n"
                                           "séges ha már megvan a kimenő fájl neve."));
        return;
    }
    SaveProgram(ProgramFileName);
}

void TForm1::ExitButtonClick()
{
    if (!ConfirmDiscard())
        return;
    delete Worker; /* its run has ended: every run is waited for */
    Worker = nullptr;
    QCoreApplication::quit();
}

void TForm1::OptionsButtonClick()
{
    Options->show();
    Options->raise();
}

void TForm1::PlanButtonClick() { Plan->ShowProgram(); }

void TForm1::HelpBox(option_id option)
{
    Dialogs->MessageBox(this, QString::fromLatin1(ApplicationTitle), HelpText(option));
}

void TForm1::IntegerHelpClick() { HelpBox(OPT_INTEGER_DIGITS); }
void TForm1::UnitHelpClick() { HelpBox(OPT_UNIT); }
void TForm1::SpinHelpClick() { HelpBox(OPT_DIRECTION); }
void TForm1::TurnHelpClick() { HelpBox(OPT_SPINDLE_SPEED); }
void TForm1::FeedHelpClick() { HelpBox(OPT_FEED); }
void TForm1::NeutralHelpClick() { HelpBox(OPT_SAFE_HEIGHT); }
void TForm1::DepthHelpClick() { HelpBox(OPT_DEPTH); }
void TForm1::XCoordHelpClick() { HelpBox(OPT_X_OFFSET); }
void TForm1::YCoordHelpClick() { HelpBox(OPT_Y_OFFSET); }

