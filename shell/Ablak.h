/* Ablak.h - the main window of kemlor: the settings panel, the G-code editor
 * and the command buttons, with the settings and paths the runs use. */
#ifndef ABLAK_H
#define ABLAK_H

#include <QString>
#include <QWidget>
#include <array>
#include <atomic>
#include <memory>
#include <optional>

#include "Beallitasok.h"
#include "Dialogs.h"
#include "Mentes.h"

class QCloseEvent;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QPlainTextEdit;
class TComboBox;
class TCSpinButton;
class TCSpinEdit;
class TEdit;
class TKapcsoloAblak;
class TTervAblak;
class TTextHold;
class gyerek;
struct TRunResult;

extern QString ConverterPath;  /* the converter program, fixed when the window is created */
extern QString InputFileName;  /* the chosen Gerber file; empty until one is chosen */
extern QString OutputFileName; /* InputFileName followed by ".tap"; empty until the first run */
extern bool LastRunSucceeded;  /* the latest run ended with status 0 and left its output */
extern gyerek *Worker;         /* the worker of the latest run, or null */
extern std::atomic<int> ConversionDone; /* set by the worker once the converter has ended */

/* The converter to run: "drelvo" beside the shell's own program file in
 * `programDir`, or, when there is none, the one in the start-up directory
 * `startDir` (empty when it could not be read; then the bare name, found in
 * the working directory of each run). The program's own directory comes
 * first so that a folder of downloaded files cannot bring its own "drelvo". */
QString FindConverter(const QString &startDir, const QString &programDir);

/* Qt's own texts (dialog buttons, file dialog) in Hungarian, whatever the
 * system's locale; false when the translation is not installed. */
bool InstallQtTranslations();

/* The controls carry their design names as object names ("IntegerEdit",
 * "Bevel3"), by which tests find them. */
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    void SetDialogs(std::unique_ptr<TDialogs> dialogs);
    QPlainTextEdit *Editor() const { return RichEdit; }
    TTervAblak *PlanWindow() const { return Plan; }
    TKapcsoloAblak *OptionsWindow() const { return Options; }
    /* The file the editor's program was loaded from or last saved to; empty when none. */
    const QString &ProgramFile() const { return ProgramFileName; }
    /* A save of the editor's program is being written and not reported yet. */
    bool Saving() const { return Saver.Running(); }

    /* The input file named on the command line, as its bytes: chosen as if
     * picked, or refused with a box. */
    void OpenNamed(const QByteArray &name);

    /* The design's handlers; each passes its row to the handler of its kind of field. */
    void IntegerEditChange();
    void IntegerEditKeyDown(int key, Qt::KeyboardModifiers shift);
    void IntegerEditKeyUp(int key, Qt::KeyboardModifiers shift);
    void TurnEditChange();
    void TurnEditKeyDown(int key, Qt::KeyboardModifiers shift);
    void TurnEditKeyUp(int key, Qt::KeyboardModifiers shift);
    void FeedEditChange();
    void FeedEditKeyDown(int key, Qt::KeyboardModifiers shift);
    void FeedEditKeyUp(int key, Qt::KeyboardModifiers shift);
    void NeutralEditChange();
    void NeutralEditKeyDown(int key, Qt::KeyboardModifiers shift);
    void NeutralEditKeyUp(int key, Qt::KeyboardModifiers shift);
    void DepthEditChange();
    void DepthEditKeyDown(int key, Qt::KeyboardModifiers shift);
    void DepthEditKeyUp(int key, Qt::KeyboardModifiers shift);
    void UnitComboBoxChange();
    void UnitComboBoxExit();
    void SpinComboBoxChange();
    void SpinComboBoxExit();
    void XCoordEditChange();
    void XCoordEditExit();
    void XCoordEditKeyUp(int key, Qt::KeyboardModifiers shift);
    void XCoordSpinButtonUpClick();
    void XCoordSpinButtonDownClick();
    void YCoordEditChange();
    void YCoordEditExit();
    void YCoordEditKeyUp(int key, Qt::KeyboardModifiers shift);
    void YCoordSpinButtonUpClick();
    void YCoordSpinButtonDownClick();

    void OpenButtonClick();
    void StartButtonClick();

    void SaveFileClick();
    void ExitButtonClick();
    void PlanButtonClick();
    void IntegerHelpClick();
    void UnitHelpClick();
    void SpinHelpClick();
    void TurnHelpClick();
    void FeedHelpClick();
    void NeutralHelpClick();
    void DepthHelpClick();
    void XCoordHelpClick();
    void YCoordHelpClick();
    void OptionsButtonClick();
    /* "Mentés másként": the editor's text into a file the user chooses. */
    void SaveAsClick();
    /* One program per bit: shows the program of the chosen bit. */
    void BitComboBoxChange(int index);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    /* The value control of a panel row, by its kind, and its Enter state. */
    struct TRowControls {
        const TSettingRow *Row = nullptr;
        TCSpinEdit *Spin = nullptr;
        TComboBox *Choice = nullptr;
        TEdit *Coord = nullptr;
        TCSpinButton *Arrows = nullptr; /* Coord: its up/down buttons */
        /* The value a spin edit takes on Enter, read on key-down and written
         * back on the key-up of the same press; empty otherwise. */
        std::optional<int32_t> Pending;
    };

    void CreateFrames();
    void CreateLabels();
    void CreateValueControls();
    QWidget *CreateValueControl(TRowControls &controls, int top);
    void CreateHelpButtons();
    void CreateEditor();
    void CreateCommandButtons();
    void CreateCornerControls();
    void SetTabOrder();
    void ConnectRow(TRowControls &row);

    TRowControls &RowOf(option_id option);
    void SpinEditChange(TRowControls &row);
    void SpinEditKeyDown(TRowControls &row, int key);
    void SpinEditKeyUp(TRowControls &row, int key);
    void ChoiceBoxChange(TRowControls &row);
    void ChoiceBoxExit(TRowControls &row);
    void CoordEditChange(TRowControls &row);
    void CoordEditKeyUp(TRowControls &row);
    void CoordEditExit(TRowControls &row);
    void CoordStep(TRowControls &row, double step);
    void ClampCoord(TRowControls &row);
    void ShowValueUsed(TRowControls &row);
    void HelpBox(option_id option);

    bool DeleteStaleOutput();
    void RunConverter();
    QStringList RunOutputs() const;
    void ReportRun(const TRunResult &result, bool outputLoaded);

    void CreateShortcuts();
    void ShowStrip();
    void PickInput(const QString &path);
    bool LoadProgramFile(const QString &path);
    void ShowBitFiles(const QStringList &files);
    void SaveProgram(const QString &path);
    void ProgramSaved(const QString &path, const TTextHold &hold, bool edited, int error);
    bool ConfirmDiscard();
    bool ConfirmReplace();

    std::unique_ptr<TDialogs> Dialogs;
    std::array<TRowControls, PanelRowCount> Rows;
    TKapcsoloAblak *Options;
    QPlainTextEdit *RichEdit;
    QLabel *FileNameLabel; /* the chosen Gerber file, under the settings */
    QLabel *StripNote;     /* beside it: the settings a run passes that need saying */
    QComboBox *BitComboBox; /* above the editor after a run of one program per bit */
    TTervAblak *Plan;
    QString ProgramFileName;
    QStringList BitFiles; /* the programs of the latest run of one program per bit */
    /* A file that holds an edit saved from the editor, which a run would overwrite. */
    QString SavedEditFile;
    TBackgroundSave Saver;
};

extern TForm1 *Form1;

#endif
