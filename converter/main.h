/* main.h - the converter's driver: its settings, the hole list it holds for
 * the run, and the G-code writer.
 *
 * main() reads and checks the options, opens the Gerber file, starts
 * "<input>.tap" and runs the conversion: read, centre, move, order, write.
 * Built with DRELVO_EMBEDDED, main is named drelvo_main so that tests and
 * fuzzers can run the whole driver in-process. */
#ifndef MAIN_H
#define MAIN_H

#include <cstdint>
#include "bore.h"
#include "d_list.h"

enum { NAME_SIZE = 260, WORD_SIZE = 16 };

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

#ifdef DRELVO_EMBEDDED
int drelvo_main(int argc, char **argv);
#endif

#endif
