/* gerber.cpp - the Gerber (RS-274X) reader: the command loop, the parameter
 * blocks and number decoding. Every stroke and flash becomes a section of the
 * hole list, in millimetres. */
#include "gerber.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "bore.h"
#include "line_input.h"
#include "tools.h"

const param_code param_codes[PARAM_CODE_COUNT] = {
    {"AD", 1},  {"AM", 2},  {"AS", 3},  {"FS", 4},  {"IF", 5},  {"IJ", 6},  {"IN", 7},
    {"IO", 8},  {"IP", 9},  {"IR", 10}, {"KO", 11}, {"LN", 12}, {"LP", 13}, {"MI", 14},
    {"MO", 15}, {"OF", 16}, {"PF", 17}, {"SF", 18}, {"SR", 19},
};

enum { CODE_NONE = 0, CODE_AS = 3, CODE_FS = 4, CODE_MO = 15, CODE_OF = 16, CODE_SF = 18 };

/* Until the file says otherwise: leading zeros omitted, absolute, 2.4 digits,
 * inches, no offset, scale 1, A on X and B on Y. */
static const gerber_format_t initial_format = {
    2, 4, 2, 4, false, false, UNIT_INCH, 0.0, 0.0, 1.0, 1.0, 'A', 'B',
};

gerber_format_t gerber_format = initial_format;

/* Number of lines read so far: the current line's number in diagnostics. */
static int line_no = 0;

void gerber_reset_format(void)
{
    gerber_format = initial_format;
}

/* A failed line read ends the run with a diagnostic; only the end of the file
 * is a normal end. A macro, so that the diagnostic names the reading function. */
#define check_line_status(status)                                                         \
    do {                                                                                  \
        if ((status) == LINE_TOO_LONG)                                                    \
            fatal_error("A fájl %d. sora túl hosszú, legföljebb %d bájt lehet.\n", line_no, \
                        LINE_BUF_SIZE - 1);                                               \
        if ((status) == LINE_READ_ERROR)                                                  \
            fatal_error("A fájl %d. sorát nem sikerült beolvasni.\n", line_no);           \
    } while (0)

int get_number(double *out, int int_digits, int dec_digits)
{
    enum { MAX_CHARS = 126 };
    char text[2 + MAX_CHARS + 1] = "0.";
    char *digits = text + 2;   /* without a point the digits become the fraction 0.d1d2... */
    int n = 0;
    bool point = false;
    while (n < MAX_CHARS) {
        int c = get_char();
        if (c == -1)
            break;
        if (c == '.') {
            if (point)
                return -1;
            point = true;
        } else if (c < '0' || c > '9') {
            seek_cursor(-1, 1);
            break;
        }
        digits[n++] = (char)c;
    }
    digits[n] = '\0';
    if (n == 0 || (point && n == 1))
        return -1;   /* no digit at all */
    double value = strtod(point ? digits : text, nullptr);
    if (point) {
        *out = value;
        return 0;
    }
    if (int_digits > 0)
        *out = value * pow(10.0, int_digits);
    else if (dec_digits > 0)
        *out = value * pow(10.0, n - dec_digits);
    else
        return -1;
    return 0;
}

/* Extent of a decimal number at p (blanks, sign, digits, point, fraction,
 * exponent); p itself when none stands there. Hexadecimal forms, infinities
 * and NaN are not numbers here. */
static char *decimal_end(char *p)
{
    while (isspace((unsigned char)*p))
        p++;
    if (*p == '+' || *p == '-')
        p++;
    char *mantissa = p;
    while (isdigit((unsigned char)*p))
        p++;
    int digits = (int)(p - mantissa);
    if (*p == '.') {
        char *fraction = ++p;
        while (isdigit((unsigned char)*p))
            p++;
        digits += (int)(p - fraction);
    }
    if (digits == 0)
        return nullptr;
    if (*p == 'e' || *p == 'E') {
        char *q = p + 1;
        if (*q == '+' || *q == '-')
            q++;
        if (isdigit((unsigned char)*q)) {
            while (isdigit((unsigned char)*q))
                q++;
            p = q;
        }
    }
    return p;
}

/* Scale factor at the cursor into *out; false when no number stands there. */
static bool read_scale(double *out)
{
    char *start = cursor_ptr();
    char *end = decimal_end(start);
    if (end == nullptr)
        return false;
    char saved = *end;
    *end = '\0';
    *out = strtod(start, nullptr);
    *end = saved;
    seek_cursor((int)(end - start), 1);
    /* 1e999 overflows to infinity, which no coordinate survives. */
    return std::isfinite(*out);
}

void get_parm(int fd)
{
    int code = CODE_NONE;
    for (;;) {
        while (skip_blanks() < 0) {
            int status = load_line(fd);
            line_no++;
            if (status < 0) {
                check_line_status(status);
                return;
            }
        }
        int c;
        while ((c = get_char()) != -1) {
            if (c == '%')
                return;
            if (c == '*') {
                code = CODE_NONE;
                continue;
            }
            if (code == CODE_NONE) {
                seek_cursor(-1, 1);
                const char *p = cursor_ptr();
                for (const param_code &entry : param_codes) {
                    if (p[0] == entry.letters[0] && p[1] == entry.letters[1]) {
                        code = entry.code;
                        seek_cursor(2, 1);
                        break;
                    }
                }
                if (code == CODE_NONE && !skip_to_char('*'))
                    fatal_error("A fájl %d. sorának végén nincs '%c' karakter.\n", line_no, '*');
                continue;
            }
            switch (code) {
            case CODE_AS:
                if (c == 'A') {
                    int axis = get_char();
                    if (axis == -1)
                        fatal_error("A fájl %d. sorában az <AS> utasítás 'A' paraméterének nincs értéke.\n", line_no);
                    if (axis == 'X')
                        gerber_format.x_source = 'A';
                    else if (axis == 'Y')
                        gerber_format.y_source = 'A';
                    else
                        fatal_error("A fájl %d. sorában az <AS> utasítás 'A' paraméterének hibás az értéke.\n", line_no);
                } else if (c == 'B') {
                    int axis = get_char();
                    if (axis == -1)
                        fatal_error("A fájl %d. sorában az <AS> utasítás 'B' paraméterének nincs értéke.\n", line_no);
                    if (axis == 'X')
                        gerber_format.x_source = 'B';
                    else if (axis == 'Y')
                        gerber_format.y_source = 'B';
                    else
                        fatal_error("A fájl %d. sorában az <AS> utasítás 'B' paraméterének hibás az értéke.\n", line_no);
                } else {
                    fatal_error("A fájl %d. sorában hibás az <AS> paramétere: '%c'\n", line_no, c);
                }
                break;
            case CODE_FS: {
                int n;
                if (c == 'L') {
                    gerber_format.trailing_zeros = false;
                } else if (c == 'T') {
                    gerber_format.trailing_zeros = true;
                } else if (c == 'A') {
                    gerber_format.incremental = false;
                } else if (c == 'I') {
                    gerber_format.incremental = true;
                } else if (c == 'X' || c == 'Y') {
                    /* The digits stay on the line; as FS characters they are ignored. */
                    if (peek_int(&n) < 0)
                        fatal_error("A fájl %d. sorában hibás az '%c' paramétere.\n", line_no, c);
                    if (c == 'X') {
                        gerber_format.x_int_digits = n / 10;
                        gerber_format.x_dec_digits = n % 10;
                    } else {
                        gerber_format.y_int_digits = n / 10;
                        gerber_format.y_dec_digits = n % 10;
                    }
                } else if (c == 'D' || c == 'G' || c == 'M' || c == 'N') {
                    if (peek_int(&n) < 0)
                        fatal_error("A fájl %d. sorában hibás a(z) '%c' paramétere.\n", line_no, c);
                }
                break;
            }
            case CODE_MO: {
                int second = get_char();
                if (second == -1)
                    fatal_error("A fájl %d. sorában az <MO> utasításnak kevés a paramétere.\n", line_no);
                if (c == 'M' && second == 'M')
                    gerber_format.unit = UNIT_MM;
                else if (c == 'I' && second == 'N')
                    gerber_format.unit = UNIT_INCH;
                else
                    fatal_error("A fájl %d. sorában az <MO> utasítás paramétere hibás.\n", line_no);
                break;
            }
            case CODE_OF:
                if (c == 'A') {
                    if (get_number(&gerber_format.offset_a, 5, 5) < 0)
                        fatal_error("A fájl %d. sorában hibás az 'A' értéke.\n", line_no);
                } else if (c == 'B') {
                    if (get_number(&gerber_format.offset_b, 5, 5) < 0)
                        fatal_error("A fájl %d. sorában hibás az 'B' értéke.\n", line_no);
                } else {
                    fatal_error("A fájl %d. sorában hibás az <OF> paramétere: '%c'\n", line_no, c);
                }
                break;
            case CODE_SF:
                if (cursor_ptr() == nullptr)
                    fatal_error("A fájl %d. sorában az <SF> utasítás '%c' paraméterének nincs értéke.\n", line_no, c);
                if (c == 'A' || c == 'B') {
                    if (!read_scale(c == 'A' ? &gerber_format.scale_a : &gerber_format.scale_b))
                        fatal_error("A fájl %d. sorában az <SF> utasítás '%c' paraméterének értéke hibás.\n", line_no, c);
                } else {
                    fatal_error("A fájl %d. sorában hibás az <SF> paramétere: '%c'\n", line_no, c);
                }
                break;
            default:
                /* Read past: apertures, macros, image and layer parameters. */
                if (!skip_to_char('*')) {
                    const char *letters = param_codes[code - 1].letters;   /* numbered in table order */
                    fatal_error("A fájl %d. sorában a(z) <%c%c> utasítás végén nincs '%c' karakter.\n", line_no,
                                letters[0], letters[1], '*');
                }
                break;
            }
        }
        /* The line is used up: the block goes on on the next one. */
        int status = load_line(fd);
        line_no++;
        if (status < 0) {
            check_line_status(status);
            return;
        }
    }
}

enum d_mode_t { D_NONE, D_MOVE, D_DRAW, D_FLASH };

/* Adds the segment to the first hole it touches, or to a new hole. */
static void add_to_holes(d_list *Root, double x1, double y1, double x2, double y2)
{
    bore *hole = search_section(Root, x1, y1, x2, y2);
    if (hole == nullptr)
        hole = append_bore(Root);
    add_section(hole, x1, y1, x2, y2);
}

/* No drilling machine reaches a point a kilometre from the file's origin.
 * Such a point, or one that overflowed to infinity, is refused as a bad
 * coordinate: left in, it would break the drilling order after part of the
 * program had been written. */
static const double REACH_MM = 1.0e6;

/* A coordinate in millimetres, from the decoded file value. */
static void apply_coordinate(double value, char source, double *cur)
{
    double offset = source == 'A' ? gerber_format.offset_a : gerber_format.offset_b;
    double scale = source == 'A' ? gerber_format.scale_a : gerber_format.scale_b;
    if (gerber_format.incremental) {
        value *= scale;
        if (gerber_format.unit == UNIT_INCH)
            value *= 25.4;
        *cur += value;
    } else {
        value = (value + offset) * scale;
        if (gerber_format.unit == UNIT_INCH)
            value *= 25.4;
        *cur = value;
    }
}

static int decode_coordinate(double *value, int int_digits, int dec_digits)
{
    if (gerber_format.trailing_zeros)
        return get_number(value, int_digits, 0);
    return get_number(value, 0, dec_digits);
}

int gerber(d_list *Root, int fd, int int_digits)
{
    gerber_format.x_int_digits = int_digits;
    gerber_format.y_int_digits = int_digits;
    double cur_x = 0.0, cur_y = 0.0;
    double prev_x = -1.0, prev_y = -1.0;
    d_mode_t d_mode = D_NONE;
    bool armed = false;
    bool first_motion = true;
    line_no = 0;

    for (;;) {
        int status = load_line(fd);
        line_no++;
        if (status < 0) {
            check_line_status(status);
            return status;
        }
        if (status == 0 || skip_blanks() < 0)
            continue;
        int c;
        while ((c = get_char()) != -1) {
            switch (c) {
            case '%':
                get_parm(fd);
                break;
            case '*':
                if (!armed || d_mode == D_NONE)
                    break;
                if (!(fabs(cur_x) <= REACH_MM))
                    fatal_error("A fájl %d. sorában hibás az 'X' koordináta.\n", line_no);
                if (!(fabs(cur_y) <= REACH_MM))
                    fatal_error("A fájl %d. sorában hibás az 'Y' koordináta.\n", line_no);
                if (d_mode == D_MOVE) {
                    prev_x = cur_x;
                    prev_y = cur_y;
                } else if (d_mode == D_DRAW || d_mode == D_FLASH) {
                    if (d_mode == D_DRAW)
                        add_to_holes(Root, prev_x, prev_y, cur_x, cur_y);
                    else
                        add_to_holes(Root, cur_x, cur_y, cur_x, cur_y);
                    prev_x = cur_x;
                    prev_y = cur_y;
                }
                break;
            case 'D': {
                /* The number stays on the line: its first character skips the rest of the block. */
                int d;
                if (peek_int(&d) < 0)
                    fatal_error("A fájl %d. sorában hibás a 'D' paramétere.\n", line_no);
                if (d >= 10)
                    armed = true;
                else if (d == 1)
                    d_mode = D_DRAW;
                else if (d == 2)
                    d_mode = D_MOVE;
                else if (d == 3)
                    d_mode = D_FLASH;
                break;
            }
            case 'G': {
                double value;
                if (get_number(&value, G_CODE_INT_DIGITS, 0) < 0)
                    fatal_error("A fájl %d. sorában hibás a 'G' paramétere.\n", line_no);
                int g = value < INT_MAX ? (int)value : INT_MAX;
                bool motion = g == 0 || g == 1 || g == 2 || g == 3 || g == 54;
                if (motion && first_motion) {
                    /* Incremental coordinates start from the file's offsets, as written. */
                    if (gerber_format.incremental) {
                        cur_x = gerber_format.x_source == 'A' ? gerber_format.offset_a : gerber_format.offset_b;
                        cur_y = gerber_format.y_source == 'A' ? gerber_format.offset_a : gerber_format.offset_b;
                    }
                    first_motion = false;
                }
                if (motion) {
                    armed = true;
                } else if (g == 20 || g == 70) {
                    gerber_format.unit = UNIT_INCH;
                } else if (g == 21 || g == 71) {
                    gerber_format.unit = UNIT_MM;
                } else if (g != 74 && g != 75) {
                    if (!skip_to_char('*'))
                        fatal_error("A fájl %d. sorában a G%d végén nincs '%c' karakter.\n", line_no, g, '*');
                    armed = false;
                }
                break;
            }
            case 'M': {
                int m;
                if (peek_int(&m) < 0)
                    fatal_error("A fájl %d. sorában hibás az 'M' paramétere.\n", line_no);
                if (m == 0 || m == 1 || m == 2 || m == 30 || m == 60) {
                    armed = false;
                } else if (!skip_to_char('*')) {
                    fatal_error("A fájl %d. sorában az M%d végén nincs '%c' karakter.\n", line_no, m, '*');
                }
                break;
            }
            case 'X': {
                double value;
                if (decode_coordinate(&value, gerber_format.x_int_digits, gerber_format.x_dec_digits) < 0)
                    fatal_error("A fájl %d. sorában hibás az 'X' koordináta.\n", line_no);
                apply_coordinate(value, gerber_format.x_source, &cur_x);
                break;
            }
            case 'Y': {
                double value;
                if (decode_coordinate(&value, gerber_format.y_int_digits, gerber_format.y_dec_digits) < 0)
                    fatal_error("A fájl %d. sorában hibás az 'Y' koordináta.\n", line_no);
                apply_coordinate(value, gerber_format.y_source, &cur_y);
                break;
            }
            default:
                /* Anything else skips the rest of the block, D codes included. */
                if (!skip_to_char('*'))
                    fatal_error("A fájl %d. sorában az '%c' utasítás végén nincs '%c' karakter.\n", line_no, c, '*');
                break;
            }
        }
    }
}
