/* main.h - the converter's driver: its settings, the hole list it holds for
 * the run, and the G-code writer.
 *
 * main() reads and checks the options, opens the input, starts
 * "<input>.tap" and runs the conversion: read, centre, move, order, write.
 * A drill file (Excellon) goes through its own reader and is drilled bit by
 * bit; every other file is read as Gerber.
 * Built with DRELVO_EMBEDDED, main is named drelvo_main so that tests and
 * fuzzers can run the whole driver in-process. */
#ifndef MAIN_H
#define MAIN_H

#include <cstdint>
#include <string>
#include <vector>

#include "holes/bit_plan.h"
#include "holes/bore.h"
#include "holes/d_list.h"
#include "reading/excellon.h"

enum { NAME_SIZE = 260, WORD_SIZE = 16 };
/* How a drill file with several bits is drilled: one program that pauses
 * before each bit, the same with a T<n> M6 before the pause, or one program per bit. */
enum { CHANGE_PAUSE, CHANGE_M6, CHANGE_PER_FILE };

/* The checked option values of one run; lengths in millimetres, feed in mm/min. */
typedef struct settings_t {
    int integer_digits;              /* -i: integer digits of the file's coordinates, 1 ... 6 */
    char unit_name[WORD_SIZE];       /* -m: "mm" or "coll"; empty means "mm" */
    char direction_name[WORD_SIZE];  /* -f: "jobb" or "bal"; empty means "jobb" */
    uint32_t spindle_speed;          /* -p: rpm, 1 ... 30000 */
    double feed;                     /* -e: 1 ... 1000 */
    double neutral_height;           /* -a: safe height, 1 ... 10 */
    double depth;                    /* -h: drilling depth, 1 ... 10 */
    double x_offset;                 /* -x: lower left corner of the holes, 0 ... 1000 */
    double y_offset;                 /* -y */
    int inch_output;                 /* 1 when the G-code is written in inches */
    int spindle_left;                /* 1 for "bal" (M4), 0 for "jobb" (M3) */
    int precision;                   /* decimals printed: 5 for mm, 6 for inches */
    char format_name[WORD_SIZE];     /* -n: "<integer digits>.<decimal digits>" of a drill file; empty: its own */
    char change_name[WORD_SIZE];     /* -t: "szünet", "m6" or "fájlonként"; empty means "szünet" */
    double change_height;            /* -c: the safe height ... 100; 0 when not given: the safe height */
    excellon_digits number_format;   /* -n settled; {0, 0} for none */
    int tool_change;                 /* -t settled: CHANGE_PAUSE, CHANGE_M6 or CHANGE_PER_FILE */
    char input_name[NAME_SIZE];      /* the Gerber file */
    char output_name[NAME_SIZE];     /* input_name followed by ".tap" */
} settings_t;

extern settings_t settings;
/* The run's hole list, where print_bores reaches it; null outside a conversion. */
extern d_list *bores;

/* Restores the settings to their defaults (main does this before reading the options). */
void reset_settings(void);
/* Writes the drilling program for the holes of `bores`, starting at first_bore. */
void print_bores(int fd, bore *first_bore);
/* The program of one bit alone: the form print_bores writes. */
void print_one_bit(int fd, bit_plan &plan);
/* One program of several bits, each after its change: rise, park, spindle
 * stop, a message naming the bit, T<k> M6 with -t m6, a pause, spindle start. */
void print_bits(int fd, std::vector<bit_plan> &plans);
/* A bit's diameter as the operator reads it: two decimals, more where they count. */
std::string diameter_text(double mm);
/* Starts "<input>.tap"; its descriptor, or -1 after the message. */
int open_output(void);

#ifdef DRELVO_EMBEDDED
int drelvo_main(int argc, char **argv);
#endif

#endif
