/* settings.h - the checked option values of one run.
 *
 * The driver owns the record: reset_settings gives it the option table's
 * defaults, the matcher stores the command line's values where
 * option_values says, and check_settings checks them in the table's order
 * and settles what they choose. */
#ifndef SETTINGS_H
#define SETTINGS_H

#include <cstdint>

#include "app/bit_set.h"
#include "app/option_table.h"
#include "reading/excellon.h"
#include "writing/gcode_writer.h"

enum { NAME_SIZE = 260, WORD_SIZE = 16, LIST_SIZE = 512 };
/* How a drill file with several bits is drilled, in the order of -t's choices: one
 * program that pauses before each bit, the same with a T<n> M6 before the pause, or one program per bit. */
enum { CHANGE_PAUSE, CHANGE_M6, CHANGE_PER_FILE };

/* Lengths in millimetres, feed in mm/min. */
typedef struct settings_t {
    int integer_digits;              /* -i: integer digits of the file's coordinates */
    char unit_name[WORD_SIZE];       /* -m: "mm" or "coll" */
    char direction_name[WORD_SIZE];  /* -f: "jobb" or "bal" */
    uint32_t spindle_speed;          /* -p: rpm */
    double feed;                     /* -e */
    double neutral_height;           /* -a: safe height */
    double depth;                    /* -h: drilling depth */
    double x_offset;                 /* -x: lower left corner of the holes */
    double y_offset;                 /* -y */
    int inch_output;                 /* 1 when the G-code is written in inches */
    int spindle_left;                /* 1 for "bal" (M4), 0 for "jobb" (M3) */
    int precision;                   /* decimals printed: 5 for mm, 6 for inches */
    char format_name[WORD_SIZE];     /* -n: "<integer digits>.<decimal digits>" of a drill file; empty: its own */
    char change_name[WORD_SIZE];     /* -t: "szünet", "m6" or "fájlonként" */
    double change_height;            /* -c: the safe height ... 100; when not given: the safe height */
    double warmup;                   /* -w: seconds of the spindle's run-up */
    char bit_set_text[LIST_SIZE];    /* -b: the bits at hand, mm, separated by commas; empty: none */
    char mirror_name[WORD_SIZE];     /* -k: "nincs", "x" or "y" */
#ifdef DRELVO_EXTRA_OPTION
    int extra;                       /* the tests' made-up option */
#endif
    int given[OPTION_COUNT];         /* 1 for each option the command line names */
    excellon_digits number_format;   /* -n settled; {0, 0} for none */
    int tool_change;                 /* -t settled: CHANGE_PAUSE, CHANGE_M6 or CHANGE_PER_FILE */
    int warmup_tenths;               /* -w settled: tenths of a second, rounded up */
    double bit_set[BIT_SET_MAX];     /* -b settled */
    int bit_count;                   /* 0: every size of the file a bit of its own */
    int mirror;                      /* -k settled: a mirror_axis */
    char input_name[NAME_SIZE];      /* the input file */
    char output_name[NAME_SIZE];     /* the program file being written */
} settings_t;

/* The table's defaults, nothing given. */
void reset_settings(settings_t &s);
/* Where the matcher stores each option's value, indexed by option_id; null for one without a value. */
void option_values(settings_t &s, void *values[OPTION_COUNT]);
/* Checks the settings in the table's order and settles the unit, the
 * direction and the drill file's choices. The first failure is printed on
 * standard output; false then. A value that the program takes cut (a
 * fraction of a millimetre, a run-up beyond tenths) draws a warning on
 * standard error naming it, as given and as used. */
bool check_settings(settings_t &s);
/* What the G-code writer takes of the settings. */
program_style style_of(const settings_t &s);

#endif
