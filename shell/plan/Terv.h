/* Terv.h - the "Fúrási terv" window: the plan of the program in the editor,
 * a warning where the plan may differ from the machine's path or the bit
 * moves sideways in the board, the pointer's place and the hole under it,
 * the job's figures, the rapid rate they assume, and saving the plan as a
 * picture at its true size.
 * It reads the editor's text again shortly after the user stops typing,
 * and links the editor's cursor with the holes both ways. */
#ifndef PLAN_TERV_H
#define PLAN_TERV_H

#include <QPointF>
#include <QWidget>
#include <optional>

#include "plan/Olvaso.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class TDialogs;
class TVaszon;

/* The figures of the job in one line, with the rapid rate in mm/min. */
QString SummaryText(const TDrillProgram &program, int rapidPerMinute);

/* Hole `hole` (an index) as the readout names it: its place in the order,
 * where it is and its bit. */
QString HoleText(const TDrillProgram &program, int hole);

class TTervAblak : public QWidget {
    Q_OBJECT
public:
    /* `editor` holds the program and `dialogs` shows the window's boxes;
     * both must outlive the window. */
    TTervAblak(QPlainTextEdit *editor, TDialogs *dialogs, QWidget *parent = nullptr);
    void SetDialogs(TDialogs *dialogs) { Dialogs = dialogs; }
    /* The program's file, after which a picture is named; empty while it has none. */
    void SetProgramFile(const QString &path) { ProgramFile = path; }

    /* Reads the editor now, fits the plan and shows the window in front. */
    void ShowProgram();
    const TDrillProgram &Program() const { return Drill; }
    /* A reading of the editor is under way; the plan shows the last one
     * read until it is done. */
    bool Reading() const { return DrillReading.Running(); }

    TVaszon *Canvas;
    QPushButton *FitButton, *SaveButton;
    QSpinBox *RapidEdit;
    QLabel *WarningLabel, *ReadoutLabel, *SummaryLabel;

    void FitButtonClick();
    void SaveButtonClick();
    void RapidEditChange();
    void EditorTextChange();
    void EditorCursorChange();
    void CanvasHoleClick(int hole);
    void CanvasPointerMove(const QPointF &at, int hole);

    /* Saves the plan at true size as `path` (SVG, or PNG at `dpi`); a
     * failure is told in a box and leaves an earlier picture as it was. */
    bool ExportPicture(const QString &path, int dpi);

private:
    void Reread(bool fit);
    void ReadSlice();
    void ShowFigures();
    void ShowReadout();
    void PlaceBesideOwner();

    QPlainTextEdit *Editor;
    TDialogs *Dialogs;
    QString ProgramFile;
    QTimer *TypingPause;
    QTimer *ReadingTurn;
    TDrillReading DrillReading;
    bool FitWhenRead = false;
    TDrillProgram Drill;
    TDrillProgram Spare; /* the program read before, whose room the next reading takes */
    std::optional<QPointF> Pointer; /* in the program's coordinates, once the pointer has been over the plan */
    int PointerHole = -1;
    bool Placed = false; /* placed beside the main window when first opened */
};

#endif
