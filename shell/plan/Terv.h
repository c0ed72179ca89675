/* Terv.h - the "Fúrási terv" window: the plan of the program in the editor,
 * a warning where the plan may differ from the machine's path, the job's
 * figures, the rapid rate they assume, and saving the plan as a picture.
 * It reads the editor's text again shortly after the user stops typing,
 * and links the editor's cursor with the holes both ways. */
#ifndef PLAN_TERV_H
#define PLAN_TERV_H

#include <QWidget>

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

class TTervAblak : public QWidget {
    Q_OBJECT
public:
    /* `editor` holds the program and `dialogs` shows the window's boxes;
     * both must outlive the window. */
    TTervAblak(QPlainTextEdit *editor, TDialogs *dialogs, QWidget *parent = nullptr);
    void SetDialogs(TDialogs *dialogs) { Dialogs = dialogs; }

    /* Reads the editor now, fits the plan and shows the window in front. */
    void ShowProgram();
    const TDrillProgram &Program() const { return Drill; }

    TVaszon *Canvas;
    QPushButton *FitButton, *SaveButton;
    QSpinBox *RapidEdit;
    QLabel *WarningLabel, *SummaryLabel;

    void FitButtonClick();
    void SaveButtonClick();
    void RapidEditChange();
    void EditorTextChange();
    void EditorCursorChange();
    void CanvasHoleClick(int hole);

private:
    void Reread(bool fit);
    void ShowFigures();

    QPlainTextEdit *Editor;
    TDialogs *Dialogs;
    QTimer *TypingPause;
    TDrillProgram Drill;
};

#endif
