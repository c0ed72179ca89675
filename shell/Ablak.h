/* Ablak.h - the main window of kemlor: the settings panel, the G-code editor
 * and the command buttons, with the settings and paths the runs use. */
#ifndef ABLAK_H
#define ABLAK_H

#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "Dialogs.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TBevel;
class TCSpinButton;
class TCSpinEdit;
class TComboBox;
class TEdit;
class TTervAblak;
class gyerek;
struct TRunResult;

/* The settings as the panel holds them; each run passes them to the converter. */
struct TShellSettings {
    int32_t IntegerDigits = 2;
    int32_t UnitChoice = 0; /* 0 "mm", 1 "coll" */
    int32_t SpinChoice = 0; /* 0 "jobb", 1 "bal" */
    int32_t TurnValue = 1000;
    int32_t FeedValue = 400;
    int32_t NeutralValue = 2;
    int32_t DepthValue = 2;
    double XCoordValue = 0.0;
    double YCoordValue = 0.0;
    int32_t ChangeChoice = 0; /* a drill file's bit change: 0 "szünet", 1 "m6" */
};

extern TShellSettings ShellSettings;
extern QString ConverterPath;  /* the converter program, fixed when the window is created */
extern QString InputFileName;  /* the chosen Gerber file; empty until one is chosen */
extern QString OutputFileName; /* InputFileName followed by ".tap"; empty until the first run */
extern bool LastRunSucceeded;  /* the latest run ended with status 0 and left its output */
extern gyerek *Worker;         /* the worker of the latest run, or null */
extern std::atomic<int> ConversionDone; /* set by the worker once the converter has ended */

/* The program's name, the caption of the help boxes. */
inline constexpr char ApplicationTitle[] = "kemlor";

/* The converter to run: "drelvo" beside the shell's own program file in
 * `programDir`, or, when there is none, the one in the start-up directory
 * `startDir` (empty when it could not be read; then the bare name, found in
 * the working directory of each run). The program's own directory comes
 * first so that a folder of downloaded files cannot bring its own "drelvo". */
QString FindConverter(const QString &startDir, const QString &programDir);

/* A coordinate as the shell writes it: six decimals, "." as decimal point. */
QString FormatCoord(double value);

/* Qt's own texts (dialog buttons, file dialog) in Hungarian, whatever the
 * system's locale; false when the translation is not installed. */
bool InstallQtTranslations();

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    void SetDialogs(std::unique_ptr<TDialogs> dialogs);

    TBevel *Bevel1, *Bevel2, *Bevel3, *Bevel4, *Bevel5, *Bevel6, *Bevel7, *Bevel8, *Bevel9, *Bevel10, *Bevel11;
    QLabel *Label1, *RichEditLabel;
    QLabel *IntegerLabel, *UnitLabel, *SpinLabel, *TurnLabel, *FeedLabel, *NeutralLabel, *DepthLabel,
        *XCoordLabel, *YCoordLabel;
    TCSpinEdit *IntegerEdit, *TurnEdit, *FeedEdit, *NeutralEdit, *DepthEdit;
    TComboBox *UnitComboBox, *SpinComboBox;
    TEdit *XCoordEdit, *YCoordEdit;
    TCSpinButton *XCoordSpinButton, *YCoordSpinButton;
    QPushButton *IntegerHelp, *UnitHelp, *SpinHelp, *TurnHelp, *FeedHelp, *NeutralHelp, *DepthHelp,
        *XCoordHelp, *YCoordHelp;
    QPlainTextEdit *RichEdit;
    QLabel *FileNameLabel; /* the chosen Gerber file, under the settings */
    QPushButton *OpenButton, *StartButton, *SaveFile, *ExitButton;
    QPushButton *PlanButton; /* opens the drilling plan of the editor's program */
    QComboBox *ChangeComboBox; /* how a drill file of several bits changes them, above the settings */
    QPushButton *ChangeHelp;
    TTervAblak *Plan;

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
    void ChangeComboBoxChange(int index);
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
    void ChangeHelpClick();

    /* Holds a coordinate setting to 0 ... 1000, rewriting its edit only when it changed it. */
    static void ClampCoord(double &value, TEdit *edit);
    /* True when every character of `text` occurs in `set`; true for an empty text. */
    static bool AllCharsIn(const QString &text, const QString &set);

private:
    void CreateControls();
    void ConnectHandlers();
    void SpinEditKeyDown(TCSpinEdit *edit, int key, std::optional<int32_t> &pending);
    void SpinEditKeyUp(TCSpinEdit *edit, int key, std::optional<int32_t> &pending);
    void CoordEditChange(TEdit *edit, double &value);
    void CoordEditKeyUp(TEdit *edit, double &value);
    void CoordEditExit(TEdit *edit, double value);
    static void ShowChoice(TComboBox *box, int32_t choice);
    void ShowSettingsUsed();
    bool DeleteStaleOutput();
    void RunConverter();
    void ReportRun(const TRunResult &result, bool outputLoaded);
    void CoordStep(TEdit *edit, double &value, double step);
    void HelpBox(const QString &text);

    std::unique_ptr<TDialogs> Dialogs;
    /* The values the spin edits take on Enter, read on key-down and written
     * back on the key-up of the same press in the same edit; empty otherwise. */
    std::optional<int32_t> IntegerPendingValue, TurnPendingValue, FeedPendingValue, NeutralPendingValue,
        DepthPendingValue;
};

extern TForm1 *Form1;

#endif
