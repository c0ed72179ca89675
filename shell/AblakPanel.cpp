/* AblakPanel.cpp - the settings panel of the main window: its rows built
 * from the settings' table, and the handlers of their value controls, one
 * per kind of field, behind the design's handler names. */
#include "Ablak.h"

#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>

#include "Controls.h"
#include "Kapcsolok.h"

namespace {

/* The characters a coordinate is typed with: digits, either decimal mark, blanks. */
const QString CoordCharSet = QStringLiteral("0123456789., ");
/* What a click of a coordinate's arrows adds, mm. */
constexpr double CoordStepSize = 0.1;
const QColor Purple(128, 0, 128);

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

/* True when every character of `text` occurs in `set`; true for an empty text. */
bool AllCharsIn(const QString &text, const QString &set)
{
    for (QChar c : text)
        if (!set.contains(c))
            return false;
    return true;
}

/* An editable list of a row's words that shows its setting. */
void FillChoiceBox(TComboBox *box, const TSettingRow &row)
{
    box->setEditable(true);
    /* What the user types is a choice to check, not a new item to keep. */
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    box->addItems(ChoiceWords(row));
    /* List rows 16 pixels high: a plain delegate honours a row's size hint. */
    box->setItemDelegate(new QStyledItemDelegate(box));
    for (int i = 0; i < box->count(); ++i)
        box->setItemData(i, QSize(0, 16), Qt::SizeHintRole);
    box->setCurrentIndex(ShellSettings.*row.Whole);
}

/* The panel's rows, 56 pixels apart: the frame's top, and the top of what it holds. */
int FrameTop(int row) { return 32 + 56 * row; }
int RowTop(int row) { return 40 + 56 * row; }

} // namespace

void TForm1::CreateFrames()
{
    for (int i = 0; i < PanelRowCount; ++i) {
        TBevel *frame = new TBevel(TBevel::Frame, TBevel::Raised, this);
        frame->setObjectName(QStringLiteral("Bevel%1").arg(i + 1));
        frame->setGeometry(8, FrameTop(i), 353, 41);
    }
    TBevel *editorFrame = new TBevel(TBevel::Frame, TBevel::Raised, this);
    editorFrame->setObjectName(QStringLiteral("Bevel11"));
    editorFrame->setGeometry(376, 32, 385, 489);
    TBevel *commandLine = new TBevel(TBevel::TopLine, TBevel::Lowered, this);
    commandLine->setObjectName(QStringLiteral("Bevel10"));
    commandLine->setGeometry(8, 536, 753, 41);
}

void TForm1::CreateLabels()
{
    const QFont titleFont = MakeFont("Arial", 15, true);
    MakeLabel(this, QStringLiteral("beállítások"), QRect(152, 8, 76, 18), titleFont)
        ->setObjectName(QStringLiteral("Label1"));
    QLabel *editorTitle = MakeLabel(this, QStringLiteral("G-kód szerkesztő"), QRect(512, 8, 125, 18), titleFont);
    editorTitle->setObjectName(QStringLiteral("RichEditLabel"));
    SetColor(editorTitle, QPalette::WindowText, Purple);

    const QFont rowFont = MakeFont("MS Sans Serif", 13, true);
    for (int i = 0; i < PanelRowCount; ++i) {
        const TSettingRow &row = PanelRows[i];
        QLabel *label = MakeLabel(this, QString::fromUtf8(row.Caption), QRect(16, RowTop(i), row.CaptionWidth, 16),
                                  rowFont);
        label->setObjectName(QLatin1String(row.Name) + QLatin1String("Label"));
    }
}

void TForm1::CreateValueControls()
{
    const QFont valueFont = MakeFont("MS Sans Serif", 13, false);
    for (int i = 0; i < PanelRowCount; ++i) {
        TRowControls &controls = Rows[size_t(i)];
        QWidget *value = CreateValueControl(controls, RowTop(i));
        value->setFont(valueFont);
        value->setToolTip(QString::fromUtf8(controls.Row->Hint));
        ConnectRow(controls);
    }
}

/* The control of the row's kind, showing the setting it feeds; the limits
 * and the words are the converter's. */
QWidget *TForm1::CreateValueControl(TRowControls &controls, int top)
{
    const TSettingRow &row = *controls.Row;
    const QString name = QLatin1String(row.Name);
    switch (row.Kind) {
    case TFieldKind::Spin: {
        const option_spec &option = option_row(row.Option);
        controls.Spin = new TCSpinEdit(int32_t(option.low), int32_t(option.high), ShellSettings.*row.Whole, this);
        const QString unit = QString::fromUtf8(option.unit);
        controls.Spin->SetFractionNote(
            QStringLiteral("Ide csak egész %1 írható: a tizedesjelet és a tört részt a mező nem veszi fel.")
                .arg(unit.isEmpty() ? QStringLiteral("szám") : unit));
        return Place(controls.Spin, name + QLatin1String("Edit"), QRect(192, top, 73, 26));
    }
    case TFieldKind::Choice:
        controls.Choice = new TComboBox(this);
        FillChoiceBox(controls.Choice, row);
        return Place(controls.Choice, name + QLatin1String("ComboBox"), QRect(192, top, 73, 24));
    case TFieldKind::Coord:
        break;
    }
    controls.Coord = new TEdit(this);
    /* The edits open with five decimals; every later write has six. */
    controls.Coord->setText(QString::number(ShellSettings.*row.Real, 'f', 5));
    Place(controls.Coord, name + QLatin1String("Edit"), QRect(192, top, 57, 24));
    controls.Arrows = new TCSpinButton(this);
    Place(controls.Arrows, name + QLatin1String("SpinButton"), QRect(248, top, 17, 25));
    return controls.Coord;
}

void TForm1::CreateHelpButtons()
{
    const QFont helpFont = MakeFont("Lucida Sans Typewriter", 13, false);
    for (int i = 0; i < PanelRowCount; ++i) {
        const TSettingRow &row = PanelRows[i];
        QPushButton *help = MakeButton(this, QLatin1String(row.Name) + QLatin1String("Help"), QStringLiteral("súgó"),
                                       helpFont, QRect(280, RowTop(i), 75, 25));
        connect(help, &QPushButton::clicked, this, [this, &row] { HelpBox(row.Option); });
    }
}

/* The other free corner, left of the settings' title: the window of the
 * options that have no row here. */
void TForm1::CreateCornerControls()
{
    QPushButton *options = MakeButton(this, QStringLiteral("OptionsButton"), QStringLiteral("to&vábbi beállítások"),
                                      MakeFont("Arial", 13, false), QRect(8, 4, 138, 25));
    options->setToolTip(QStringLiteral("A fúrófájlok és a gép további beállításai: számformátum, fúrócsere, ..."));
    connect(options, &QPushButton::clicked, this, &TForm1::OptionsButtonClick);
    Options = new TKapcsoloAblak(Dialogs.get(), this);
    connect(Options, &TKapcsoloAblak::Changed, this, &TForm1::ShowStrip);
}

/* The command buttons, then the rows top to bottom, the corner, the editor. */
void TForm1::SetTabOrder()
{
    QStringList names{"OpenButton", "StartButton", "SaveFile", "ExitButton"};
    for (const TSettingRow &row : PanelRows) {
        const QString name = QLatin1String(row.Name);
        names << name + (row.Kind == TFieldKind::Choice ? QLatin1String("ComboBox") : QLatin1String("Edit"));
        if (row.Kind == TFieldKind::Coord)
            names << name + QLatin1String("SpinButton");
        names << name + QLatin1String("Help");
    }
    names << "OptionsButton" << "RichEdit";
    for (int i = 1; i < names.size(); ++i)
        setTabOrder(findChild<QWidget *>(names[i - 1]), findChild<QWidget *>(names[i]));
}

void TForm1::ConnectRow(TRowControls &row)
{
    if (TCSpinEdit *edit = row.Spin) {
        connect(edit, &QLineEdit::textChanged, this, [this, &row] { SpinEditChange(row); });
        connect(edit, &TEdit::KeyDown, this, [this, &row](int key) { SpinEditKeyDown(row, key); });
        connect(edit, &TEdit::KeyUp, this, [this, &row](int key) { SpinEditKeyUp(row, key); });
        /* A press of Enter that leaves an edit unreleased is forgotten with it. */
        connect(edit, &TEdit::Exit, this, [&row] { row.Pending.reset(); });
    } else if (TComboBox *box = row.Choice) {
        connect(box, &QComboBox::editTextChanged, this, [this, &row] { ChoiceBoxChange(row); });
        connect(box, &TComboBox::Exit, this, [this, &row] { ChoiceBoxExit(row); });
    } else {
        connect(row.Coord, &QLineEdit::textChanged, this, [this, &row] {
            CoordEditChange(row);
            ShowStrip();
        });
        connect(row.Coord, &TEdit::KeyUp, this, [this, &row] { CoordEditKeyUp(row); });
        connect(row.Coord, &TEdit::Exit, this, [this, &row] { CoordEditExit(row); });
        connect(row.Arrows, &TCSpinButton::UpClick, this, [this, &row] { CoordStep(row, CoordStepSize); });
        connect(row.Arrows, &TCSpinButton::DownClick, this, [this, &row] { CoordStep(row, -CoordStepSize); });
    }
}

/* The value controls, one handler per kind of field. */

TForm1::TRowControls &TForm1::RowOf(option_id option)
{
    return *std::find_if(
        Rows.begin(), Rows.end(), [option](const TRowControls &row) { return row.Row->Option == option; });
}

/* Spin edits: every change of the text reaches the setting at once; Enter
 * (key-down, then key-up) writes the value back, held to the limits. A
 * key-up whose key went down elsewhere (closing a box, say) changes nothing. */

void TForm1::SpinEditChange(TRowControls &row) { ShellSettings.*row.Row->Whole = row.Spin->Value(); }

void TForm1::SpinEditKeyDown(TRowControls &row, int key)
{
    if (IsEnter(key))
        row.Pending = row.Spin->Value();
}

void TForm1::SpinEditKeyUp(TRowControls &row, int key)
{
    if (IsEnter(key) && row.Pending) {
        row.Spin->SetValue(*row.Pending);
        row.Pending.reset();
    }
}

/* A typed word that is one of the choices, in any letter case, chooses it. */
void TForm1::ChoiceBoxChange(TRowControls &row)
{
    const int choice = ChoiceIndex(*row.Row, row.Choice->currentText());
    if (choice >= 0)
        ShellSettings.*row.Row->Whole = choice;
    else if (row.Row->ClearsUnknownWord)
        row.Choice->clearEditText(); /* the choice stays as it was */
}

/* A list that is left shows its chosen item again, whatever was typed into it. */
void TForm1::ChoiceBoxExit(TRowControls &row)
{
    const int32_t choice = ShellSettings.*row.Row->Whole;
    if (row.Choice->currentText() != row.Choice->itemText(choice)) {
        row.Choice->setCurrentIndex(choice);
        row.Choice->setEditText(row.Choice->itemText(choice));
    }
}

/* Coordinates. Each write into an edit runs its change handler at once, so the
 * setting always follows the text the shell has written. */

/* Holds the setting to the option's range, rewriting the edit only when it changed it. */
void TForm1::ClampCoord(TRowControls &row)
{
    const option_spec &option = option_row(row.Row->Option);
    double &value = ShellSettings.*row.Row->Real;
    if (value < option.low)
        value = option.low;
    else if (value > option.high)
        value = option.high;
    else
        return;
    row.Coord->setText(FormatCoord(value));
}

/* While a number is being typed its text is left alone (a blank or a lone
 * decimal mark may start it); an unreadable text counts as 20 until the edit
 * is left, which then shows the value that counts. */
void TForm1::CoordEditChange(TRowControls &row)
{
    double &value = ShellSettings.*row.Row->Real;
    const QString text = row.Coord->text();
    if (text.trimmed().isEmpty()) {
        value = 0.0;
        return;
    }
    if (!ReadCoord(text, value))
        value = 20.0;
    ClampCoord(row);
}

void TForm1::CoordEditKeyUp(TRowControls &row)
{
    const QString text = row.Coord->text();
    CoordEditChange(row);
    if (!text.trimmed().isEmpty() && !AllCharsIn(text, CoordCharSet)) {
        /* Emptying the edit first resets the setting to 0, which is then shown. */
        row.Coord->setText(QString());
        row.Coord->setText(FormatCoord(ShellSettings.*row.Row->Real));
    }
}

/* A text that is the value written plainly ("0.00000", "12.5") stays as it
 * is; any other shows the value in the shell's own form. */
void TForm1::CoordEditExit(TRowControls &row)
{
    bool plain = false;
    const double value = ShellSettings.*row.Row->Real;
    const QString text = row.Coord->text();
    const double shown = QLocale::c().toDouble(text, &plain);
    if (!plain || shown != value || !AllCharsIn(text, QStringLiteral("0123456789.")))
        row.Coord->setText(FormatCoord(value));
}

void TForm1::CoordStep(TRowControls &row, double step)
{
    ShellSettings.*row.Row->Real += step;
    ClampCoord(row);
    /* Reading the six-decimal text back keeps repeated steps free of drift. */
    row.Coord->setText(FormatCoord(ShellSettings.*row.Row->Real));
}

/* Before a run: the control shows the value that the run passes on. */
void TForm1::ShowValueUsed(TRowControls &row)
{
    if (row.Spin)
        row.Spin->HoldToLimits();
    else if (row.Choice)
        ChoiceBoxExit(row);
    else
        CoordEditExit(row);
}

void TForm1::IntegerEditChange() { SpinEditChange(RowOf(OPT_INTEGER_DIGITS)); }
void TForm1::IntegerEditKeyDown(int key, Qt::KeyboardModifiers) { SpinEditKeyDown(RowOf(OPT_INTEGER_DIGITS), key); }
void TForm1::IntegerEditKeyUp(int key, Qt::KeyboardModifiers) { SpinEditKeyUp(RowOf(OPT_INTEGER_DIGITS), key); }
void TForm1::TurnEditChange() { SpinEditChange(RowOf(OPT_SPINDLE_SPEED)); }
void TForm1::TurnEditKeyDown(int key, Qt::KeyboardModifiers) { SpinEditKeyDown(RowOf(OPT_SPINDLE_SPEED), key); }
void TForm1::TurnEditKeyUp(int key, Qt::KeyboardModifiers) { SpinEditKeyUp(RowOf(OPT_SPINDLE_SPEED), key); }
void TForm1::FeedEditChange() { SpinEditChange(RowOf(OPT_FEED)); }
void TForm1::FeedEditKeyDown(int key, Qt::KeyboardModifiers) { SpinEditKeyDown(RowOf(OPT_FEED), key); }
void TForm1::FeedEditKeyUp(int key, Qt::KeyboardModifiers) { SpinEditKeyUp(RowOf(OPT_FEED), key); }
void TForm1::NeutralEditChange() { SpinEditChange(RowOf(OPT_SAFE_HEIGHT)); }
void TForm1::NeutralEditKeyDown(int key, Qt::KeyboardModifiers) { SpinEditKeyDown(RowOf(OPT_SAFE_HEIGHT), key); }
void TForm1::NeutralEditKeyUp(int key, Qt::KeyboardModifiers) { SpinEditKeyUp(RowOf(OPT_SAFE_HEIGHT), key); }
void TForm1::DepthEditChange() { SpinEditChange(RowOf(OPT_DEPTH)); }
void TForm1::DepthEditKeyDown(int key, Qt::KeyboardModifiers) { SpinEditKeyDown(RowOf(OPT_DEPTH), key); }
void TForm1::DepthEditKeyUp(int key, Qt::KeyboardModifiers) { SpinEditKeyUp(RowOf(OPT_DEPTH), key); }
void TForm1::UnitComboBoxChange() { ChoiceBoxChange(RowOf(OPT_UNIT)); }
void TForm1::UnitComboBoxExit() { ChoiceBoxExit(RowOf(OPT_UNIT)); }
void TForm1::SpinComboBoxChange() { ChoiceBoxChange(RowOf(OPT_DIRECTION)); }
void TForm1::SpinComboBoxExit() { ChoiceBoxExit(RowOf(OPT_DIRECTION)); }
void TForm1::XCoordEditChange() { CoordEditChange(RowOf(OPT_X_OFFSET)); }
void TForm1::XCoordEditKeyUp(int, Qt::KeyboardModifiers) { CoordEditKeyUp(RowOf(OPT_X_OFFSET)); }
void TForm1::XCoordEditExit() { CoordEditExit(RowOf(OPT_X_OFFSET)); }
void TForm1::XCoordSpinButtonUpClick() { CoordStep(RowOf(OPT_X_OFFSET), CoordStepSize); }
void TForm1::XCoordSpinButtonDownClick() { CoordStep(RowOf(OPT_X_OFFSET), -CoordStepSize); }
void TForm1::YCoordEditChange() { CoordEditChange(RowOf(OPT_Y_OFFSET)); }
void TForm1::YCoordEditKeyUp(int, Qt::KeyboardModifiers) { CoordEditKeyUp(RowOf(OPT_Y_OFFSET)); }
void TForm1::YCoordEditExit() { CoordEditExit(RowOf(OPT_Y_OFFSET)); }
void TForm1::YCoordSpinButtonUpClick() { CoordStep(RowOf(OPT_Y_OFFSET), CoordStepSize); }
void TForm1::YCoordSpinButtonDownClick() { CoordStep(RowOf(OPT_Y_OFFSET), -CoordStepSize); }

