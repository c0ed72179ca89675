/* get_options.h - the converter's option table, the matcher and the usage.
 *
 * get_options examines one argument against a table of `option` records,
 * stores the value of a matched option through its scan format and advances
 * the caller's index. Names match exactly, byte for byte; an accented long
 * name matches in both its code page 1250 and its UTF-8 spelling. */
#ifndef GET_OPTIONS_H
#define GET_OPTIONS_H

typedef struct option {
    const char *short_name;   /* "-i", or null */
    const char *long_name;    /* "--egészrész", or null */
    const char *help;         /* help lines, each led by two tabs; null: left out of the usage */
    const char *format;       /* scan format of the value; null: takes no value */
    void *value;              /* where the value is stored; its type fits format */
    int given;                /* set to 1 each time the option is matched */
} option;

enum {
    OPTION_COUNT = 13,
    OPT_NOT_OPTION = -1,      /* the argument is no option; it is Argv[OptIdx - 1] */
    OPT_BAD_VALUE = -2,       /* the value does not convert; OptIdx stands on it */
    OPT_MISSING_VALUE = -3,   /* the option needs a value but is the last argument */
};

/* The converter's options, storing into `settings`; index 9 is the help option, the
 * drill file's three follow it.
 * Defined with `settings` in the driver, so that the matcher stays generic. */
extern option options[OPTION_COUNT];
enum { OPT_HELP = 9 };

/* Matches Argv[*OptIdx]: the option's index, or one of the negative OPT_ results.
 * A floating-point value that scans as NaN counts as one that does not convert. */
int get_options(int Argc, char *const *Argv, int *OptIdx, option *Opts, int count);
/* Prints the usage head, every option with a help text, and the closing line on standard output.
 * The synopsis, the closing line and the table's texts are fixed UTF-8 texts, printed in the
 * console's encoding; the program name is printed as given. */
void print_usage(const char *program, const char *synopsis, const option *Opts, int count, const char *closing);

#endif
