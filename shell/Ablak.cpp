/* Ablak.cpp - the main window of kemlor. */
#include "Ablak.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QEventLoop>
#include <QFontInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTranslator>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cerrno>
#include <unistd.h>

#include "Controls.h"
#include "Gyerek.h"
#include "Mentes.h"
#include "ProgramLoader.h"
#include "plan/Terv.h"

TShellSettings ShellSettings;
QString ConverterPath;
QString InputFileName;
QString OutputFileName;
bool LastRunSucceeded = false;
gyerek *Worker = nullptr;
std::atomic<int> ConversionDone{0};
TForm1 *Form1 = nullptr;

namespace {

/* The characters a coordinate is typed with: digits, either decimal mark, blanks. */
const QString CoordCharSet = QStringLiteral("0123456789., ");
const QColor Aqua(0, 255, 255);
const QColor Purple(128, 0, 128);
const QColor Maroon(128, 0, 0);

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

QFont MakeFont(const char *family, int pixels, bool bold)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    /* The stand-in runs wider than the fonts the layout was drawn for; its
     * semi-condensed face keeps the captions within their places. */
    if (QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) != 0)
        font.setStretch(QFont::SemiCondensed);
    return font;
}

void SetColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

/* Reads a number the way "%lf" does in the C locale: leading blanks skipped,
 * the number at the start taken, the rest ignored. Whatever the user's
 * locale, "." and the "," that Hungarian users type are both the decimal
 * point. A NaN counts as no number, since every range check would let it through. */
bool ReadCoord(const QString &text, double &value)
{
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    QByteArray bytes = text.toUtf8().replace(',', '.');
    double read = 0.0;
    locale_t previous = uselocale(c_locale);
    int converted = std::sscanf(bytes.constData(), "%lf", &read);
    uselocale(previous);
    if (converted != 1 || std::isnan(read))
        return false;
    value = read;
    return true;
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

} // namespace

QString FindConverter(const QString &startDir, const QString &programDir)
{
    const QString name = QStringLiteral("drelvo");
    const QString beside = programDir + QLatin1Char('/') + name;
    if (!programDir.isEmpty() && IsProgram(beside))
        return beside;
    return startDir.isEmpty() ? name : startDir + QLatin1Char('/') + name;
}

QString FormatCoord(double value) { return QString::number(value, 'f', 6); }

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
    CreateControls();
    ConnectHandlers();
    ConverterPath = FindConverter(QDir::currentPath(), QCoreApplication::applicationDirPath());
    OpenButton->setFocus();
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
}

void TForm1::CreateControls()
{
    /* Frames first, so that the controls drawn on them stay on top. */
    const int rowTops[9] = {32, 88, 144, 200, 256, 312, 368, 424, 480};
    TBevel **rows[9] = {&Bevel1, &Bevel2, &Bevel3, &Bevel4, &Bevel5, &Bevel6, &Bevel7, &Bevel8, &Bevel9};
    for (int i = 0; i < 9; ++i) {
        *rows[i] = new TBevel(TBevel::Frame, TBevel::Raised, this);
        (*rows[i])->setGeometry(8, rowTops[i], 353, 41);
    }
    Bevel11 = new TBevel(TBevel::Frame, TBevel::Raised, this);
    Bevel11->setGeometry(376, 32, 385, 489);
    Bevel10 = new TBevel(TBevel::TopLine, TBevel::Lowered, this);
    Bevel10->setGeometry(8, 536, 753, 41);

    auto label = [this](const QString &caption, int left, int top, int width, int height, const QFont &font) {
        QLabel *result = new QLabel(caption, this);
        result->setFont(font);
        result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        /* Labels take the width of their caption, never less than planned. */
        result->setGeometry(left, top, std::max(width, result->sizeHint().width()), height);
        return result;
    };
    const QFont titleFont = MakeFont("Arial", 15, true);
    Label1 = label(QStringLiteral("beállítások"), 152, 8, 76, 18, titleFont);
    RichEditLabel = label(QStringLiteral("G-kód szerkesztő"), 512, 8, 125, 18, titleFont);
    SetColor(RichEditLabel, QPalette::WindowText, Purple);

    const QFont rowFont = MakeFont("MS Sans Serif", 13, true);
    IntegerLabel = label(QStringLiteral("egészrész"), 16, 40, 72, 16, rowFont);
    UnitLabel = label(QStringLiteral("mértékegység"), 16, 96, 100, 16, rowFont);
    SpinLabel = label(QStringLiteral("forgásirány"), 16, 152, 79, 16, rowFont);
    TurnLabel = label(QStringLiteral("fordulatszám [ford/perc]"), 16, 208, 168, 16, rowFont);
    FeedLabel = label(QStringLiteral("előtolás [mm/perc]"), 16, 264, 133, 16, rowFont);
    NeutralLabel = label(QStringLiteral("alaphelyzet [mm]"), 16, 320, 119, 16, rowFont);
    DepthLabel = label(QStringLiteral("mélység [mm]"), 16, 376, 98, 16, rowFont);
    XCoordLabel = label(QStringLiteral("X koordináta [mm]"), 16, 432, 126, 16, rowFont);
    YCoordLabel = label(QStringLiteral("Y koordináta [mm]"), 16, 488, 127, 16, rowFont);

    const QFont valueFont = MakeFont("MS Sans Serif", 13, false);
    auto spinEdit = [this, &valueFont](int32_t min, int32_t max, int32_t value, int top, const QString &hint) {
        TCSpinEdit *result = new TCSpinEdit(min, max, value, this);
        result->setFont(valueFont);
        result->setToolTip(hint);
        result->setGeometry(192, top, 73, 26);
        return result;
    };
    auto comboBox = [this, &valueFont](const QString &first, const QString &second, int top, const QString &hint) {
        TComboBox *result = new TComboBox(this);
        result->setEditable(true);
        /* What the user types is a choice to check, not a new item to keep. */
        result->setInsertPolicy(QComboBox::NoInsert);
        result->setCompleter(nullptr);
        result->addItems({first, second});
        /* List rows 16 pixels high: a plain delegate honours a row's size hint. */
        result->setItemDelegate(new QStyledItemDelegate(result));
        for (int i = 0; i < result->count(); ++i)
            result->setItemData(i, QSize(0, 16), Qt::SizeHintRole);
        result->setFont(valueFont);
        result->setToolTip(hint);
        result->setGeometry(192, top, 73, 24);
        return result;
    };
    auto coordEdit = [this, &valueFont](int top, const QString &hint) {
        TEdit *result = new TEdit(this);
        result->setText(QStringLiteral("0.00000"));
        result->setFont(valueFont);
        result->setToolTip(hint);
        result->setGeometry(192, top, 57, 24);
        return result;
    };
    auto spinButton = [this](int top) {
        TCSpinButton *result = new TCSpinButton(this);
        result->setGeometry(248, top, 17, 25);
        return result;
    };

    IntegerEdit = spinEdit(1, 6, 2, 40, QStringLiteral("A gerber fájl koordinátáinak földolgozásába nyúl bele."));
    UnitComboBox = comboBox(QStringLiteral("mm"), QStringLiteral("coll"), 96,
                            QStringLiteral("A G kódú koordináták mértékegységét választja ki."));
    SpinComboBox = comboBox(QStringLiteral("jobb"), QStringLiteral("bal"), 152,
                            QStringLiteral("A főorsó forgásirányát adja meg."));
    TurnEdit = spinEdit(1, 30000, 1000, 208, QStringLiteral("A főorsó fordulatszámát állítja be."));
    FeedEdit = spinEdit(1, 1000, 400, 264, QStringLiteral("A fúró előtolását adja meg."));
    NeutralEdit = spinEdit(1, 10, 2, 320, QStringLiteral("A fúró semleges (fölső) helyzetét állítja."));
    DepthEdit = spinEdit(1, 10, 2, 376, QStringLiteral("A fúrás mélységét határozza meg."));
    XCoordEdit = coordEdit(432, QStringLiteral("A furatcsoport bal alsó X koordinátáját állítja be."));
    XCoordSpinButton = spinButton(432);
    YCoordEdit = coordEdit(488, QStringLiteral("A furatcsoport bal alsó Y koordinátáját állítja be."));
    YCoordSpinButton = spinButton(488);

    const QFont helpFont = MakeFont("Lucida Sans Typewriter", 13, false);
    auto helpButton = [this, &helpFont](int top) {
        QPushButton *result = new QPushButton(QStringLiteral("súgó"), this);
        result->setFont(helpFont);
        SetColor(result, QPalette::ButtonText, Maroon);
        result->setGeometry(280, top, 75, 25);
        return result;
    };
    IntegerHelp = helpButton(40);
    UnitHelp = helpButton(96);
    SpinHelp = helpButton(152);
    TurnHelp = helpButton(208);
    FeedHelp = helpButton(264);
    NeutralHelp = helpButton(320);
    DepthHelp = helpButton(376);
    XCoordHelp = helpButton(432);
    YCoordHelp = helpButton(488);

    RichEdit = new QPlainTextEdit(this);
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
    FileNameLabel->setGeometry(8, 522, 753, 14);
    FileNameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    const QFont commandFont = MakeFont("Arial", 13, false);
    auto commandButton = [this, &commandFont](const QString &caption, int left, const QString &hint) {
        QPushButton *result = new QPushButton(caption, this);
        result->setFont(commandFont);
        SetColor(result, QPalette::ButtonText, Maroon);
        result->setToolTip(hint);
        result->setGeometry(left, 544, 97, 25);
        return result;
    };
    OpenButton = commandButton(
        QStringLiteral("meg&nyit"), 56,
        QStringLiteral("Egy ablakot jelenít meg ahol meg lehet keresni a feldolgozandó gerber fájlt."));
    StartButton = commandButton(QStringLiteral("&indít"), 240, QStringLiteral("Elindítja a feldolgozást."));
    SaveFile = commandButton(
        QStringLiteral("&ment"), 432,
        QStringLiteral("Elmenti a G-kód szerkesztő ablakában látható sorokat az eredeti kimeneti fájlba."));
    ExitButton = commandButton(QStringLiteral("&kilép"), 616, QStringLiteral("Kilép a programból."));
    /* In the free corner above the editor's frame, clear of every other control. */
    PlanButton = commandButton(QStringLiteral("fúrási &terv"), 664,
                               QStringLiteral("Megmutatja, hol és milyen sorrendben fúr majd a gép."));
    PlanButton->setGeometry(664, 4, 97, 24);
    PlanButton->setFocusPolicy(Qt::NoFocus); /* Alt+T reaches it; the tab order stays as it was */
    /* The other free corner, left of the settings' title: a choice from a list
     * (a drill file of one bit, and a Gerber file, are never changed by it). */
    ChangeComboBox = new QComboBox(this);
    ChangeComboBox->addItems({QStringLiteral("szünet"), QStringLiteral("m6")});
    ChangeComboBox->setFont(valueFont);
    ChangeComboBox->setToolTip(QStringLiteral("Több fúróméretű fúrófájlnál a fúrócsere módja."));
    ChangeComboBox->setGeometry(8, 4, 73, 24);
    ChangeHelp = helpButton(4);
    ChangeHelp->setGeometry(84, 4, 62, 25);
    Plan = new TTervAblak(RichEdit, Dialogs.get(), this);

    QWidget *tabOrder[] = {OpenButton,  StartButton, SaveFile,         ExitButton,  IntegerEdit, IntegerHelp,
                           UnitComboBox, UnitHelp,   SpinComboBox,     SpinHelp,    TurnEdit,    TurnHelp,
                           FeedEdit,    FeedHelp,    NeutralEdit,      NeutralHelp, DepthEdit,   DepthHelp,
                           XCoordEdit,  XCoordSpinButton, XCoordHelp,  YCoordEdit,  YCoordSpinButton,
                           YCoordHelp,  ChangeComboBox, ChangeHelp, RichEdit};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void TForm1::ConnectHandlers()
{
    connect(IntegerEdit, &QLineEdit::textChanged, this, &TForm1::IntegerEditChange);
    connect(IntegerEdit, &TEdit::KeyDown, this, &TForm1::IntegerEditKeyDown);
    connect(IntegerEdit, &TEdit::KeyUp, this, &TForm1::IntegerEditKeyUp);
    connect(TurnEdit, &QLineEdit::textChanged, this, &TForm1::TurnEditChange);
    connect(TurnEdit, &TEdit::KeyDown, this, &TForm1::TurnEditKeyDown);
    connect(TurnEdit, &TEdit::KeyUp, this, &TForm1::TurnEditKeyUp);
    connect(FeedEdit, &QLineEdit::textChanged, this, &TForm1::FeedEditChange);
    connect(FeedEdit, &TEdit::KeyDown, this, &TForm1::FeedEditKeyDown);
    connect(FeedEdit, &TEdit::KeyUp, this, &TForm1::FeedEditKeyUp);
    connect(NeutralEdit, &QLineEdit::textChanged, this, &TForm1::NeutralEditChange);
    connect(NeutralEdit, &TEdit::KeyDown, this, &TForm1::NeutralEditKeyDown);
    connect(NeutralEdit, &TEdit::KeyUp, this, &TForm1::NeutralEditKeyUp);
    connect(DepthEdit, &QLineEdit::textChanged, this, &TForm1::DepthEditChange);
    connect(DepthEdit, &TEdit::KeyDown, this, &TForm1::DepthEditKeyDown);
    connect(DepthEdit, &TEdit::KeyUp, this, &TForm1::DepthEditKeyUp);
    /* A press of Enter that leaves an edit unreleased is forgotten with it. */
    connect(IntegerEdit, &TEdit::Exit, this, [this] { IntegerPendingValue.reset(); });
    connect(TurnEdit, &TEdit::Exit, this, [this] { TurnPendingValue.reset(); });
    connect(FeedEdit, &TEdit::Exit, this, [this] { FeedPendingValue.reset(); });
    connect(NeutralEdit, &TEdit::Exit, this, [this] { NeutralPendingValue.reset(); });
    connect(DepthEdit, &TEdit::Exit, this, [this] { DepthPendingValue.reset(); });
    connect(UnitComboBox, &QComboBox::editTextChanged, this, &TForm1::UnitComboBoxChange);
    connect(UnitComboBox, &TComboBox::Exit, this, &TForm1::UnitComboBoxExit);
    connect(SpinComboBox, &QComboBox::editTextChanged, this, &TForm1::SpinComboBoxChange);
    connect(SpinComboBox, &TComboBox::Exit, this, &TForm1::SpinComboBoxExit);
    connect(XCoordEdit, &QLineEdit::textChanged, this, &TForm1::XCoordEditChange);
    connect(XCoordEdit, &TEdit::KeyUp, this, &TForm1::XCoordEditKeyUp);
    connect(XCoordEdit, &TEdit::Exit, this, &TForm1::XCoordEditExit);
    connect(XCoordSpinButton, &TCSpinButton::UpClick, this, &TForm1::XCoordSpinButtonUpClick);
    connect(XCoordSpinButton, &TCSpinButton::DownClick, this, &TForm1::XCoordSpinButtonDownClick);
    connect(YCoordEdit, &QLineEdit::textChanged, this, &TForm1::YCoordEditChange);
    connect(YCoordEdit, &TEdit::KeyUp, this, &TForm1::YCoordEditKeyUp);
    connect(YCoordEdit, &TEdit::Exit, this, &TForm1::YCoordEditExit);
    connect(YCoordSpinButton, &TCSpinButton::UpClick, this, &TForm1::YCoordSpinButtonUpClick);
    connect(YCoordSpinButton, &TCSpinButton::DownClick, this, &TForm1::YCoordSpinButtonDownClick);

    connect(OpenButton, &QPushButton::clicked, this, &TForm1::OpenButtonClick);
    connect(StartButton, &QPushButton::clicked, this, &TForm1::StartButtonClick);
    connect(SaveFile, &QPushButton::clicked, this, &TForm1::SaveFileClick);
    connect(ExitButton, &QPushButton::clicked, this, &TForm1::ExitButtonClick);
    connect(PlanButton, &QPushButton::clicked, this, &TForm1::PlanButtonClick);
    connect(IntegerHelp, &QPushButton::clicked, this, &TForm1::IntegerHelpClick);
    connect(UnitHelp, &QPushButton::clicked, this, &TForm1::UnitHelpClick);
    connect(ChangeComboBox, &QComboBox::currentIndexChanged, this, &TForm1::ChangeComboBoxChange);
    connect(ChangeHelp, &QPushButton::clicked, this, &TForm1::ChangeHelpClick);
    connect(SpinHelp, &QPushButton::clicked, this, &TForm1::SpinHelpClick);
    connect(TurnHelp, &QPushButton::clicked, this, &TForm1::TurnHelpClick);
    connect(FeedHelp, &QPushButton::clicked, this, &TForm1::FeedHelpClick);
    connect(NeutralHelp, &QPushButton::clicked, this, &TForm1::NeutralHelpClick);
    connect(DepthHelp, &QPushButton::clicked, this, &TForm1::DepthHelpClick);
    connect(XCoordHelp, &QPushButton::clicked, this, &TForm1::XCoordHelpClick);
    connect(YCoordHelp, &QPushButton::clicked, this, &TForm1::YCoordHelpClick);
}

/* Spin edits: every change of the text reaches the setting at once; Enter
 * (key-down, then key-up) writes the value back, held to the limits. A
 * key-up whose key went down elsewhere (closing a box, say) changes nothing. */

void TForm1::SpinEditKeyDown(TCSpinEdit *edit, int key, std::optional<int32_t> &pending)
{
    if (IsEnter(key))
        pending = edit->Value();
}

void TForm1::SpinEditKeyUp(TCSpinEdit *edit, int key, std::optional<int32_t> &pending)
{
    if (IsEnter(key) && pending) {
        edit->SetValue(*pending);
        pending.reset();
    }
}

void TForm1::IntegerEditChange() { ShellSettings.IntegerDigits = IntegerEdit->Value(); }
void TForm1::IntegerEditKeyDown(int key, Qt::KeyboardModifiers)
{
    SpinEditKeyDown(IntegerEdit, key, IntegerPendingValue);
}
void TForm1::IntegerEditKeyUp(int key, Qt::KeyboardModifiers) { SpinEditKeyUp(IntegerEdit, key, IntegerPendingValue); }

void TForm1::TurnEditChange() { ShellSettings.TurnValue = TurnEdit->Value(); }
void TForm1::TurnEditKeyDown(int key, Qt::KeyboardModifiers) { SpinEditKeyDown(TurnEdit, key, TurnPendingValue); }
void TForm1::TurnEditKeyUp(int key, Qt::KeyboardModifiers) { SpinEditKeyUp(TurnEdit, key, TurnPendingValue); }

void TForm1::FeedEditChange() { ShellSettings.FeedValue = FeedEdit->Value(); }
void TForm1::FeedEditKeyDown(int key, Qt::KeyboardModifiers) { SpinEditKeyDown(FeedEdit, key, FeedPendingValue); }
void TForm1::FeedEditKeyUp(int key, Qt::KeyboardModifiers) { SpinEditKeyUp(FeedEdit, key, FeedPendingValue); }

void TForm1::NeutralEditChange() { ShellSettings.NeutralValue = NeutralEdit->Value(); }
void TForm1::NeutralEditKeyDown(int key, Qt::KeyboardModifiers)
{
    SpinEditKeyDown(NeutralEdit, key, NeutralPendingValue);
}
void TForm1::NeutralEditKeyUp(int key, Qt::KeyboardModifiers) { SpinEditKeyUp(NeutralEdit, key, NeutralPendingValue); }

void TForm1::DepthEditChange() { ShellSettings.DepthValue = DepthEdit->Value(); }
void TForm1::DepthEditKeyDown(int key, Qt::KeyboardModifiers) { SpinEditKeyDown(DepthEdit, key, DepthPendingValue); }
void TForm1::DepthEditKeyUp(int key, Qt::KeyboardModifiers) { SpinEditKeyUp(DepthEdit, key, DepthPendingValue); }

void TForm1::UnitComboBoxChange()
{
    const QString text = UnitComboBox->currentText();
    if (text.compare(QLatin1String("mm"), Qt::CaseInsensitive) == 0)
        ShellSettings.UnitChoice = 0;
    else if (text.compare(QLatin1String("coll"), Qt::CaseInsensitive) == 0)
        ShellSettings.UnitChoice = 1;
    else
        UnitComboBox->clearEditText(); /* the choice stays as it was */
}

/* A list that is left shows its chosen item again, whatever was typed into it. */
void TForm1::ShowChoice(TComboBox *box, int32_t choice)
{
    if (box->currentText() != box->itemText(choice)) {
        box->setCurrentIndex(choice);
        box->setEditText(box->itemText(choice));
    }
}

void TForm1::UnitComboBoxExit() { ShowChoice(UnitComboBox, ShellSettings.UnitChoice); }
void TForm1::SpinComboBoxExit() { ShowChoice(SpinComboBox, ShellSettings.SpinChoice); }

void TForm1::SpinComboBoxChange()
{
    const QString text = SpinComboBox->currentText();
    if (text.compare(QLatin1String("jobb"), Qt::CaseInsensitive) == 0)
        ShellSettings.SpinChoice = 0;
    else if (text.compare(QLatin1String("bal"), Qt::CaseInsensitive) == 0)
        ShellSettings.SpinChoice = 1;
}

void TForm1::ChangeComboBoxChange(int index) { ShellSettings.ChangeChoice = index == 1 ? 1 : 0; }

/* Coordinates. Each write into an edit runs its change handler at once, so the
 * setting always follows the text the shell has written. */

bool TForm1::AllCharsIn(const QString &text, const QString &set)
{
    for (QChar c : text)
        if (!set.contains(c))
            return false;
    return true;
}

void TForm1::ClampCoord(double &value, TEdit *edit)
{
    if (value < 0.0)
        value = 0.0;
    else if (value > 1000.0)
        value = 1000.0;
    else
        return;
    edit->setText(FormatCoord(value));
}

/* While a number is being typed its text is left alone (a blank or a lone
 * decimal mark may start it); an unreadable text counts as 20 until the edit
 * is left, which then shows the value that counts. */
void TForm1::CoordEditChange(TEdit *edit, double &value)
{
    const QString text = edit->text();
    if (text.trimmed().isEmpty()) {
        value = 0.0;
        return;
    }
    if (!ReadCoord(text, value))
        value = 20.0;
    ClampCoord(value, edit);
}

void TForm1::CoordEditKeyUp(TEdit *edit, double &value)
{
    const QString text = edit->text();
    if (text.trimmed().isEmpty()) {
        value = 0.0;
        return;
    }
    if (!ReadCoord(text, value))
        value = 20.0;
    ClampCoord(value, edit);
    if (!AllCharsIn(text, CoordCharSet)) {
        /* Emptying the edit first resets the setting to 0, which is then shown. */
        edit->setText(QString());
        edit->setText(FormatCoord(value));
    }
}

/* A text that is the value written plainly ("0.00000", "12.5") stays as it
 * is; any other shows the value in the shell's own form. */
void TForm1::CoordEditExit(TEdit *edit, double value)
{
    bool plain = false;
    const QString text = edit->text();
    const double shown = QLocale::c().toDouble(text, &plain);
    if (!plain || shown != value || !AllCharsIn(text, QStringLiteral("0123456789.")))
        edit->setText(FormatCoord(value));
}

void TForm1::CoordStep(TEdit *edit, double &value, double step)
{
    value += step;
    ClampCoord(value, edit);
    /* Reading the six-decimal text back keeps repeated steps free of drift. */
    edit->setText(FormatCoord(value));
}

void TForm1::XCoordEditChange() { CoordEditChange(XCoordEdit, ShellSettings.XCoordValue); }
void TForm1::XCoordEditKeyUp(int, Qt::KeyboardModifiers) { CoordEditKeyUp(XCoordEdit, ShellSettings.XCoordValue); }
void TForm1::XCoordEditExit() { CoordEditExit(XCoordEdit, ShellSettings.XCoordValue); }
void TForm1::XCoordSpinButtonUpClick() { CoordStep(XCoordEdit, ShellSettings.XCoordValue, 0.1); }
void TForm1::XCoordSpinButtonDownClick() { CoordStep(XCoordEdit, ShellSettings.XCoordValue, -0.1); }
void TForm1::YCoordEditChange() { CoordEditChange(YCoordEdit, ShellSettings.YCoordValue); }
void TForm1::YCoordEditKeyUp(int, Qt::KeyboardModifiers) { CoordEditKeyUp(YCoordEdit, ShellSettings.YCoordValue); }
void TForm1::YCoordEditExit() { CoordEditExit(YCoordEdit, ShellSettings.YCoordValue); }
void TForm1::YCoordSpinButtonUpClick() { CoordStep(YCoordEdit, ShellSettings.YCoordValue, 0.1); }
void TForm1::YCoordSpinButtonDownClick() { CoordStep(YCoordEdit, ShellSettings.YCoordValue, -0.1); }

/* The run. */

void TForm1::OpenButtonClick()
{
    const QString directory =
        InputFileName.isEmpty() ? QDir::currentPath() : QFileInfo(InputFileName).absolutePath();
    const QString chosen = Dialogs->OpenDialog(
        this, QStringLiteral("Keresse meg  azt a gerber fájlt amiből G kódot szeretne."), directory);
    if (chosen.isEmpty())
        return;
    InputFileName = chosen;
    FileNameLabel->setText(FileNameLabel->fontMetrics().elidedText(QDir::toNativeSeparators(chosen),
                                                                   Qt::ElideMiddle, FileNameLabel->width()));
}

/* Every control shows the value that the run passes on. */
void TForm1::ShowSettingsUsed()
{
    for (TCSpinEdit *edit : {IntegerEdit, TurnEdit, FeedEdit, NeutralEdit, DepthEdit})
        edit->HoldToLimits();
    UnitComboBoxExit();
    SpinComboBoxExit();
    XCoordEditExit();
    YCoordEditExit();
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
    Worker = new gyerek;
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
    ShowSettingsUsed();
    delete Worker;
    Worker = nullptr;
    OutputFileName = InputFileName + QStringLiteral(".tap");
    LastRunSucceeded = false;
    if (!DeleteStaleOutput())
        return;
    RunConverter();

    QFile output(OutputFileName);
    const bool loaded = output.open(QIODevice::ReadOnly);
    if (loaded)
        LoadProgram(RichEdit, output.readAll());
    LastRunSucceeded = loaded && Worker->Result.Succeeded();
    if (LastRunSucceeded)
        Plan->ShowProgram();
    ReportRun(Worker->Result, loaded);
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
    const QString messages = DecodeConverterText(result.Output, InputFileName).trimmed();
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
    QString text = RichEdit->toPlainText();
    if (text.isEmpty()) {
        Dialogs->MessageBox(this, QStringLiteral("Nincs mit menteni !"),
                            QStringLiteral("Hiányzik a G-kód amit menteni lehetne. Előbb a \"megnyit\"\n"
                                           "gomb segítségével ki kell jelölni a feldolgozandó fált aztán\n"
                                           "az \"indít\" gombbal elvégezni az átalakítást. A kész G-kód\n"
                                           "a kimenő fájlba kerül, amit ez a keretprogram betölt a szer-\n"
                                           "kesztő ablakba. Itt lehet még szükség szerint módosítani\n"
                                           "rajta és ezt újból menteni."));
        return;
    }
    if (OutputFileName.isEmpty()) {
        Dialogs->MessageBox(this, QStringLiteral("Nincs hová menteni !"),
                            QStringLiteral("Ez öreg hiba, mert már bent kéne hogy legyen\n"
                                           "a G-kód az ablakban, ez pedig csak úgy lehet-\n"
                                           "séges ha már megvan a kimenő fájl neve."));
        return;
    }
    /* After a failed run the editor holds an earlier board's program or a
     * cut-off one: neither belongs under this board's name. */
    if (!LastRunSucceeded) {
        Dialogs->MessageBox(this, QStringLiteral("Nem sikerült az átalakítás !"),
                            QStringLiteral("Az utolsó átalakítás nem sikerült, ezért a szerkesztőben\n"
                                           "látható G-kód nem menthető a kimenő fájlba:\n%1\n"
                                           "Javítsa a hibát, és indítsa újra az átalakítást.")
                                .arg(QDir::toNativeSeparators(OutputFileName)));
        return;
    }
    /* Every line, the last included, ends with CR LF, as the converter writes them. */
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    if (!text.endsWith(QLatin1String("\r\n")))
        text += QLatin1String("\r\n");
    if (int error = SaveWhole(OutputFileName, text.toUtf8()))
        Dialogs->MessageBox(this, QStringLiteral("Nem sikerült menteni !"),
                            QDir::toNativeSeparators(OutputFileName) + QLatin1Char('\n') + FileErrorText(error) +
                                QStringLiteral("\nA fájl változatlan maradt."));
}

void TForm1::ExitButtonClick()
{
    delete Worker; /* its run has ended: every run is waited for */
    Worker = nullptr;
    QCoreApplication::quit();
}

void TForm1::PlanButtonClick() { Plan->ShowProgram(); }

void TForm1::HelpBox(const QString &text) { Dialogs->MessageBox(this, QString::fromLatin1(ApplicationTitle), text); }

void TForm1::IntegerHelpClick()
{
    HelpBox(QStringLiteral("A gerber fájlokban a tizedestört számokban ostoba módon\n"
                           "sajnálják kitenni a tizedespontot. Ezért muszáj megadni\n"
                           "hogy a számjegyekből mennyi ábrázolja az egész részt.\n"
                           "A lehetséges értékek: 1 ... 6\n"
                           "Az alapérték: 2"));
}

void TForm1::ChangeHelpClick()
{
    HelpBox(QStringLiteral("Több fúróméretű fúrófájlnál (Excellon) a fúrócsere módja.\n"
                           "\"szünet\": minden fúró előtt a gép X0 Y0 fölé áll, leállítja\n"
                           "a főorsót, kiírja a következő fúró méretét, és megáll (M0).\n"
                           "\"m6\": ugyanez, a megállás előtt T<n> M6 szerszámcserével.\n"
                           "Gerber fájlra és egyetlen fúróra nem hat.\n"
                           "Az alapérték a \"szünet\"."));
}

void TForm1::UnitHelpClick()
{
    HelpBox(QStringLiteral("Lehetővé teszi a kimeneti fájl - G-kód - mértékegységének\n"
                           "beállítását. A parancssorba beírt egyéb beállításokat viszont\n"
                           "mindig mm-ben értelmezi.\n"
                           "A választék: \"mm\" vagy \"coll\".\n"
                           "Az alapérték a \"mm\"."));
}

void TForm1::SpinHelpClick()
{
    HelpBox(QStringLiteral("Beállítható vele a főorsó forgásiránya.\n"
                           "A választék: \"jobb\" vagy \"bal\"\n"
                           "Az alapérték a \"jobb\"."));
}

void TForm1::TurnHelpClick()
{
    HelpBox(QStringLiteral("A főorsó fordulatszámát lehet beállítani.\n"
                           "A lehetséges értékek: 1 ... 30000 ford/perc\n"
                           "Az alapérték: 1000 ford/perc"));
}

void TForm1::FeedHelpClick()
{
    HelpBox(QStringLiteral("A fúró előtolását állítja be.\n"
                           "A lehetséges értékek: 1 ... 1000 mm/perc\n"
                           "Az alapérték: 400 mm/perc"));
}

void TForm1::NeutralHelpClick()
{
    HelpBox(QStringLiteral("Megadja hogy a fúró hegye a pozícióra állás\n"
                           "közben milyen messze legyen a panel felületétől.\n"
                           "A lehetséges értékek: 1 ... 10 mm\n"
                           "Az alapérték: 2 mm"));
}

void TForm1::DepthHelpClick()
{
    HelpBox(QStringLiteral("A fúrás mélységét lehet beállítani.\n"
                           "A lehetséges értékek: 1 ... 10 mm\n"
                           "Az alapérték: 2 mm"));
}

void TForm1::XCoordHelpClick()
{
    HelpBox(QStringLiteral("A furatcsoport bal alsó X koordinátájának beállítására szolgál.\n"
                           "A lehetséges értékek: 1 ... 1000 mm\n"
                           "Az alapérték: 0 mm"));
}

void TForm1::YCoordHelpClick()
{
    HelpBox(QStringLiteral("A furatcsoport bal alsó Y koordinátájának beállítására szolgál.\n"
                           "A lehetséges értékek: 1 ... 1000 mm\n"
                           "Az alapérték: 0 mm"));
}
