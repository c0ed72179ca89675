/* Beallitasok.h - the shell's settings: the record a run passes to the
 * converter, the rows of the panel that show it, and the converter's command
 * line. Limits, defaults, choices and help texts are the converter's own,
 * read from its option table; the panel adds only its captions and hints. */
#ifndef BEALLITASOK_H
#define BEALLITASOK_H

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

#include "app/option_table.h"

/* The table's default of an option: a whole number, the index of a choice, a real number. */
int32_t DefaultNumber(option_id id);
int32_t DefaultChoice(option_id id);
double DefaultReal(option_id id);

/* The settings as the panel holds them; each run passes them to the converter. */
struct TShellSettings {
    int32_t IntegerDigits = DefaultNumber(OPT_INTEGER_DIGITS);
    int32_t UnitChoice = DefaultChoice(OPT_UNIT);     /* 0 "mm", 1 "coll" */
    int32_t SpinChoice = DefaultChoice(OPT_DIRECTION); /* 0 "jobb", 1 "bal" */
    int32_t TurnValue = DefaultNumber(OPT_SPINDLE_SPEED);
    int32_t FeedValue = DefaultNumber(OPT_FEED);
    int32_t NeutralValue = DefaultNumber(OPT_SAFE_HEIGHT);
    int32_t DepthValue = DefaultNumber(OPT_DEPTH);
    double XCoordValue = DefaultReal(OPT_X_OFFSET);
    double YCoordValue = DefaultReal(OPT_Y_OFFSET);
    /* The options window's values, indexed by option_id, as the command line
     * takes them; empty: the option's default, which is not passed. */
    std::array<QString, OPTION_COUNT> OptionTexts;
};

/* The settings of the window, which every run passes on. */
extern TShellSettings ShellSettings;

/* How a row's value is edited. */
enum class TFieldKind {
    Spin,   /* a whole number between the option's limits */
    Choice, /* one of the option's words */
    Coord,  /* a real number typed freely, with up/down buttons */
};

/* One setting of the panel. */
struct TSettingRow {
    option_id Option;
    TFieldKind Kind;
    const char *Name;     /* the controls' stem: "Integer" names IntegerLabel, IntegerEdit, IntegerHelp */
    const char *Caption;  /* the row's label, UTF-8 */
    int CaptionWidth;     /* the label's planned width; it grows to a wider caption */
    const char *Hint;     /* the value control's tooltip, UTF-8 */
    int32_t TShellSettings::*Whole; /* Spin and Choice: the setting; the index of the word for Choice */
    double TShellSettings::*Real;   /* Coord: the setting */
    bool ClearsUnknownWord; /* Choice: a typed word that is no choice empties the box, else it stays */
    int OfferedChoices;     /* Choice: how many of the option's words the panel offers; 0: all */
};

/* The framed rows, top to bottom. */
enum { PanelRowCount = 9 };
extern const TSettingRow PanelRows[PanelRowCount];

/* The options of the options window: every option of the table that takes
 * a value and has no row on the panel, in the table's order. */
std::vector<const option_spec *> WindowOptions();
/* An option's name without its dashes: "számformátum". */
QString OptionName(const option_spec &option);
/* Checks `text` typed for a window option: empty when it is a value, with
 * the value as the command line takes it in `value` (empty: the default);
 * else what is wrong with it. The converter checks the rest when it runs. */
QString CheckOptionText(const option_spec &option, const QString &text, QString &value);
/* The window options that differ from their defaults, in a few words. */
QString DifferingOptions(const TShellSettings &settings);
/* Whether a drill file becomes one program per bit. */
bool PerBitPrograms(const TShellSettings &settings);

/* The words a choice row offers, in the table's order. */
QStringList ChoiceWords(const TSettingRow &row);
/* The index of `word` among the row's words, in any letter case; -1 when it is none of them. */
int ChoiceIndex(const TSettingRow &row, const QString &word);
/* The help box of an option: the panel's own text, or the usage's lines without their indent. */
QString HelpText(option_id id);
/* A coordinate as the shell writes it: six decimals, "." as decimal point. */
QString FormatCoord(double value);

/* The converter's command line: its path, every row's option followed by
 * its value, every window option that differs from its default, the input
 * file last. */
QStringList ConverterArgs(const TShellSettings &settings, const QString &converter, const QString &input);

#endif
