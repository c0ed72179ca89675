/* driver.cpp - the converter's run: the arguments, their checks, the input,
 * and the run that converts what the input is. */
#include "app/driver.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "app/drill_run.h"
#include "app/gerber_run.h"
#include "app/get_options.h"
#include "app/settings.h"
#include "reading/excellon.h"
#include "system/console_text.h"
#include "system/platform.h"

static const char SYNOPSIS[] = "<fájlnév> [kapcsolók]";
static const char CREDIT[] = "\tdrelvo 1.0 - Gerber fájlból fúrási G-kódot készít.";

enum { CONTINUE = -1 };  /* not an exit status: the run goes on */

static void usage(const char *program)
{
    print_usage(program, SYNOPSIS, option_table, OPTION_COUNT, CREDIT);
}

/* An argument that is no option: the input's name, unless it is known already. */
static int take_input_name(settings_t &s, const char *arg)
{
    if (s.input_name[0] != '\0') {
        print_text(stderr, "Megvan a fájl neve, ez már nem kell: \"%s\"\n", arg);
        return CONTINUE;
    }
    if (arg[0] == '\0')
        return CONTINUE;  /* an empty argument names no file */
    /* A cut name would open some other file. */
    if (strlen(arg) >= sizeof s.input_name) {
        print_text(stderr, "A fájl neve túl hosszú, legföljebb %d karakter lehet: %s\n",
                   (int)sizeof s.input_name - 1, arg);
        return 1;
    }
    strcpy(s.input_name, arg);
    return CONTINUE;
}

/* Reads the arguments into the settings. CONTINUE when the run goes on,
 * otherwise the exit status of a usage or an argument error. */
static int read_arguments(settings_t &s, int argc, char **argv)
{
    void *values[OPTION_COUNT];
    option_values(s, values);
    int opt_idx = 1;
    while (opt_idx < argc) {
        int result = get_options(argc, argv, &opt_idx, option_table, OPTION_COUNT, values, s.given);
        if (result == OPT_BAD_VALUE) {
            print_text(stderr, "Hibás paraméter: \"%s\"\n", argv[opt_idx]);
            return 1;
        }
        if (result == OPT_MISSING_VALUE) {
            print_text(stderr, "Hiányzik a(z) \"%s\" kapcsoló értéke.\n", argv[opt_idx - 1]);
            return 1;
        }
        if (result == OPT_HELP) {
            usage(argv[0]);
            return 0;
        }
        if (result != OPT_NOT_OPTION)
            continue;
        int status = take_input_name(s, argv[opt_idx - 1]);
        if (status != CONTINUE)
            return status;
    }
    if (s.input_name[0] == '\0') {
        usage(argc > 0 ? argv[0] : nullptr);
        return 1;
    }
    return CONTINUE;
}

int drelvo_main(int argc, char **argv)
{
    if (!platform_start(&argc, &argv))
        return 1;
    settings_t settings;
    reset_settings(settings);
    int status = read_arguments(settings, argc, argv);
    if (status != CONTINUE)
        return status;
    if (!check_settings(settings))
        return 1;
    int in = platform_open_input(settings.input_name);
    if (in < 0) {
        print_text(stderr, "Nem sikerült megnyitni a fájlt: %s\n", settings.input_name);
        return 1;
    }
    status = is_excellon(in) ? convert_excellon(in, settings) : convert_gerber(in, settings);
    close(in);
    return status;
}
