/* Ablak.h - the main window of kemlor: the settings panel, the G-code editor
 * and the command buttons, with the settings and paths the runs use. */
#ifndef ABLAK_H
#define ABLAK_H

#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TBevel;
class TCSpinButton;
class TCSpinEdit;
class TEdit;
class TTervAblak;
class gyerek;

/* The nine settings as the panel holds them; each run passes them to the converter. */
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
};

extern TShellSettings ShellSettings;
extern QString ConverterPath;  /* the converter program, fixed when the window is created */
extern QString InputFileName;  /* the chosen Gerber file; empty until one is chosen */
extern QString OutputFileName; /* InputFileName followed by ".tap"; empty until the first run */
extern gyerek *Worker;         /* the worker of the latest run, or null */
extern std::atomic<int> ConversionDone; /* set by the worker once the converter has ended */

/* The program's name, the caption of the help boxes. */
inline constexpr char ApplicationTitle[] = "kemlor";

/* The converter to run: "drelvo" in the start-up directory `startDir` (empty
 * when it could not be read; then the bare name, found in the working
 * directory of each run), or, when that directory holds none, the one in
 * `programDir`, the directory of the shell's own program file. */
QString FindConverter(const QString &startDir, const QString &programDir);

/* A coordinate as the shell writes it: six decimals, "." as decimal point. */
QString FormatCoord(double value);

/* Every modal box and the open-file dialog of the window are shown through
 * this, so that tests can answer them. */
class TDialogs {
public:
    virtual ~TDialogs() = default;
    /* A box with caption, text, one OK button and no icon; returns once it is closed. */
    virtual void MessageBox(QWidget *owner, const QString &caption, const QString &text);
    /* The full path of the chosen file, or an empty text when cancelled. */
    virtual QString OpenDialog(QWidget *owner, const QString &title, const QString &directory);
};

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
    QComboBox *UnitComboBox, *SpinComboBox;
    TEdit *XCoordEdit, *YCoordEdit;
    TCSpinButton *XCoordSpinButton, *YCoordSpinButton;
    QPushButton *IntegerHelp, *UnitHelp, *SpinHelp, *TurnHelp, *FeedHelp, *NeutralHelp, *DepthHelp,
        *XCoordHelp, *YCoordHelp;
    QPlainTextEdit *RichEdit;
    QPushButton *OpenButton, *StartButton, *SaveFile, *ExitButton;
    QPushButton *PlanButton; /* opens the drilling plan of the editor's program */
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
    void SpinComboBoxChange();
    void XCoordEditChange();
    void XCoordEditKeyUp(int key, Qt::KeyboardModifiers shift);
    void XCoordSpinButtonUpClick();
    void XCoordSpinButtonDownClick();
    void YCoordEditChange();
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

    /* Holds a coordinate setting to 0 ... 1000, rewriting its edit only when it changed it. */
    static void ClampCoord(double &value, TEdit *edit);
    /* True when every character of `text` occurs in `set`; true for an empty text. */
    static bool AllCharsIn(const QString &text, const QString &set);

private:
    void CreateControls();
    void ConnectHandlers();
    void SpinEditKeyDown(TCSpinEdit *edit, int key, int32_t &pending);
    void SpinEditKeyUp(TCSpinEdit *edit, int key, int32_t pending);
    void CoordEditChange(TEdit *edit, double &value);
    void CoordEditKeyUp(TEdit *edit, double &value);
    void CoordStep(TEdit *edit, double &value, double step);
    void HelpBox(const QString &text);

    std::unique_ptr<TDialogs> Dialogs;
    /* The values the spin edits take on Enter, read on key-down and written on key-up. */
    int32_t IntegerPendingValue = 0, TurnPendingValue = 0, FeedPendingValue = 0, NeutralPendingValue = 0,
            DepthPendingValue = 0;
};

extern TForm1 *Form1;

#endif
