/* Terv.cpp - the "Fúrási terv" window. */
#include "plan/Terv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "Dialogs.h"
#include "EditorText.h"
#include "plan/Vaszon.h"

namespace {

/* How long typing must pause before the plan follows the text. */
constexpr int TypingPauseMs = 400;
/* The reading goes on from the event loop in slices of about this many
 * milliseconds, so that the window answers meanwhile; a slice looks at
 * the clock after every few thousand lines. */
constexpr int ReadingSliceMs = 25;
constexpr int LinesBetweenClockLooks = 2000;

QString Length(const TDrillProgram &program, double length)
{
    return QStringLiteral("%1 %2")
        .arg(length, 0, 'f', program.Unit == TProgramUnit::Inch ? 3 : 1)
        .arg(UnitName(program.Unit));
}

QString Duration(double minutes)
{
    const long seconds = std::lround(minutes * 60.0);
    if (seconds < 60)
        return QStringLiteral("%1 mp").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 perc %2 mp").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1 óra %2 perc").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

QString HoleCounts(const TDrillProgram &program)
{
    QString text = QStringLiteral("%1 furat").arg(program.Holes.size());
    if (program.Bits.size() < 2)
        return text;
    QStringList perBit;
    for (const TBit &bit : program.Bits)
        perBit << QString::number(bit.Holes);
    return text + QStringLiteral(" (fúrónként %1)").arg(perBit.join(QStringLiteral(" + ")));
}

/* The dwells count in the time; the bit changes, which take the operator's
 * time, are named beside it. */
QString Time(const TDrillProgram &program, int rapidPerMinute)
{
    if (program.FeedMissing)
        return QStringLiteral("becsült idő: ismeretlen, a fúrás előtt nincs megadva előtolás");
    QString text = QStringLiteral("becsült idő: %1").arg(Duration(EstimatedMinutes(program, rapidPerMinute)));
    if (program.BitChanges > 0)
        text += QStringLiteral(" + %1 fúrócsere").arg(program.BitChanges);
    QStringList terms{QStringLiteral("előtolás %1 %2/perc").arg(program.Feed, 0, 'g', 6).arg(UnitName(program.Unit)),
                      QStringLiteral("alaphelyzet %1").arg(Length(program, program.SafeHeight)),
                      QStringLiteral("mélység %1").arg(Length(program, program.Depth))};
    if (program.Dwells > 0)
        terms << QStringLiteral("%1 várakozás %2").arg(program.Dwells).arg(Duration(program.DwellSeconds / 60.0));
    return text + QStringLiteral(" (%1)").arg(terms.join(QStringLiteral(", ")));
}

/* The moves sideways with the bit in the board, by their lines; the first few. */
QString BelowZeroText(const TDrillProgram &program)
{
    constexpr size_t named = 5;
    const std::vector<int> &lines = program.BelowZeroLines;
    QStringList numbers;
    for (size_t i = 0; i < std::min(lines.size(), named); ++i)
        numbers << QString::number(lines[i] + 1);
    if (lines.size() > named)
        numbers << QStringLiteral("…");
    return QStringLiteral("Figyelem: %1 mozgás X/Y irányban Z0 alatt, a fúró a lapban halad (sor: %2)")
        .arg(lines.size())
        .arg(numbers.join(QStringLiteral(", ")));
}

QString UnfollowedText(const TDrillProgram &program)
{
    return QStringLiteral("Figyelem: a program %1 szavait a terv nem követi, ezért a rajz "
                          "eltérhet a gép valódi útjától.")
        .arg(program.Unfollowed.join(QStringLiteral(", ")));
}

/* A PNG at either resolution, or SVG, which has none. */
const struct TPictureKind {
    const char *Filter;
    int Dpi;
} PictureKinds[] = {{"PNG kép, 300 dpi (*.png)", 300}, {"PNG kép, 600 dpi (*.png)", 600}, {"SVG rajz (*.svg)", 0}};

/* The picture's name: the program's, its ".tap" replaced by the kind's extension. */
QString PictureName(const QString &program, const QString &extension)
{
    const QFileInfo info(program.isEmpty() ? QStringLiteral("furasi_terv.tap") : program);
    const QString base = info.suffix().compare(QLatin1String("tap"), Qt::CaseInsensitive) == 0
                             ? info.completeBaseName()
                             : info.fileName();
    return info.dir().filePath(base + extension);
}

} // namespace

QString SummaryText(const TDrillProgram &program, int rapidPerMinute)
{
    QStringList parts{HoleCounts(program),
                      QStringLiteral("gyorsjárat: %1").arg(Length(program, program.RapidTravel)),
                      QStringLiteral("fúrás: %1").arg(Length(program, program.FeedTravel)),
                      Time(program, rapidPerMinute)};
    if (program.UnreadLines > 0)
        parts << QStringLiteral("%1 sort nem tudott értelmezni").arg(program.UnreadLines);
    if (!program.BelowZeroLines.empty())
        parts << BelowZeroText(program);
    return parts.join(QStringLiteral(" · "));
}

QString HoleText(const TDrillProgram &program, int hole)
{
    const THole &entry = program.Holes[size_t(hole)];
    return QStringLiteral("%1. furat (%2 közül, %3. sor): %4, %5")
        .arg(hole + 1)
        .arg(program.Holes.size())
        .arg(entry.Line + 1)
        .arg(Coordinates(program, entry.X, entry.Y))
        .arg(BitName(program, entry.Bit));
}

TTervAblak::TTervAblak(QPlainTextEdit *editor, TDialogs *dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), Editor(editor), Dialogs(dialogs)
{
    setWindowTitle(QStringLiteral("Fúrási terv"));

    FitButton = new QPushButton(QStringLiteral("&teljes kép"), this);
    FitButton->setToolTip(QStringLiteral("Az egész tervet az ablakba illeszti (dupla kattintás is)."));
    QLabel *rapidLabel = new QLabel(QStringLiteral("gyorsjárat [mm/perc]"), this);
    RapidEdit = new QSpinBox(this);
    RapidEdit->setRange(1, 100000);
    RapidEdit->setValue(1000);
    RapidEdit->setToolTip(QStringLiteral("A gép gyorsjárati sebessége; a becsült idő ezzel számol."));
    rapidLabel->setBuddy(RapidEdit);
    SaveButton = new QPushButton(QStringLiteral("kép &mentése..."), this);
    SaveButton->setToolTip(QStringLiteral("Valódi méretben menti a tervet: PNG képbe (300 vagy 600 dpi) vagy SVG rajzba."));
    WarningLabel = new QLabel(this);
    WarningLabel->setWordWrap(true);
    WarningLabel->setStyleSheet(QStringLiteral("QLabel { background: #ffe08a; color: #a00000; padding: 4px; }"));
    WarningLabel->hide();
    Canvas = new TVaszon(this);
    ReadoutLabel = new QLabel(this);
    ReadoutLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SummaryLabel = new QLabel(this);
    SummaryLabel->setWordWrap(true);
    SummaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    QHBoxLayout *tools = new QHBoxLayout;
    tools->addWidget(FitButton);
    tools->addSpacing(16);
    tools->addWidget(rapidLabel);
    tools->addWidget(RapidEdit);
    tools->addStretch();
    tools->addWidget(SaveButton);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(WarningLabel);
    layout->addWidget(Canvas, 1);
    layout->addWidget(ReadoutLabel);
    layout->addWidget(SummaryLabel);

    TypingPause = new QTimer(this);
    TypingPause->setSingleShot(true);
    TypingPause->setInterval(TypingPauseMs);

    connect(FitButton, &QPushButton::clicked, this, &TTervAblak::FitButtonClick);
    connect(SaveButton, &QPushButton::clicked, this, &TTervAblak::SaveButtonClick);
    connect(RapidEdit, &QSpinBox::valueChanged, this, &TTervAblak::RapidEditChange);
    connect(Canvas, &TVaszon::HoleClicked, this, &TTervAblak::CanvasHoleClick);
    connect(Canvas, &TVaszon::PointerMoved, this, &TTervAblak::CanvasPointerMove);
    connect(Editor, &QPlainTextEdit::textChanged, this, &TTervAblak::EditorTextChange);
    connect(Editor, &QPlainTextEdit::cursorPositionChanged, this, &TTervAblak::EditorCursorChange);
    ReadingTurn = new QTimer(this);
    ReadingTurn->setSingleShot(true);
    ReadingTurn->setInterval(0);

    connect(TypingPause, &QTimer::timeout, this, [this] { Reread(false); });
    connect(ReadingTurn, &QTimer::timeout, this, &TTervAblak::ReadSlice);
}

void TTervAblak::ShowProgram()
{
    if (!Placed)
        PlaceBesideOwner();
    Reread(true);
    show();
    raise();
    activateWindow();
}

void TTervAblak::FitButtonClick() { Canvas->Fit(); }

void TTervAblak::SaveButtonClick()
{
    QStringList filters;
    for (const TPictureKind &kind : PictureKinds)
        filters << QString::fromUtf8(kind.Filter);
    QString filter = filters[0];
    QString path = Dialogs->SaveDialog(this, QStringLiteral("A terv mentése képként, valódi méretben"),
                                       PictureName(ProgramFile, QStringLiteral(".png")),
                                       filters.join(QStringLiteral(";;")), filter);
    if (path.isEmpty())
        return;
    const TPictureKind &kind = PictureKinds[std::max(filters.indexOf(filter), qsizetype(0))];
    if (QFileInfo(path).suffix().isEmpty())
        path += kind.Dpi ? QStringLiteral(".png") : QStringLiteral(".svg");
    ExportPicture(path, kind.Dpi ? kind.Dpi : PictureKinds[0].Dpi);
}

bool TTervAblak::ExportPicture(const QString &path, int dpi)
{
    const QString failure = SavePicture(TrueScaleDrawing(Drill, Canvas->Drawing().Highlighted), path, dpi);
    if (failure.isEmpty())
        return true;
    Dialogs->MessageBox(this, windowTitle(),
                        QStringLiteral("Nem sikerült menteni a képet:\n%1\n\n%2\n\nHa volt már ilyen nevű kép, "
                                       "az változatlan maradt.")
                            .arg(QDir::toNativeSeparators(path), failure));
    return false;
}

void TTervAblak::RapidEditChange() { ShowFigures(); }

/* Reading waits for a pause in the typing; while the window is closed it
 * waits until the window is opened. A reading under way has lost its text
 * and starts again then. */
void TTervAblak::EditorTextChange()
{
    ReadingTurn->stop();
    if (isVisible() || DrillReading.Running())
        TypingPause->start();
}

void TTervAblak::EditorCursorChange()
{
    Canvas->SetHighlighted(HoleOnLine(Drill, Editor->textCursor().blockNumber()));
    ShowReadout();
}

void TTervAblak::CanvasPointerMove(const QPointF &at, int hole)
{
    Pointer = at;
    PointerHole = hole;
    ShowReadout();
}

void TTervAblak::CanvasHoleClick(int hole)
{
    QTextCursor cursor(Editor->document()->findBlockByNumber(Drill.Holes[size_t(hole)].Line));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    Editor->setTextCursor(cursor);
    Editor->ensureCursorVisible();
}

void TTervAblak::Reread(bool fit)
{
    TypingPause->stop();
    FitWhenRead = fit || (DrillReading.Running() && FitWhenRead);
    Canvas->HoldPictures(true);
    DrillReading.Start(PlainText(Editor->document()).size(), std::move(Spare));
    ReadSlice();
}

/* A short program is read in the first slice, at once. */
void TTervAblak::ReadSlice()
{
    QElapsedTimer clock;
    clock.start();
    const QString &text = PlainText(Editor->document());
    while (!DrillReading.Continue(text, LinesBetweenClockLooks))
        if (clock.elapsed() >= ReadingSliceMs) {
            ReadingTurn->start();
            return;
        }
    Spare = std::move(Drill);
    Drill = DrillReading.Take();
    PointerHole = -1;
    Canvas->HoldPictures(false);
    Canvas->SetProgram(&Drill, FitWhenRead);
    EditorCursorChange();
    ShowFigures();
}

void TTervAblak::ShowFigures()
{
    SummaryLabel->setText(SummaryText(Drill, RapidEdit->value()));
    QStringList warnings;
    if (!Drill.Unfollowed.isEmpty())
        warnings << UnfollowedText(Drill);
    if (!Drill.BelowZeroLines.empty())
        warnings << BelowZeroText(Drill) + QStringLiteral("; a rajzon bíborral.");
    WarningLabel->setText(warnings.join(QLatin1Char('\n')));
    WarningLabel->setVisible(!warnings.isEmpty());
}

/* The pointer's place, and the hole under it or else the one picked. */
void TTervAblak::ShowReadout()
{
    QStringList parts;
    if (Pointer)
        parts << QStringLiteral("mutató: %1 %2")
                     .arg(Coordinates(Drill, Pointer->x(), Pointer->y()), UnitName(Drill.Unit));
    const int hole = PointerHole >= 0 ? PointerHole : Canvas->Drawing().Highlighted;
    if (hole >= 0 && hole < int(Drill.Holes.size()))
        parts << HoleText(Drill, hole);
    ReadoutLabel->setText(parts.join(QStringLiteral(" · ")));
}

/* Beside the main window where the screen has room, else over it, and
 * always inside the screen's available area, so that no part is out of
 * reach on a small screen. The frame is not known before the window is
 * shown; room is left for a usual one. */
void TTervAblak::PlaceBesideOwner()
{
    const QSize frame(16, 40);
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QScreen *screen = owner ? owner->screen() : this->screen();
    const QRect area = screen->availableGeometry();
    const QRect beside = owner ? owner->frameGeometry() : QRect(area.topLeft(), QSize(0, 0));
    const QSize outer = (QSize(760, 600) + frame).boundedTo(area.size());
    resize(outer - frame);
    int x = beside.right() + 1;
    if (x + outer.width() > area.right() + 1)
        x = beside.left() - outer.width();
    if (x < area.left())
        x = area.right() + 1 - outer.width();
    move(x, std::clamp(beside.top(), area.top(), area.bottom() + 1 - outer.height()));
    Placed = true;
}
