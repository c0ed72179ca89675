/* gerber.h - the Gerber (RS-274X) reader.
 *
 * gerber() reads the whole input line by line and turns every stroke (D01)
 * and flash (D03) into a section of the hole list, in millimetres, after the
 * file's own format, unit, offset, scale and axis selection. Apertures, arcs,
 * polarity and the other parameters are read past. A syntax error, an
 * unreadable line or a line too long for the buffer ends the process with a
 * line-numbered diagnostic; only the end of the file ends the reading, and a
 * parameter block still open there is an error too. A file without M00, M02
 * or M30 is read as any other, with a warning that it may have been cut. */
#ifndef GERBER_H
#define GERBER_H

#include "holes/d_list.h"

/* The file's format state, kept by each reading for itself. */
typedef struct gerber_format_t {
    int x_int_digits, x_dec_digits;   /* digits of X numbers (FS X) */
    int y_int_digits, y_dec_digits;   /* digits of Y numbers (FS Y) */
    bool trailing_zeros;              /* FS T: trailing zeros omitted; FS L: leading */
    bool incremental;                 /* FS I: incremental; FS A: absolute */
    int unit;                         /* UNIT_MM or UNIT_INCH */
    double offset_a, offset_b;        /* OF A, OF B, in file units */
    double scale_a, scale_b;          /* SF A, SF B */
    char x_source, y_source;          /* 'A' or 'B': whose offset and scale an axis uses (AS) */
} gerber_format_t;

enum { UNIT_MM = 1, UNIT_INCH = 2 };

/* One entry of the parameter code table: two letters and a number (0: none). */
typedef struct param_code {
    char letters[3];
    int code;
} param_code;

enum { PARAM_CODE_COUNT = 19 };
extern const param_code param_codes[PARAM_CODE_COUNT];

/* Integer digits with which G-code numbers are decoded (G01 reads as 1). */
enum { G_CODE_INT_DIGITS = 2 };

/* Reads the whole input into the hole list; int_digits is the starting integer-digit
 * count of X and Y until the file's format statement sets its own. Returns LINE_EOF. */
int gerber(d_list *holes, int fd, int int_digits);
/* The same, leaving the format the file ended with in `format`. */
int gerber_read(d_list *holes, int fd, int int_digits, gerber_format_t *format);
/* Decodes the number at the cursor; 0 on success, -1 on failure. */
int get_number(double *out, int int_digits, int dec_digits);

#endif
