/* get_options.h - the option matcher and the usage, both over rows of the
 * option table.
 *
 * get_options examines one argument against the rows, stores the value of a
 * matched option through its scan format and advances the caller's index.
 * Names match exactly, byte for byte; an accented long name matches in both
 * its code page 1250 and its UTF-8 spelling. */
#ifndef GET_OPTIONS_H
#define GET_OPTIONS_H

#include "app/option_table.h"

enum {
    OPT_NOT_OPTION = -1,      /* the argument is no option; it is Argv[OptIdx - 1] */
    OPT_BAD_VALUE = -2,       /* the value does not convert; OptIdx stands on it */
    OPT_MISSING_VALUE = -3,   /* the option needs a value but is the last argument */
};

/* Matches Argv[*OptIdx] against table[0 ... count - 1]: the matched row's
 * index, or one of the negative OPT_ results. The value of row k goes to
 * values[k]; given[k] is set to 1 when row k matches, also when its value
 * then fails. */
int get_options(int Argc, char *const *Argv, int *OptIdx, const option_spec *table, int count, void *const *values,
                int *given);
/* Scans text into value through the scan format: "%d" and "%u" hold a number
 * beyond 32 bits at the type's nearest limit; a floating value that scans
 * as NaN counts as one that does not convert and leaves the value as it
 * was. False when it does not convert. */
bool scan_value(const char *text, const char *format, void *value);
/* Prints the usage head, every row with a help text, and the closing line on standard output.
 * The synopsis, the closing line and the table's texts are fixed UTF-8 texts, printed in the
 * console's encoding; the program name is printed as given. */
void print_usage(const char *program, const char *synopsis, const option_spec *table, int count,
                 const char *closing);

#endif
