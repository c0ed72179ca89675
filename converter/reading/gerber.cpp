/* gerber.cpp - the Gerber (RS-274X) reader: the command loop, the parameter blocks and
 * number decoding. Every stroke and flash becomes a section of the hole list, in millimetres. */
#include "reading/gerber.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include "holes/bore.h"
#include "reading/decimal.h"
#include "reading/line_input.h"
#include "system/console_text.h"
#include "system/tools.h"

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

enum d_mode_t { D_NONE, D_MOVE, D_DRAW, D_FLASH };

/* Strokes and flashes read ahead of grouping; a power of two. */
enum { READ_AHEAD = 8 };

/* The state of one reading: the file's format, the line, the position and the modal state. */
typedef struct reader_state {
    d_list *holes;
    int fd;
    int line_no;             /* lines read so far: the current line's number in diagnostics */
    gerber_format_t format;
    double cur_x, cur_y;     /* current point, millimetres */
    double prev_x, prev_y;   /* point of the previous acting block end */
    d_mode_t d_mode;
    bool armed;              /* block ends act only while set */
    bool first_motion;       /* no G00 to G03 or G54 seen yet */
    bool program_end;        /* an M00, M02 or M30 seen */
    section waiting[READ_AHEAD];   /* strokes and flashes not yet added to the holes: */
    unsigned waited, queued;       /* numbers `waited` to `queued`, each kept at its number modulo READ_AHEAD */
} reader_state;

/* The reader's checks are named after the function whose rules they keep,
 * gerber for the command loop and get_parm for a parameter block, whichever
 * helper makes them. */
#define command_error(fmt, ...) fatal_error_in("gerber", fmt, ##__VA_ARGS__)
#define parm_error(fmt, ...) fatal_error_in("get_parm", fmt, ##__VA_ARGS__)

/* A failed line read ends the run with a diagnostic named after `function`;
 * only the end of the file is a normal end. */
static void check_line_status(reader_state *state, int status, const char *function)
{
    if (status == LINE_TOO_LONG)
        fatal_error_in(function, "A fájl %d. sora túl hosszú, legföljebb %d bájt lehet.\n", state->line_no, LINE_BUF_SIZE - 1);
    if (status == LINE_READ_ERROR)
        fatal_error_in(function, "A fájl %d. sorát nem sikerült beolvasni.\n", state->line_no);
}

enum { NUMBER_CHARS = 126 };

/* The characters of a number as read at the cursor. */
typedef struct number_text {
    char text[2 + NUMBER_CHARS + 1];   /* "0." and the characters: without a point, the fraction 0.d1d2... */
    int length;                        /* characters read, the point included */
    bool point;
} number_text;

/* Reads digits and at most one point at the cursor, up to NUMBER_CHARS of
 * them; the first other character stays. False on a second point (which
 * stays consumed) or when no digit was read. */
static bool scan_number(number_text *number)
{
    char *chars = number->text + 2;
    number->text[0] = '0';
    number->text[1] = '.';
    number->length = 0;
    number->point = false;
    while (number->length < NUMBER_CHARS) {
        int c = get_char();
        if (c == -1)
            break;
        if (c == '.') {
            if (number->point)
                return false;
            number->point = true;
        } else if (c < '0' || c > '9') {
            seek_cursor(-1, 1);
            break;
        }
        chars[number->length++] = (char)c;
    }
    chars[number->length] = '\0';
    return number->length > (number->point ? 1 : 0);
}

int get_number(double *out, int int_digits, int dec_digits)
{
    number_text number;
    if (!scan_number(&number))
        return -1;
    double value = number.point ? strtod(number.text + 2, nullptr) : digits_fraction(number.text + 2, number.length);
    if (number.point) {
        *out = value;
        return 0;
    }
    if (int_digits > 0)
        *out = value * power_of_ten(int_digits);
    else if (dec_digits > 0)
        *out = value * power_of_ten(number.length - dec_digits);
    else
        return -1;
    return 0;
}

/* A G number is aligned from the left as a coordinate is, with
 * G_CODE_INT_DIGITS integer digits (G1 reads as G10, G199 as G19), but
 * without a point it is decoded in whole numbers: in double arithmetic 0.29
 * times 100 falls just short of 29. With a point it is taken as written and
 * cut to a whole number. */
static int decode_g_number(int *g)
{
    number_text number;
    if (!scan_number(&number))
        return -1;
    if (number.point) {
        double value = strtod(number.text + 2, nullptr);
        *g = value < INT_MAX ? (int)value : INT_MAX;
        return 0;
    }
    const char *digits = number.text + 2;
    *g = 0;
    for (int i = 0; i < G_CODE_INT_DIGITS; i++)
        *g = *g * 10 + (i < number.length ? digits[i] - '0' : 0);
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

/* Reads the parameter block's next line that holds more than blanks, and
 * skips the blanks that open it. The end of the file inside the block ends
 * the run: the block would swallow whatever a cut file lost unnoticed. */
static void next_block_line(reader_state *state, int block_line)
{
    do {
        int status = load_line(state->fd);
        state->line_no++;
        if (status == LINE_EOF)
            parm_error("A fájl %d. sorában kezdődő paraméterblokk nincs lezárva: hiányzik a '%c' karakter.\n",
                       block_line, '%');
        check_line_status(state, status, "get_parm");
    } while (skip_blanks() < 0);
}

/* The parameter code at the cursor, its two letters consumed; CODE_NONE
 * after skipping an unknown one to its '*'. */
static int read_parm_code(reader_state *state)
{
    seek_cursor(-1, 1);
    const char *p = cursor_ptr();
    for (const param_code &entry : param_codes) {
        if (p[0] == entry.letters[0] && p[1] == entry.letters[1]) {
            seek_cursor(2, 1);
            return entry.code;
        }
    }
    if (!skip_to_char('*'))
        parm_error("A fájl %d. sorának végén nincs '%c' karakter.\n", state->line_no, '*');
    return CODE_NONE;
}

/* AS: 'A' or 'B' followed by the axis that takes that letter's offset and scale. */
static void parm_axis_select(reader_state *state, int c)
{
    if (c != 'A' && c != 'B')
        parm_error("A fájl %d. sorában hibás az <AS> paramétere: '%c'\n", state->line_no, c);
    int axis = get_char();
    if (c == 'A' && axis == -1)
        parm_error("A fájl %d. sorában az <AS> utasítás 'A' paraméterének nincs értéke.\n", state->line_no);
    if (c == 'A' && axis != 'X' && axis != 'Y')
        parm_error("A fájl %d. sorában az <AS> utasítás 'A' paraméterének hibás az értéke.\n", state->line_no);
    if (c == 'B' && axis == -1)
        parm_error("A fájl %d. sorában az <AS> utasítás 'B' paraméterének nincs értéke.\n", state->line_no);
    if (c == 'B' && axis != 'X' && axis != 'Y')
        parm_error("A fájl %d. sorában az <AS> utasítás 'B' paraméterének hibás az értéke.\n", state->line_no);
    if (axis == 'X')
        state->format.x_source = (char)c;
    else
        state->format.y_source = (char)c;
}

/* FS: zero omission, notation and the digit counts. The digits stay on the
 * line; as FS characters they are ignored. */
static void parm_format(reader_state *state, int c)
{
    int n;
    if (c == 'L' || c == 'T') {
        state->format.trailing_zeros = c == 'T';
    } else if (c == 'A' || c == 'I') {
        state->format.incremental = c == 'I';
    } else if (c == 'X' || c == 'Y') {
        if (peek_int(&n) < 0)
            parm_error("A fájl %d. sorában hibás az '%c' paramétere.\n", state->line_no, c);
        int *int_digits = c == 'X' ? &state->format.x_int_digits : &state->format.y_int_digits;
        int *dec_digits = c == 'X' ? &state->format.x_dec_digits : &state->format.y_dec_digits;
        *int_digits = n / 10;
        *dec_digits = n % 10;
    } else if (c == 'D' || c == 'G' || c == 'M' || c == 'N') {
        if (peek_int(&n) < 0)
            parm_error("A fájl %d. sorában hibás a(z) '%c' paramétere.\n", state->line_no, c);
    }
}

/* MO: MM or IN. */
static void parm_mode(reader_state *state, int c)
{
    int second = get_char();
    if (second == -1)
        parm_error("A fájl %d. sorában az <MO> utasításnak kevés a paramétere.\n", state->line_no);
    if (c == 'M' && second == 'M')
        state->format.unit = UNIT_MM;
    else if (c == 'I' && second == 'N')
        state->format.unit = UNIT_INCH;
    else
        parm_error("A fájl %d. sorában az <MO> utasítás paramétere hibás.\n", state->line_no);
}

/* OF: the offsets of A and B, in file units. */
static void parm_offset(reader_state *state, int c)
{
    if (c == 'A') {
        if (get_number(&state->format.offset_a, 5, 5) < 0)
            parm_error("A fájl %d. sorában hibás az 'A' értéke.\n", state->line_no);
    } else if (c == 'B') {
        if (get_number(&state->format.offset_b, 5, 5) < 0)
            parm_error("A fájl %d. sorában hibás az 'B' értéke.\n", state->line_no);
    } else {
        parm_error("A fájl %d. sorában hibás az <OF> paramétere: '%c'\n", state->line_no, c);
    }
}

/* SF: the scale factors of A and B. */
static void parm_scale(reader_state *state, int c)
{
    if (cursor_ptr() == nullptr)
        parm_error("A fájl %d. sorában az <SF> utasítás '%c' paraméterének nincs értéke.\n", state->line_no, c);
    if (c != 'A' && c != 'B')
        parm_error("A fájl %d. sorában hibás az <SF> paramétere: '%c'\n", state->line_no, c);
    if (!read_scale(c == 'A' ? &state->format.scale_a : &state->format.scale_b))
        parm_error("A fájl %d. sorában az <SF> utasítás '%c' paraméterének értéke hibás.\n", state->line_no, c);
}

/* Apertures, macros, image and layer parameters are read past to their '*'. */
static void parm_skip(reader_state *state, int code)
{
    if (!skip_to_char('*')) {
        const char *letters = param_codes[code - 1].letters;   /* numbered in table order */
        parm_error("A fájl %d. sorában a(z) <%c%c> utasítás végén nincs '%c' karakter.\n", state->line_no, letters[0],
                   letters[1], '*');
    }
}

static void read_parm_char(reader_state *state, int code, int c)
{
    switch (code) {
    case CODE_AS:
        parm_axis_select(state, c);
        break;
    case CODE_FS:
        parm_format(state, c);
        break;
    case CODE_MO:
        parm_mode(state, c);
        break;
    case CODE_OF:
        parm_offset(state, c);
        break;
    case CODE_SF:
        parm_scale(state, c);
        break;
    default:
        parm_skip(state, code);
        break;
    }
}

/* A code, once named, holds across line ends until a '*'; the block ends at '%'. */
static void get_parm(reader_state *state)
{
    const int block_line = state->line_no;
    int code = CODE_NONE;
    if (skip_blanks() < 0)
        next_block_line(state, block_line);
    for (;;) {
        int c = get_char();
        if (c == -1)
            next_block_line(state, block_line);
        else if (c == '%')
            return;
        else if (c == '*')
            code = CODE_NONE;
        else if (code == CODE_NONE)
            code = read_parm_code(state);
        else
            read_parm_char(state, code, c);
    }
}


/* Adds the segment to the first hole it touches, or to a new hole. */
static void add_to_holes(d_list *Root, const section *part)
{
    bore *hole = search_section(Root, part->x1, part->y1, part->x2, part->y2);
    if (hole == nullptr)
        hole = append_bore(Root);
    add_section(hole, part->x1, part->y1, part->x2, part->y2);
}

static void add_waiting(reader_state *state)
{
    while (state->waited != state->queued)
        add_to_holes(state->holes, &state->waiting[state->waited++ % READ_AHEAD]);
}

/* The reader of the moment and the handler it stands in front of: a
 * diagnostic that the caller survives (a test, a fuzzer) still finds every
 * stroke and flash read before it among the holes. A run that ends at the
 * diagnostic needs no grouping. */
static reader_state *reading_now;
static fatal_handler_fn handler_outside;

static void group_waiting_then_end(int status)
{
    reader_state *state = reading_now;
    reading_now = nullptr;
    set_fatal_handler(handler_outside);
    if (handler_outside == nullptr)
        return;
    if (state != nullptr)
        add_waiting(state);
    handler_outside(status);
}

/* Each stroke or flash waits until a few more are read before it joins the
 * holes, in the same order: meanwhile the memory of its new end point is
 * fetched, which on a large board is most of what grouping waits for. */
static void queue_section(reader_state *state, double x1, double y1, double x2, double y2)
{
    if (state->queued - state->waited == READ_AHEAD)
        add_to_holes(state->holes, &state->waiting[state->waited++ % READ_AHEAD]);
    expect_section(state->holes, x1, y1, x2, y2);
    state->waiting[state->queued++ % READ_AHEAD] = {x1, y1, x2, y2};
}

/* No drilling machine reaches a point a kilometre from the file's origin.
 * Such a point, or one that overflowed to infinity, is refused as a bad
 * coordinate: left in, it would break the drilling order after part of the
 * program had been written. */
static const double REACH_MM = 1.0e6;

/* A coordinate in millimetres, from the decoded file value. */
static void apply_coordinate(reader_state *state, double value, char source, double *cur)
{
    double offset = source == 'A' ? state->format.offset_a : state->format.offset_b;
    double scale = source == 'A' ? state->format.scale_a : state->format.scale_b;
    if (state->format.incremental) {
        value *= scale;
        if (state->format.unit == UNIT_INCH)
            value *= 25.4;
        *cur += value;
    } else {
        value = (value + offset) * scale;
        if (state->format.unit == UNIT_INCH)
            value *= 25.4;
        *cur = value;
    }
}

static int decode_coordinate(reader_state *state, double *value, int int_digits, int dec_digits)
{
    if (state->format.trailing_zeros)
        return get_number(value, int_digits, 0);
    return get_number(value, 0, dec_digits);
}

/* '*': the block end draws, flashes or moves as the modal state says. */
static void block_end(reader_state *state)
{
    if (!state->armed || state->d_mode == D_NONE)
        return;
    if (!(fabs(state->cur_x) <= REACH_MM))
        command_error("A fájl %d. sorában hibás az 'X' koordináta.\n", state->line_no);
    if (!(fabs(state->cur_y) <= REACH_MM))
        command_error("A fájl %d. sorában hibás az 'Y' koordináta.\n", state->line_no);
    if (state->d_mode == D_DRAW)
        queue_section(state, state->prev_x, state->prev_y, state->cur_x, state->cur_y);
    else if (state->d_mode == D_FLASH)
        queue_section(state, state->cur_x, state->cur_y, state->cur_x, state->cur_y);
    state->prev_x = state->cur_x;
    state->prev_y = state->cur_y;
}

/* Skips the rest of the block, up to the '*' that is read next. */
static void skip_block(reader_state *state, int c)
{
    if (!skip_to_char('*'))
        command_error("A fájl %d. sorában az '%c' utasítás végén nincs '%c' karakter.\n", state->line_no, c, '*');
}

/* D: an aperture select arms, D01 to D03 set the mode. The number stays on
 * the line: its first character skips the rest of the block. */
static void d_code(reader_state *state)
{
    int d;
    if (peek_int(&d) < 0)
        command_error("A fájl %d. sorában hibás a 'D' paramétere.\n", state->line_no);
    if (d >= 10)
        state->armed = true;
    else if (d == 1)
        state->d_mode = D_DRAW;
    else if (d == 2)
        state->d_mode = D_MOVE;
    else if (d == 3)
        state->d_mode = D_FLASH;
}

/* G: motions arm, units switch, anything else but G74 and G75 disarms and
 * skips the rest of its block. */
static void g_code(reader_state *state)
{
    int g;
    if (decode_g_number(&g) < 0)
        command_error("A fájl %d. sorában hibás a 'G' paramétere.\n", state->line_no);
    bool motion = g == 0 || g == 1 || g == 2 || g == 3 || g == 54;
    if (motion && state->first_motion) {
        /* Incremental coordinates start from the file's offsets, as written. */
        if (state->format.incremental) {
            state->cur_x = state->format.x_source == 'A' ? state->format.offset_a : state->format.offset_b;
            state->cur_y = state->format.y_source == 'A' ? state->format.offset_a : state->format.offset_b;
        }
        state->first_motion = false;
    }
    if (motion) {
        state->armed = true;
    } else if (g == 20 || g == 70) {
        state->format.unit = UNIT_INCH;
    } else if (g == 21 || g == 71) {
        state->format.unit = UNIT_MM;
    } else if (g != 74 && g != 75) {
        if (!skip_to_char('*'))
            command_error("A fájl %d. sorában a G%d végén nincs '%c' karakter.\n", state->line_no, g, '*');
        state->armed = false;
    }
}

/* M: stops and program ends disarm; the number stays on the line as for D. */
static void m_code(reader_state *state)
{
    int m;
    if (peek_int(&m) < 0)
        command_error("A fájl %d. sorában hibás az 'M' paramétere.\n", state->line_no);
    if (m == 0 || m == 2 || m == 30)
        state->program_end = true;
    if (m == 0 || m == 1 || m == 2 || m == 30 || m == 60)
        state->armed = false;
    else if (!skip_to_char('*'))
        command_error("A fájl %d. sorában az M%d végén nincs '%c' karakter.\n", state->line_no, m, '*');
}

/* X or Y: moves the current point; strokes and flashes happen at the block end. */
static void coordinate(reader_state *state, int axis)
{
    double value;
    if (axis == 'X') {
        if (decode_coordinate(state, &value, state->format.x_int_digits, state->format.x_dec_digits) < 0)
            command_error("A fájl %d. sorában hibás az 'X' koordináta.\n", state->line_no);
        apply_coordinate(state, value, state->format.x_source, &state->cur_x);
    } else {
        if (decode_coordinate(state, &value, state->format.y_int_digits, state->format.y_dec_digits) < 0)
            command_error("A fájl %d. sorában hibás az 'Y' koordináta.\n", state->line_no);
        apply_coordinate(state, value, state->format.y_source, &state->cur_y);
    }
}

static void read_command(reader_state *state, int c)
{
    switch (c) {
    case '%':
        get_parm(state);
        break;
    case '*':
        block_end(state);
        break;
    case 'D':
        d_code(state);
        break;
    case 'G':
        g_code(state);
        break;
    case 'M':
        m_code(state);
        break;
    case 'X':
    case 'Y':
        coordinate(state, c);
        break;
    default:
        /* Anything else skips the rest of the block, D codes included. */
        skip_block(state, c);
        break;
    }
}

int gerber_read(d_list *holes, int fd, int int_digits, gerber_format_t *format)
{
    reader_state reading = {holes, fd, 0, initial_format, 0.0, 0.0, -1.0, -1.0, D_NONE, false, true, false, {}, 0, 0};
    reader_state *state = &reading;
    state->format.x_int_digits = int_digits;
    state->format.y_int_digits = int_digits;
    forget_input();   /* an earlier input may have ended at a diagnostic */
    reading_now = state;
    handler_outside = set_fatal_handler(group_waiting_then_end);
    for (;;) {
        int status = load_line(fd);
        state->line_no++;
        if (status < 0) {
            check_line_status(state, status, "gerber");
            reading_now = nullptr;
            set_fatal_handler(handler_outside);
            add_waiting(state);
            /* Every real file ends its program; one that does not may have been cut. */
            if (!state->program_end)
                print_text(stderr, "Figyelem: a fájlban nincs programvége (M02), lehet, hogy csonka.\n");
            if (format != nullptr)
                *format = state->format;
            return status;
        }
        if (status == 0 || skip_blanks() < 0)
            continue;
        int c;
        while ((c = get_char()) != -1)
            read_command(state, c);
    }
}

int gerber(d_list *holes, int fd, int int_digits)
{
    return gerber_read(holes, fd, int_digits, nullptr);
}
