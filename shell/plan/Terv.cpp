/* Terv.cpp - the "Fúrási terv" window. */
#include "plan/Terv.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "Dialogs.h"
#include "plan/Vaszon.h"

namespace {

/* How long typing must pause before the plan follows the text. */
constexpr int TypingPauseMs = 400;

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

QString Time(const TDrillProgram &program, int rapidPerMinute)
{
    if (program.FeedMissing)
        return QStringLiteral("becsült idő: ismeretlen, a fúrás előtt nincs megadva előtolás");
    return QStringLiteral("becsült idő: %1 (előtolás %2 %3/perc, alaphelyzet %4, mélység %5)")
        .arg(Duration(EstimatedMinutes(program, rapidPerMinute)))
        .arg(program.Feed, 0, 'g', 6)
        .arg(UnitName(program.Unit))
        .arg(Length(program, program.SafeHeight))
        .arg(Length(program, program.Depth));
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
    return parts.join(QStringLiteral(" · "));
}

TTervAblak::TTervAblak(QPlainTextEdit *editor, TDialogs *dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), Editor(editor), Dialogs(dialogs)
{
    setWindowTitle(QStringLiteral("Fúrási terv"));
    resize(760, 600);

    FitButton = new QPushButton(QStringLiteral("&teljes kép"), this);
    FitButton->setToolTip(QStringLiteral("Az egész tervet az ablakba illeszti (dupla kattintás is)."));
    QLabel *rapidLabel = new QLabel(QStringLiteral("gyorsjárat [mm/perc]"), this);
    RapidEdit = new QSpinBox(this);
    RapidEdit->setRange(1, 100000);
    RapidEdit->setValue(1000);
    RapidEdit->setToolTip(QStringLiteral("A gép gyorsjárati sebessége; a becsült idő ezzel számol."));
    rapidLabel->setBuddy(RapidEdit);
    SaveButton = new QPushButton(QStringLiteral("kép &mentése..."), this);
    SaveButton->setToolTip(QStringLiteral("PNG vagy SVG képbe menti a tervet."));
    WarningLabel = new QLabel(this);
    WarningLabel->setWordWrap(true);
    WarningLabel->setStyleSheet(QStringLiteral("QLabel { background: #ffe08a; color: #a00000; padding: 4px; }"));
    WarningLabel->hide();
    Canvas = new TVaszon(this);
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
    layout->addWidget(SummaryLabel);

    TypingPause = new QTimer(this);
    TypingPause->setSingleShot(true);
    TypingPause->setInterval(TypingPauseMs);

    connect(FitButton, &QPushButton::clicked, this, &TTervAblak::FitButtonClick);
    connect(SaveButton, &QPushButton::clicked, this, &TTervAblak::SaveButtonClick);
    connect(RapidEdit, &QSpinBox::valueChanged, this, &TTervAblak::RapidEditChange);
    connect(Canvas, &TVaszon::HoleClicked, this, &TTervAblak::CanvasHoleClick);
    connect(Editor, &QPlainTextEdit::textChanged, this, &TTervAblak::EditorTextChange);
    connect(Editor, &QPlainTextEdit::cursorPositionChanged, this, &TTervAblak::EditorCursorChange);
    connect(TypingPause, &QTimer::timeout, this, [this] { Reread(false); });
}

void TTervAblak::ShowProgram()
{
    Reread(true);
    show();
    raise();
    activateWindow();
}

void TTervAblak::FitButtonClick() { Canvas->Fit(); }

void TTervAblak::SaveButtonClick()
{
    QString filter = QStringLiteral("PNG kép (*.png)");
    QString path = Dialogs->SaveDialog(this, QStringLiteral("A terv mentése képként"),
                                       QStringLiteral("PNG kép (*.png);;SVG rajz (*.svg)"), filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter.startsWith(QLatin1String("SVG")) ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (!SavePicture(Canvas->Drawing(), path))
        Dialogs->MessageBox(this, windowTitle(), QStringLiteral("Nem sikerült menteni a képet:\n%1").arg(path));
}

void TTervAblak::RapidEditChange() { ShowFigures(); }

/* Reading waits for a pause in the typing; while the window is closed it
 * waits until the window is opened. */
void TTervAblak::EditorTextChange()
{
    if (isVisible())
        TypingPause->start();
}

void TTervAblak::EditorCursorChange()
{
    Canvas->SetHighlighted(HoleOnLine(Drill, Editor->textCursor().blockNumber()));
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
    Drill = ReadDrillProgram(Editor->toPlainText());
    Canvas->SetProgram(&Drill, fit);
    EditorCursorChange();
    ShowFigures();
}

void TTervAblak::ShowFigures()
{
    SummaryLabel->setText(SummaryText(Drill, RapidEdit->value()));
    WarningLabel->setVisible(!Drill.Unfollowed.isEmpty());
    WarningLabel->setText(QStringLiteral("Figyelem: a program %1 szavait a terv nem követi, ezért a rajz "
                                         "eltérhet a gép valódi útjától.")
                              .arg(Drill.Unfollowed.join(QStringLiteral(", "))));
}
