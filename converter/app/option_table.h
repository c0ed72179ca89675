/* option_table.h - every option of the converter, named once.
 *
 * One row an option: its names, the kind and range of its value, its
 * default, unit and help. The matcher, the usage text, the range checks, the
 * manual pages' check and kemlor's settings all read this table; adding an
 * option is one row here plus its effect. Rows are addressed by option_id,
 * never by position in the table. */
#ifndef APP_OPTION_TABLE_H
#define APP_OPTION_TABLE_H

/* The options in the order the usage lists them. */
typedef enum option_id {
    OPT_INTEGER_DIGITS,  /* -i */
    OPT_UNIT,            /* -m */
    OPT_DIRECTION,       /* -f */
    OPT_SPINDLE_SPEED,   /* -p */
    OPT_FEED,            /* -e */
    OPT_SAFE_HEIGHT,     /* -a */
    OPT_DEPTH,           /* -h */
    OPT_X_OFFSET,        /* -x */
    OPT_Y_OFFSET,        /* -y */
    OPT_HELP,            /* -s */
    OPT_NUMBER_FORMAT,   /* -n */
    OPT_TOOL_CHANGE,     /* -t */
    OPT_CHANGE_HEIGHT,   /* -c */
    OPT_WARMUP,          /* -w */
    OPT_BIT_SET,         /* -b */
    OPT_MIRROR,          /* -k */
#ifdef DRELVO_EXTRA_OPTION
    OPT_EXTRA,           /* a made-up row of the tests' build: one row reaches the usage and the checks */
#endif
    OPTION_COUNT
} option_id;

/* What an option's value is. */
typedef enum option_kind {
    VALUE_NONE,     /* takes no value (the help) */
    VALUE_INTEGER,  /* a whole number in [low, high] */
    VALUE_REAL,     /* a real number in [low, high] */
    VALUE_CHOICE,   /* one word of `choices` */
    VALUE_TEXT,     /* a text of its own syntax, checked by its option's code (-n, -b) */
} option_kind;

typedef struct option_spec {
    option_id id;
    const char *short_name;    /* "-i" */
    const char *long_name;     /* "--egészrész", UTF-8 */
    option_kind kind;
    double low, high;          /* the range of VALUE_INTEGER and VALUE_REAL, and of each size of -b's list; 0, 0 otherwise */
    const char *default_text;  /* the default as typed on the command line; "" when the option has none */
    const char *unit;          /* "mm", "mm/perc", "ford/perc"; "" when the value has none */
    const char *choices;       /* VALUE_CHOICE: the words, separated by '|', UTF-8; null otherwise */
    int drill_only;            /* 1 when the option concerns drill files only */
    const char *help;          /* the usage's help lines, each led by two tabs, UTF-8 */
    const char *panel_help;    /* kemlor's help box where it says more than the usage; null: the usage's lines */
    const char *scan_format;   /* how the matcher scans the value: "%d", "%u", "%lf", "%15s" or, for a
                                  text that may hold blanks, "%511[^\n]"; null: none */
    const char *too_low;       /* the range check's messages, given the limit; null: the option's code checks */
    const char *too_high;
    const char *unknown;       /* VALUE_CHOICE: the message for a word that is none of the choices */
    const char *cut_name;      /* the value reaches the program cut to whole units: its name in the warning
                                  when a fraction is cut ("a mélység"); null: used as given */
} option_spec;

/* The table, indexed by option_id (option_table[k].id == k). */
extern const option_spec option_table[OPTION_COUNT];

/* The row of `id`. */
const option_spec &option_row(option_id id);

#endif
