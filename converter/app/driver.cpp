/* main.cpp - the converter's driver: options, checks, files, the conversion
 * sequence and the G-code writer. */
#include "main.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <unistd.h>

#include "holes/bit_plan.h"
#include "app/drill_run.h"
#include "reading/excellon.h"
#include "reading/gerber.h"
#include "app/get_options.h"
#include "system/platform.h"
#include "writing/program_file.h"
#include "system/tools.h"

settings_t settings;
d_list *bores = nullptr;

option options[OPTION_COUNT] = {
    {"-i", "--egészrész",
     "\t\tA gerber fájlokban a tizedestört számokban ostoba módon\n"
     "\t\tsajnálják kitenni a tizedespontot. Ezért muszáj megadni\n"
     "\t\thogy a számjegyekből mennyi ábrázolja az egész részt.\n"
     "\t\tA lehetséges értékek: 1 ... 6\n"
     "\t\tAz alapérték: 2",
     "%d", &settings.integer_digits, 0},
    {"-m", "--mértékegység",
     "\t\tLehetővé teszi a kimeneti fájl - G-kód - mértékegységének\n"
     "\t\tbeállítását. A parancssorba beírt egyéb beállításokat viszont\n"
     "\t\tmindig mm-ben értelmezi.\n"
     "\t\tA választék: \"mm\" vagy \"coll\".\n"
     "\t\tAz alapérték a \"mm\".",
     "%15s", settings.unit_name, 0},
    {"-f", "--forgásirány",
     "\t\tBeállítható vele a főorsó forgásiránya.\n"
     "\t\tA választék: \"jobb\" vagy \"bal\"\n"
     "\t\tAz alapérték a \"jobb\".",
     "%15s", settings.direction_name, 0},
    {"-p", "--fordulatszám",
     "\t\tA főorsó fordulatszámát lehet beállítani.\n"
     "\t\tA lehetséges értékek: 1 ... 30000 ford/perc\n"
     "\t\tAz alapérték: 1000 ford/perc",
     "%u", &settings.spindle_speed, 0},
    {"-e", "--előtolás",
     "\t\tA fúró előtolását állítja be.\n"
     "\t\tA lehetséges értékek: 1 ... 1000 mm/perc\n"
     "\t\tAz alapérték: 400 mm/perc",
     "%lf", &settings.feed, 0},
    {"-a", "--alaphelyzet",
     "\t\tA fúró munkaütemen kívüli alaphelyzetét állítja be.\n"
     "\t\tA lehetséges értékek: 1 ... 10 mm\n"
     "\t\tAz alapérték: 2 mm",
     "%lf", &settings.neutral_height, 0},
    {"-h", "--mélység",
     "\t\tA fúrás mélysége.\n"
     "\t\tA lehetséges értékek: 1 ... 10 mm\n"
     "\t\tAz alapérték: 2 mm",
     "%lf", &settings.depth, 0},
    {"-x", "--x-koordináta",
     "\t\tA furatcsoport bal alsó x koordinátájának beállítására szolgál.\n"
     "\t\tA lehetséges értékek: 1 ... 1000 mm\n"
     "\t\tAz alapérték: 0 mm",
     "%lf", &settings.x_offset, 0},
    {"-y", "--y-koordináta",
     "\t\tA furatcsoport bal alsó y koordinátájának beállítására szolgál.\n"
     "\t\tA lehetséges értékek: 1 ... 1000 mm\n"
     "\t\tAz alapérték: 0 mm",
     "%lf", &settings.y_offset, 0},
    {"-s", "--súgó", "\t\tEzt a szöveget jeleníti meg.", nullptr, nullptr, 0},
    {"-n", "--számformátum",
     "\t\tAz Excellon fúrófájl számainak egész és tizedes számjegyei,\n"
     "\t\tpéldául 2.4, ha a fájl nem adja meg, vagy rosszul adja meg.\n"
     "\t\tGerber fájlra nem hat.\n"
     "\t\tA lehetséges értékek: 1 ... 6 egész, 1 ... 6 tizedes jegy\n"
     "\t\tAz alapérték: a fájl megadása, ennek híján hüvelykben 2.4,\n"
     "\t\tmm-ben 3.3",
     "%15s", settings.format_name, 0},
    {"-t", "--szerszámcsere",
     "\t\tTöbb fúróméretű fúrófájlnál a fúrócsere módja.\n"
     "\t\t\"szünet\": egy program, minden fúró előtt megáll (M0);\n"
     "\t\t\"m6\": ugyanez, a megállás előtt T<n> M6 szerszámcserével;\n"
     "\t\t\"fájlonként\": fúrónként külön program, <fájlnév>.T1.tap, ...\n"
     "\t\tGerber fájlra nem hat.\n"
     "\t\tAz alapérték a \"szünet\".",
     "%15s", settings.change_name, 0},
    {"-c", "--cseremagasság",
     "\t\tA fúrócsere előtt ide emelkedik a fúró, ha az alaphelyzetnél\n"
     "\t\tmagasabbra kell.\n"
     "\t\tA lehetséges értékek: az alaphelyzet ... 100 mm\n"
     "\t\tAz alapérték: az alaphelyzet",
     "%lf", &settings.change_height, 0},
};

static const char SYNOPSIS[] = "<fájlnév> [kapcsolók]";
static const char CREDIT[] = "\tdrelvo 1.0 - Gerber fájlból fúrási G-kódot készít.";
enum { OPT_CHANGE_HEIGHT = 12 };
/* The highest tool-change height, mm. */
static const double MAX_CHANGE_HEIGHT = 100.0;

/* The G-code gives feed, safe height and depth in whole millimetres, or
 * those whole millimetres in inches. */
static const double MM_PER_INCH = 25.4;

enum { CONTINUE = -1 };  /* not an exit status: the run goes on */

void reset_settings(void)
{
    memset(&settings, 0, sizeof settings);
    settings.integer_digits = 2;
    settings.spindle_speed = 1000;
    settings.feed = 400.0;
    settings.neutral_height = 2.0;
    settings.depth = 2.0;
    settings.x_offset = 0.0;
    settings.y_offset = 0.0;
    settings.precision = 5;
    for (option &opt : options)
        opt.given = 0;
}

static void usage(const char *program)
{
    print_usage(program, SYNOPSIS, options, OPTION_COUNT, CREDIT);
}

/* Reads the arguments into `settings`. CONTINUE when the run goes on,
 * otherwise the exit status of a usage or an argument error. */
static int read_arguments(int argc, char **argv)
{
    int opt_idx = 1;
    while (opt_idx < argc) {
        int result = get_options(argc, argv, &opt_idx, options, OPTION_COUNT);
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
        const char *arg = argv[opt_idx - 1];
        if (settings.input_name[0] != '\0') {
            print_text(stderr, "Megvan a fájl neve, ez már nem kell: \"%s\"\n", arg);
            continue;
        }
        if (arg[0] == '\0')
            continue;  /* an empty argument names no file */
        /* A cut name would open some other file. */
        if (strlen(arg) >= sizeof settings.input_name) {
            print_text(stderr, "A fájl neve túl hosszú, legföljebb %d karakter lehet: %s\n",
                       (int)sizeof settings.input_name - 1, arg);
            return 1;
        }
        strcpy(settings.input_name, arg);
    }
    if (settings.input_name[0] == '\0') {
        usage(argc > 0 ? argv[0] : nullptr);
        return 1;
    }
    return CONTINUE;
}

/* A value typed as the UTF-8 text or in code page 1250, like the option names. */
static bool spelled(const char *value, const char *utf8)
{
    return strcmp(value, utf8) == 0 || utf8_to_cp1250(utf8) == value;
}

/* -n: "<integer digits>.<decimal digits>", each 1 ... 6. */
static bool check_number_format(void)
{
    settings_t &s = settings;
    if (s.format_name[0] == '\0')
        return true;
    int whole = 0, fraction = 0, used = 0;
    if (sscanf(s.format_name, "%1d.%1d%n", &whole, &fraction, &used) != 2 || s.format_name[used] != '\0') {
        print_text(stdout, "Hibás számformátum: \"%s\", az egész és a tizedes jegyek száma kell, például 2.4\n",
                   s.format_name);
        return false;
    }
    if (whole < 1 || whole > 6 || fraction < 1 || fraction > 6) {
        print_text(stdout, "A számformátum egész és tizedes része is %d ... %d jegyű lehet.\n", 1, 6);
        return false;
    }
    s.number_format = {whole, fraction};
    return true;
}

/* The drill file's settings, after the others: number format, tool-change style and height. */
static bool check_drill_settings(void)
{
    settings_t &s = settings;
    if (!check_number_format())
        return false;
    if (s.change_name[0] == '\0' || spelled(s.change_name, "szünet")) {
        s.tool_change = CHANGE_PAUSE;
    } else if (strcmp(s.change_name, "m6") == 0) {
        s.tool_change = CHANGE_M6;
    } else if (spelled(s.change_name, "fájlonként")) {
        s.tool_change = CHANGE_PER_FILE;
    } else {
        print_text(stdout, "Ismeretlen szerszámcsere: \"%s\"\n", s.change_name);
        return false;
    }
    if (!options[OPT_CHANGE_HEIGHT].given)
        s.change_height = s.neutral_height;
    if (s.change_height < s.neutral_height) {
        print_text(stdout, "A cseremagasság kevés, legalább az alaphelyzet, %0.*lf mm legyen.\n", s.precision,
                   s.neutral_height);
        return false;
    }
    if (s.change_height > MAX_CHANGE_HEIGHT) {
        print_text(stdout, "A cseremagasság sok, legföljebb %0.*lf mm lehet.\n", s.precision, MAX_CHANGE_HEIGHT);
        return false;
    }
    return true;
}

/* Checks the settings in a fixed order and settles the unit and direction.
 * The first failure is printed on standard output; false then. */
static bool check_settings(void)
{
    settings_t &s = settings;
    if (s.integer_digits < 1) {
        print_text(stdout, "Az egészrész értéke kicsi, legalább %d legyen.\n", 1);
        return false;
    }
    if (s.integer_digits > 6) {
        print_text(stdout, "Az egészrész értéke sok, legföljebb %d lehet.\n", 6);
        return false;
    }
    if (s.unit_name[0] != '\0') {
        if (strcmp(s.unit_name, "mm") == 0) {
            s.inch_output = 0;
            s.precision = 5;
        } else if (strcmp(s.unit_name, "coll") == 0) {
            s.inch_output = 1;
            s.precision = 6;
        } else {
            print_text(stdout, "Ismeretlen mértékegység: \"%s\"\n", s.unit_name);
            return false;
        }
    }
    if (s.direction_name[0] != '\0') {
        if (strcmp(s.direction_name, "jobb") == 0) {
            s.spindle_left = 0;
        } else if (strcmp(s.direction_name, "bal") == 0) {
            s.spindle_left = 1;
        } else {
            print_text(stdout, "Ismeretlen forgásirány: \"%s\"\n", s.direction_name);
            return false;
        }
    }
    if (s.spindle_speed == 0) {
        print_text(stdout, "A fordulatszám túlságosan alacsony, legalább %d/perc legyen.\n", 1);
        return false;
    }
    if (s.spindle_speed > 30000u) {
        print_text(stdout, "A fordulatszám túlságosan magas, legföljebb %d/perc lehet.\n", 30000);
        return false;
    }
    /* The real-valued settings, checked in this order; each message names its limit. */
    const struct {
        double value, low, high;
        const char *too_low, *too_high;
    } ranges[] = {
        {s.feed, 1.0, 1000.0, "A előtolás túlságosan kicsi, legalább %0.*lf mm/perc legyen.\n",
         "Az előtolás túlságosan sok, legföljebb %0.*lf mm/perc lehet.\n"},
        {s.neutral_height, 1.0, 10.0, "Az alaphelyzet kevés, legalább %0.*lf mm legyen.\n",
         "Az alaphelyzet sok, legföljebb %0.*lf mm lehet.\n"},
        {s.depth, 1.0, 10.0, "A fúrás mélysége kevés, legalább %0.*lf mm legyen.\n",
         "A fúrás mélysége sok, legföljebb %0.*lf mm lehet.\n"},
        {s.x_offset, 0.0, 1000.0, "Az X koordináta kicsi, legalább %0.*lf mm legyen.\n",
         "Az X koordináta nagy, legföljebb %0.*lf mm lehet.\n"},
        {s.y_offset, 0.0, 1000.0, "Az Y koordináta kicsi, legalább %0.*lf mm legyen.\n",
         "Az Y koordináta nagy, legföljebb %0.*lf mm lehet.\n"},
    };
    for (const auto &range : ranges) {
        if (range.value < range.low) {
            print_text(stdout, range.too_low, s.precision, range.low);
            return false;
        }
        if (range.value > range.high) {
            print_text(stdout, range.too_high, s.precision, range.high);
            return false;
        }
    }
    return check_drill_settings();
}

/* Starts "<input>.tap". Its descriptor, or -1 after the message. */
int open_output(void)
{
    int length = snprintf(settings.output_name, sizeof settings.output_name, "%s.tap", settings.input_name);
    if (length < 0 || (size_t)length >= sizeof settings.output_name) {
        settings.output_name[0] = '\0';
        print_text(stderr, "Nem sikerült elkészíteni a fájl nevét: %s.tap\n", settings.input_name);
        return -1;
    }
    int out = open_program_file(settings.output_name);
    if (out < 0)
        print_text(stderr, "Nem sikerült elkészíteni a fájlt: %s\n", settings.output_name);
    return out;
}

/* A length in millimetres in the output unit. */
static double output_length(double mm)
{
    return settings.inch_output ? mm / MM_PER_INCH : mm;
}

/* The feed, safe height and depth as the program writes them. */
static double safe_height(void) { return output_length(std::trunc(settings.neutral_height)); }

/* Absolute coordinates, the unit and the feed. */
static void print_program_head(int fd)
{
    message(fd, "G90\n");
    message(fd, settings.inch_output ? "G20\n" : "G21\n");
    message(fd, "F%0.*lf\n", settings.precision, output_length(std::trunc(settings.feed)));
}

static void print_spindle_on(int fd)
{
    message(fd, "S%u\n", settings.spindle_speed);
    message(fd, settings.spindle_left ? "M4\n" : "M3\n");
}

/* Up to the safe height and the spindle on. */
static void print_spindle_start(int fd)
{
    message(fd, "G0 Z%0.*lf\n", settings.precision, safe_height());
    print_spindle_on(fd);
}

/* One hole at (x, y) mm. Right after the spindle start the drill is at the
 * safe height already; otherwise it rises out of the previous hole. */
static void print_plunge(int fd, double x, double y, bool after_start)
{
    const int decimals = settings.precision;
    if (!after_start)
        message(fd, "G0 Z%0.*lf\n", decimals, safe_height());
    message(fd, "X%0.*lf Y%0.*lf\n", decimals, output_length(x), decimals, output_length(y));
    message(fd, "G1 Z%0.*lf\n", decimals, output_length(std::trunc(-settings.depth)));
}

/* Out of the last hole, parked at X0 Y0, spindle off, program end. */
static void print_program_end(int fd)
{
    const int decimals = settings.precision;
    message(fd, "G0 Z%0.*lf\n", decimals, safe_height());
    message(fd, "X%0.*lf Y%0.*lf\nM5\nM2\n", decimals, 0.0, decimals, 0.0);
}

void print_bores(int fd, bore *first_bore)
{
    print_program_head(fd);
    print_spindle_start(fd);
    print_plunge(fd, first_bore->x, first_bore->y, true);
    first_bore->drilled = 1;

    bore *hole = first_bore;
    const int32_t count = bores->count;
    for (int32_t i = 1; i < count; i++) {
        hole = tour_next(bores, hole);
        if (hole == nullptr)
            fatal_error_n(240, "br=NULL");
        print_plunge(fd, hole->x, hole->y, false);
        hole->drilled = 1;
    }
    print_program_end(fd);
}

/* The bit's tour, from the hole nearest the origin; the spindle has just started. */
static void print_bit_tour(int fd, bit_plan &plan)
{
    bool after_start = true;
    for (bore *stop = tour_start(plan.stops); stop != nullptr; stop = tour_next(plan.stops, stop))
        for (excellon_point hit : stop_hits(plan, stop)) {
            print_plunge(fd, hit.x, hit.y, after_start);
            after_start = false;
        }
}

/* The bit's diameter as the operator reads it: two decimals, more where they count. */
std::string diameter_text(double mm)
{
    char text[32];
    for (int decimals = 2; decimals <= 4; decimals++) {
        snprintf(text, sizeof text, "%.*f", decimals, mm);
        if (std::fabs(atof(text) - mm) < 5e-7)
            break;
    }
    return text;
}

/* Before bit `place` (from 1): up, parked, spindle off, the operator told which
 * bit to put in (with T<place> M6 for a tool-change routine), a pause, and
 * the spindle started again. */
static void print_bit_change(int fd, int place, const excellon_bit &bit)
{
    const int decimals = settings.precision;
    const double change_height = output_length(std::trunc(settings.change_height));
    message(fd, "G0 Z%0.*lf\n", decimals, change_height);
    message(fd, "X%0.*lf Y%0.*lf\nM5\n", decimals, 0.0, decimals, 0.0);
    message(fd, "(MSG, %d. furo %s mm %ld furat)\n", place, diameter_text(bit.diameter).c_str(), bit_hits(bit));
    if (settings.tool_change == CHANGE_M6)
        message(fd, "T%d M6\n", place);
    message(fd, "M0\n");
    if (change_height != safe_height())
        message(fd, "G0 Z%0.*lf\n", decimals, safe_height());
    print_spindle_on(fd);
}

/* One bit alone: the program a Gerber file of the same holes gives. */
void print_one_bit(int fd, bit_plan &plan)
{
    print_program_head(fd);
    print_spindle_start(fd);
    print_bit_tour(fd, plan);
    print_program_end(fd);
}

/* Several bits in one program, each after its change. */
void print_bits(int fd, std::vector<bit_plan> &plans)
{
    print_program_head(fd);
    for (size_t k = 0; k < plans.size(); k++) {
        print_bit_change(fd, (int)k + 1, *plans[k].bit);
        print_bit_tour(fd, plans[k]);
    }
    print_program_end(fd);
}

#ifdef DRELVO_EMBEDDED
int drelvo_main(int argc, char **argv)
#else
int main(int argc, char **argv)
#endif
{
    if (!platform_start(&argc, &argv))
        return 1;
    reset_settings();
    int status = read_arguments(argc, argv);
    if (status != CONTINUE)
        return status;
    if (!check_settings())
        return 1;
    int in = platform_open_input(settings.input_name);
    if (in < 0) {
        print_text(stderr, "Nem sikerült megnyitni a fájlt: %s\n", settings.input_name);
        return 1;
    }
    if (is_excellon(in)) {
        status = convert_excellon(in);
        close(in);
        return status;
    }

    int out = open_output();
    if (out < 0) {
        close(in);
        return 1;
    }
    bores = new_bores();
    gerber(bores, in, settings.integer_digits);
    compute_quad(bores);
    /* The corner moves by whole millimetres, in either output unit. */
    normalize_coords(bores, std::trunc(settings.x_offset), std::trunc(settings.y_offset));
    bore *first_bore = tour_start(bores);
    if (first_bore == nullptr)
        fatal_error_n(463, "first_bore=NULL");
    print_bores(out, first_bore);
    d_list_free(bores);
    bores = nullptr;
    close(in);
    return finish_program_file() ? 0 : 1;
}
