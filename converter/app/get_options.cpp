/* get_options.cpp - the option matcher and the usage printer. */
#include "app/get_options.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "system/console_text.h"
#include "system/tools.h"

/* The table's names are UTF-8 in the source; an argument comes in UTF-8 from
 * a UTF-8 terminal, or in code page 1250 from a console or script that uses
 * it. Both spellings match, byte for byte; nothing else does. */
static bool name_matches(const char *name, const char *arg)
{
    if (name == nullptr)
        return false;
    return strcmp(name, arg) == 0 || utf8_to_cp1250(name) == arg;
}

/* The size of the floating-point object a scan format stores, or 0 when its
 * conversion is not a floating one. */
static size_t floating_size(const char *format)
{
    size_t length = strlen(format);
    if (length < 2 || strchr("aAeEfFgG", format[length - 1]) == nullptr)
        return 0;
    switch (format[length - 2]) {
    case 'l':
        return sizeof(double);
    case 'L':
        return sizeof(long double);
    default:
        return sizeof(float);
    }
}

static bool is_nan(const void *value, size_t size)
{
    if (size == sizeof(double))
        return std::isnan(*(const double *)value);
    if (size == sizeof(long double))
        return std::isnan(*(const long double *)value);
    return std::isnan(*(const float *)value);
}

/* "%d" and "%u" as the standard scan reads them (blanks, a sign, digits, the
 * rest ignored), except that a number beyond 32 bits is not cut to its low
 * 32 bits: it becomes the type's nearest limit, so that the range check
 * calls it as far out as it is. A negative "%u" value within 32 bits wraps,
 * as the standard scan has it. False when no number stands there. */
static bool convert_whole_number(const char *text, bool is_unsigned, void *value)
{
    while (isspace((unsigned char)*text))
        text++;
    bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        text++;
    if (!isdigit((unsigned char)*text))
        return false;
    errno = 0;
    unsigned long long magnitude = strtoull(text, nullptr, 10);
    if (errno == ERANGE)
        magnitude = ULLONG_MAX;
    if (is_unsigned) {
        uint32_t result = UINT32_MAX;
        if (magnitude <= UINT32_MAX)
            result = negative ? (uint32_t)(0u - (uint32_t)magnitude) : (uint32_t)magnitude;
        else if (negative)
            result = 0;
        *(uint32_t *)value = result;
    } else {
        long long limit = negative ? -(long long)INT_MIN : INT_MAX;
        long long size = magnitude < (unsigned long long)limit ? (long long)magnitude : limit;
        *(int *)value = (int)(negative ? -size : size);
    }
    return true;
}

/* "nan" scans as a number but passes every range check unnoticed, so it
 * counts as a value that does not convert. */
bool scan_value(const char *text, const char *format, void *value)
{
    if (strcmp(format, "%d") == 0 || strcmp(format, "%u") == 0)
        return convert_whole_number(text, format[1] == 'u', value);
    size_t size = floating_size(format);
    unsigned char previous[sizeof(long double)];
    if (size != 0)
        memcpy(previous, value, size);
    if (sscanf(text, format, value) != 1)
        return false;
    if (size != 0 && is_nan(value, size)) {
        memcpy(value, previous, size);
        return false;
    }
    return true;
}

int get_options(int Argc, char *const *Argv, int *OptIdx, const option_spec *table, int count, void *const *values,
                int *given)
{
    int i = *OptIdx;
    if (i >= Argc)
        fatal_error("Argc <= *OptIdx");
    if (Argv == nullptr)
        fatal_error("Argv=NULL");
    if (table == nullptr)
        fatal_error("Opts=NULL");

    for (int k = 0; k < count; k++) {
        const option_spec &row = table[k];
        if (!name_matches(row.short_name, Argv[i]) && !name_matches(row.long_name, Argv[i]))
            continue;
        given[k] = 1;
        *OptIdx = i + 1;
        if (row.scan_format == nullptr)
            return k;
        if (i + 1 >= Argc)
            return OPT_MISSING_VALUE;
        if (!scan_value(Argv[i + 1], row.scan_format, values[k]))
            return OPT_BAD_VALUE;
        *OptIdx = i + 2;
        return k;
    }
    *OptIdx = i + 1;
    return OPT_NOT_OPTION;
}

/* Writes a fixed UTF-8 text in the encoding of standard output. */
static void put_text(const char *utf8)
{
    print_text(stdout, "%s", console_text(fileno(stdout), utf8).c_str());
}

static void put_name(const char *name, bool takes_value)
{
    put_text("\t");
    put_text(name);
    put_text(takes_value ? " <>\n" : "\n");
}

void print_usage(const char *program, const char *synopsis, const option_spec *table, int count, const char *closing)
{
    if (program != nullptr || synopsis != nullptr) {
        put_text("Használat: ");
        if (program != nullptr)
            print_text(stdout, "%s", program);  /* as invoked: passed through unchanged */
        if (program != nullptr && synopsis != nullptr)
            put_text(" ");
        if (synopsis != nullptr)
            put_text(synopsis);
        put_text("\n\n");
    }
    if (table != nullptr) {
        for (int k = 0; k < count; k++) {
            const option_spec &row = table[k];
            if (row.help == nullptr)
                continue;
            if (row.short_name != nullptr)
                put_name(row.short_name, row.scan_format != nullptr);
            if (row.long_name != nullptr)
                put_name(row.long_name, row.scan_format != nullptr);
            put_text(row.help);
            put_text("\n");
        }
        put_text("\n");
    }
    if (closing != nullptr) {
        put_text(closing);
        put_text("\n");
    }
    fflush(stdout);
}
