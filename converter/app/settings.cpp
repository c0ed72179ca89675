/* settings.cpp - the settings' defaults and checks, both from the option table. */
#include "app/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/get_options.h"
#include "system/console_text.h"

void option_values(settings_t &s, void *values[OPTION_COUNT])
{
    for (int k = 0; k < OPTION_COUNT; k++)
        values[k] = nullptr;
    values[OPT_INTEGER_DIGITS] = &s.integer_digits;
    values[OPT_UNIT] = s.unit_name;
    values[OPT_DIRECTION] = s.direction_name;
    values[OPT_SPINDLE_SPEED] = &s.spindle_speed;
    values[OPT_FEED] = &s.feed;
    values[OPT_SAFE_HEIGHT] = &s.neutral_height;
    values[OPT_DEPTH] = &s.depth;
    values[OPT_X_OFFSET] = &s.x_offset;
    values[OPT_Y_OFFSET] = &s.y_offset;
    values[OPT_NUMBER_FORMAT] = s.format_name;
    values[OPT_TOOL_CHANGE] = s.change_name;
    values[OPT_CHANGE_HEIGHT] = &s.change_height;
    values[OPT_WARMUP] = &s.warmup;
    values[OPT_BIT_SET] = s.bit_set_text;
    values[OPT_MIRROR] = s.mirror_name;
#ifdef DRELVO_EXTRA_OPTION
    values[OPT_EXTRA] = &s.extra;
#endif
}

void reset_settings(settings_t &s)
{
    memset(&s, 0, sizeof s);
    s.precision = 5;
    void *values[OPTION_COUNT];
    option_values(s, values);
    for (const option_spec &row : option_table)
        if (values[row.id] != nullptr && row.default_text[0] != '\0')
            scan_value(row.default_text, row.scan_format, values[row.id]);
}

/* -n: "<integer digits>.<decimal digits>", each 1 ... 6. */
static bool check_number_format(settings_t &s)
{
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

/* -b: sizes in mm separated by commas, blanks around them allowed; at most
 * BIT_SET_MAX, each in the row's range. */
static bool check_bit_set(settings_t &s, const option_spec &row)
{
    if (strlen(s.bit_set_text) >= LIST_SIZE - 1) {
        print_text(stdout, "A fúrókészlet túl hosszú, legföljebb %d karakter lehet.\n", LIST_SIZE - 2);
        return false;
    }
    s.bit_count = 0;
    if (s.bit_set_text[0] == '\0')
        return true;
    for (const char *item = s.bit_set_text;;) {
        char *end;
        const double size = strtod(item, &end);
        const char *next = end + strspn(end, " \t");
        if (end == item || std::isnan(size) || (*next != ',' && *next != '\0')) {
            print_text(stdout, "Hibás fúrókészlet: \"%s\", vesszővel elválasztott méretek kellenek mm-ben, "
                       "például 0.6,0.8,1.0\n", s.bit_set_text);
            return false;
        }
        if (s.bit_count == BIT_SET_MAX) {
            print_text(stdout, "A fúrókészletben legföljebb %d fúró lehet.\n", BIT_SET_MAX);
            return false;
        }
        if (size < row.low || size > row.high) {
            print_text(stdout, size < row.low ? row.too_low : row.too_high, s.precision,
                       size < row.low ? row.low : row.high);
            return false;
        }
        s.bit_set[s.bit_count++] = size;
        if (*next == '\0')
            return true;
        item = next + 1;
    }
}

/* A whole or real option's value as a number. */
static double number_of(const option_spec &row, const void *value)
{
    if (row.kind == VALUE_REAL)
        return *(const double *)value;
    if (strcmp(row.scan_format, "%u") == 0)
        return *(const uint32_t *)value;
    return *(const int *)value;
}

/* The limit in the row's message: a real one in the output unit's decimals. */
static void print_limit(const settings_t &s, const option_spec &row, const char *format, double limit)
{
    if (row.kind == VALUE_REAL)
        print_text(stdout, format, s.precision, limit);
    else
        print_text(stdout, format, (int)limit);
}

static bool check_range(const settings_t &s, const option_spec &row, const void *value)
{
    /* The change height is never below the safe height. */
    const double low = row.id == OPT_CHANGE_HEIGHT ? s.neutral_height : row.low;
    const double number = number_of(row, value);
    if (number < low) {
        print_limit(s, row, row.too_low, low);
        return false;
    }
    if (number > row.high) {
        print_limit(s, row, row.too_high, row.high);
        return false;
    }
    return true;
}

/* The position of `word` among the row's choices, typed as the UTF-8 text
 * or in code page 1250 like the option names; -1 when it is none of them. */
static int choice_index(const option_spec &row, const char *word)
{
    const char *choice = row.choices;
    for (int index = 0;; index++) {
        const char *end = strchr(choice, '|');
        const std::string utf8 = end ? std::string(choice, end) : std::string(choice);
        if (utf8 == word || utf8_to_cp1250(utf8.c_str()) == word)
            return index;
        if (end == nullptr)
            return -1;
        choice = end + 1;
    }
}

/* What a choice settles; the choices' order in the table is the settled value's. */
static void settle_choice(settings_t &s, option_id id, int index)
{
    switch (id) {
    case OPT_UNIT:
        s.inch_output = index;
        s.precision = s.inch_output ? 6 : 5;
        break;
    case OPT_DIRECTION:
        s.spindle_left = index;
        break;
    case OPT_TOOL_CHANGE:
        s.tool_change = index;
        break;
    case OPT_MIRROR:
        s.mirror = index;
        break;
    default:
        break;
    }
}

static bool check_choice(settings_t &s, const option_spec &row, const char *word)
{
    const int index = choice_index(row, word);
    if (index < 0) {
        print_text(stdout, row.unknown, word);
        return false;
    }
    settle_choice(s, row.id, index);
    return true;
}

static bool check_option(settings_t &s, const option_spec &row, const void *value)
{
    switch (row.kind) {
    case VALUE_INTEGER:
    case VALUE_REAL:
        return check_range(s, row, value);
    case VALUE_CHOICE:
        return check_choice(s, row, (const char *)value);
    case VALUE_TEXT:
        if (row.id == OPT_BIT_SET)
            return check_bit_set(s, row);
        return row.id != OPT_NUMBER_FORMAT || check_number_format(s);
    case VALUE_NONE:
        break;
    }
    return true;
}

/* The shortest text that reads back as the value: 1.8, not 1.80000. */
static std::string shortest_text(double value)
{
    char text[32];
    for (int digits = 1; digits <= 17; digits++) {
        snprintf(text, sizeof text, "%.*g", digits, value);
        if (strtod(text, nullptr) == value)
            break;
    }
    return text;
}

/* "Figyelem: a mélység egész mm-re vágva: 1.8 helyett 1 mm." for each value
 * given with a fraction that the program takes in whole units; the run-up
 * likewise when it has more than tenths. */
static void warn_cut_values(const settings_t &s, void *const values[OPTION_COUNT])
{
    const int err = fileno(stderr);
    for (const option_spec &row : option_table) {
        if (row.cut_name == nullptr || !s.given[row.id])
            continue;
        const double value = *(const double *)values[row.id];
        if (value != std::trunc(value))
            print_text(stderr, "Figyelem: %s egész %s-re vágva: %s helyett %s %s.\n",
                       console_text(err, row.cut_name).c_str(), row.unit, shortest_text(value).c_str(),
                       std::to_string((long)value).c_str(), row.unit);
    }
    if (std::fabs(s.warmup_tenths - s.warmup * 10) > 1e-9)
        print_text(stderr, "Figyelem: a felfutás tizedmásodpercre kerekítve: %s helyett %s s.\n",
                   shortest_text(s.warmup).c_str(), tenths_text(s.warmup_tenths).c_str());
}

bool check_settings(settings_t &s)
{
    if (!s.given[OPT_CHANGE_HEIGHT])
        s.change_height = s.neutral_height;
    void *values[OPTION_COUNT];
    option_values(s, values);
    for (const option_spec &row : option_table)
        if (!check_option(s, row, values[row.id]))
            return false;
    /* Up, so that the spindle never has less time than asked. */
    s.warmup_tenths = (int)std::ceil(s.warmup * 10 - 1e-9);
    warn_cut_values(s, values);
    return true;
}

program_style style_of(const settings_t &s)
{
    return {s.inch_output, s.precision, s.spindle_speed, s.spindle_left, s.feed,
            s.neutral_height, s.depth, s.change_height, s.tool_change == CHANGE_M6, s.warmup_tenths};
}
