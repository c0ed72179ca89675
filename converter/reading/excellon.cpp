/* excellon.cpp - the Excellon (NC drill) reader: content detection, the
 * header, the body's hits, repeats and slots, number decoding with the
 * zero mode inferred where the file does not state it, and the job's bits. */
#include "reading/excellon.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <tuple>
#include <unistd.h>
#include <unordered_map>
#include <utility>

#include "reading/decimal.h"
#include "reading/line_input.h"
#include "system/tools.h"

long excellon_hit_limit = 0;

namespace {

const double MM_PER_INCH = 25.4;
/* No drilling machine reaches a point a kilometre from the file's origin. */
const double REACH_MM = 1.0e6;
/* Tool diameters that come out equal to this in mm are one bit. */
const double SAME_DIAMETER_MM = 1.0e-6;
/* An arc's end may lie this far off the circle through its start, mm: the
 * rounding of three numbers written with a few decimals. */
const double ARC_END_MM = 0.01;
const double PI = 3.14159265358979323846;
/* The longest tool number (T999999). */
enum { MAX_TOOL_DIGITS = 6 };
/* The longest digit string decoded without a point. */
enum { MAX_DIGITS = 15 };

/* Which zeros the file's numbers keep (Excellon's LZ and TZ name the kept ones). */
enum zeros_t { ZEROS_UNKNOWN, ZEROS_LEADING_KEPT, ZEROS_TRAILING_KEPT, ZEROS_ALL };
/* Where a setting came from, for the description. */
enum origin_t { FROM_DEFAULT, FROM_FILE, FROM_NUMBERS };
/* Drill mode (G05) or routing with rapid (G00), linear (G01) or circular
 * moves, clockwise (G02) or counter-clockwise (G03). */
enum motion_t { MODE_DRILL, MODE_RAPID, MODE_LINEAR, MODE_CW, MODE_CCW };

/* The digit-only coordinate numbers of the whole file, gathered before reading. */
struct number_stats {
    int count = 0;
    int min_len = 0, max_len = 0;
    int leading_zero = 0, trailing_zero = 0;          /* numbers starting / ending with '0' */
    int leading_line = 0, trailing_line = 0;          /* the first line of each kind */
    /* The lines with an X or Y after each T<n> line: what its holes may
     * need, reserved at once rather than grown, which would touch twice the memory. */
    std::unordered_map<int, size_t> coordinate_lines;
};

struct raw_slot {
    excellon_point from, to;
    int line_no;
    bool arc = false;
    excellon_point centre{0.0, 0.0};   /* of an arc */
    double sweep = 0.0;                /* radians from `from` to `to`, negative clockwise */
};

struct tool_rec {
    int number;
    bool has_c = false;          /* a C word gave the diameter ... */
    double c_value = 0.0;        /* ... in the file's unit */
    bool fixed = false;          /* the diameter in mm is settled (first use, or a size comment) */
    double mm = 0.0;
    std::vector<excellon_point> holes;
    std::vector<raw_slot> slots;
};

/* A letter and the number text after it. */
struct word {
    char letter;
    const char *text;
    int len;
};

struct reader {
    int fd = -1;
    int line_no = 0;
    excellon_digits user{0, 0};
    number_stats stats;

    bool metric = false, unit_stated = false;
    int int_digits = 0, dec_digits = 0;   /* both 0: not stated */
    zeros_t zeros = ZEROS_UNKNOWN;
    origin_t zeros_origin = FROM_DEFAULT;
    bool incremental = false;
    bool digit_numbers = false;           /* a number without a point was decoded */

    bool in_header = false, ended = false;
    std::vector<tool_rec> tools;
    std::unordered_map<int, int> tool_at;   /* tool number -> index into tools */
    std::vector<std::string> messages;
    int current = -1;                     /* index into tools; -1: none loaded */
    excellon_point pos{0.0, 0.0};
    motion_t mode = MODE_DRILL;
    bool tool_down = false;
    int path_slot = -1;                   /* the current routed path's last slot, or -1 */
    long hits = 0;
    std::vector<word> words;              /* of the line at hand */
};

/* The coordinates and codes of one body line, acted on at its end. */
struct line_state {
    bool has_x = false, has_y = false, has_x2 = false, has_y2 = false;
    double x = 0, y = 0, x2 = 0, y2 = 0;   /* file units, as decoded */
    bool has_i = false, has_j = false, has_a = false;
    double i = 0, j = 0, a = 0;            /* an arc's centre offsets or radius, file units */
    bool slot = false;                     /* G85: the next coordinates end a slot */
    bool zero_set = false;                 /* G93 */
    bool route_word = false;               /* G00 or G01 on this line */
    long repeat = -1;                      /* R count */
};

bool is_blank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

/* The current line without blanks around it, as [*start, *start + *len). */
void trimmed_line(const char **start, int *len)
{
    int length;
    const char *text = line_text(&length);
    int a = 0, b = length;
    while (a < b && is_blank((unsigned char)text[a]))
        a++;
    while (b > a && is_blank((unsigned char)text[b - 1]))
        b--;
    *start = text + a;
    *len = b - a;
}

bool equals(const char *text, int len, const char *word) { return (int)strlen(word) == len && memcmp(text, word, len) == 0; }

bool starts_with(const char *text, int len, const char *word)
{
    int n = (int)strlen(word);
    return len >= n && memcmp(text, word, n) == 0;
}

/* The text with control bytes spelled \xNN, so that a NUL cannot cut a message short. */
std::string visible(const char *text, size_t len)
{
    std::string shown;
    for (size_t i = 0; i < len; i++) {
        unsigned char c = (unsigned char)text[i];
        char code[8];
        snprintf(code, sizeof code, "\\x%02X", c);
        shown += c < 0x20 || c == 0x7F ? std::string(code) : std::string(1, (char)c);
    }
    return shown;
}
std::string visible(const std::string &text) { return visible(text.data(), text.size()); }

/* A UTF-8 byte-order mark before the first line is no part of it. */
void drop_byte_order_mark(void)
{
    if (line_len >= 3 && memcmp(line_buf, "\xEF\xBB\xBF", 3) == 0) {
        memmove(line_buf, line_buf + 3, (size_t)line_len - 3 + 1);
        line_len -= 3;
    }
}

/* Reads the next line into the line buffer; false at the end of the file. */
bool next_line(reader &r)
{
    int status = load_line(r.fd);
    r.line_no++;
    if (r.line_no == 1)
        drop_byte_order_mark();
    if (status == LINE_TOO_LONG)
        fatal_error("A fájl %d. sora túl hosszú, legföljebb %d bájt lehet.\n", r.line_no, LINE_BUF_SIZE - 1);
    if (status == LINE_READ_ERROR)
        fatal_error("A fájl %d. sorát nem sikerült beolvasni.\n", r.line_no);
    return status >= 0;
}

/* load_line keeps what it read ahead: drop it with every move of the file's position. */
void rewind_input(int fd)
{
    if (lseek(fd, 0, SEEK_SET) != 0)
        fatal_error("Nem sikerült a fájl elejére állni.");
    forget_input();
}

/* ---- detection ---- */

/* A line of Excellon words only: letters each followed by a number. */
bool is_word_line(const char *text, int len)
{
    static const char letters[] = "TXYMGRCFS";
    if (len == 0 || strchr(letters, text[0]) == nullptr || text[0] == '\0')
        return false;
    bool number_after_letter = false;
    for (int i = 0; i < len; i++) {
        char c = text[i];
        if (c != '\0' && strchr(letters, c) != nullptr) {
            number_after_letter = false;
        } else if ((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-') {
            number_after_letter = true;
        } else {
            return false;
        }
    }
    return number_after_letter;
}

/* A header word that a drill file may write before its M48: a unit with its
 * fields, FMAT, VER, ICI, G90. A Gerber file never starts so. */
bool is_header_word(const char *text, int len)
{
    static const char *const names[] = {"INCH", "METRIC", "M71", "M72", "FMAT", "VER", "ICI", "G90"};
    const char *comma = (const char *)memchr(text, ',', len);
    int name_len = comma ? (int)(comma - text) : len;
    if (memchr(text, '*', len) != nullptr)
        return false;
    for (const char *name : names)
        if (equals(text, name_len, name))
            return true;
    return false;
}

}  // namespace

bool is_excellon(int fd)
{
    if (lseek(fd, 0, SEEK_SET) != 0)
        return false;
    forget_input();
    bool first_line = true, header = true, star = false, words = false, other = false, m48 = false;
    int status;
    while ((status = load_line(fd)) >= 0) {
        if (first_line)
            drop_byte_order_mark();
        first_line = false;
        const char *text;
        int len;
        trimmed_line(&text, &len);
        int whole;
        const char *line = line_text(&whole);
        star = star || memchr(line, '*', (size_t)whole) != nullptr;
        if (len == 0 || text[0] == ';' || equals(text, len, "%"))
            continue;
        if (header && equals(text, len, "M48")) {
            m48 = true;
            break;
        }
        header = header && is_header_word(text, len);
        if (header)
            continue;
        if (star || !is_word_line(text, len)) {
            other = true;
            break;
        }
        words = words || text[0] == 'T' || memchr(text, 'X', len) != nullptr || memchr(text, 'Y', len) != nullptr;
    }
    lseek(fd, 0, SEEK_SET);
    forget_input();
    /* Without a '*' no Gerber block ever ends, so no Gerber reading of such a
     * file yields a hole; a line too long or unreadable is left to the Gerber
     * reader to report. */
    return m48 || (status == LINE_EOF && !star && !other && words);
}

std::vector<int> slot_hit_order(int divisions)
{
    std::vector<int> order{0};
    if (divisions == 0)
        return order;
    order.push_back(divisions);
    for (int step = divisions / 2; step >= 1; step /= 2)
        for (int i = step; i < divisions; i += 2 * step)
            order.push_back(i);
    return order;
}

namespace {

/* ---- the numbers of the whole file ---- */

void count_number(number_stats &s, const char *digits, int n, int line_no)
{
    bool nonzero = false;
    for (int i = 0; i < n; i++)
        nonzero = nonzero || digits[i] != '0';
    if (n == 0 || !nonzero)
        return;   /* zero reads alike in every mode */
    s.min_len = s.count == 0 ? n : std::min(s.min_len, n);
    s.max_len = s.count == 0 ? n : std::max(s.max_len, n);
    s.count++;
    if (digits[0] == '0' && s.leading_zero++ == 0)
        s.leading_line = line_no;
    if (digits[n - 1] == '0' && s.trailing_zero++ == 0)
        s.trailing_line = line_no;
}

/* The tool number a line "T<n>..." starts with; -1 for one too long. */
int line_tool(const char *text, int len)
{
    int number = 0, i = 1;
    for (; i < len && i <= MAX_TOOL_DIGITS && isdigit((unsigned char)text[i]); i++)
        number = number * 10 + (text[i] - '0');
    return i < len && isdigit((unsigned char)text[i]) ? -1 : number;
}

/* Every X and Y number written without a point, outside comments, and the
 * lines of coordinates after each tool's number. */
number_stats gather_numbers(reader &r)
{
    number_stats s;
    r.line_no = 0;
    int tool = -1;
    while (next_line(r)) {
        const char *text;
        int len;
        trimmed_line(&text, &len);
        if (len > 0 && text[0] == ';')
            continue;
        if (len > 1 && text[0] == 'T' && isdigit((unsigned char)text[1]))
            tool = line_tool(text, len);
        bool coordinates = false;
        for (int i = 0; i < len; i++) {
            if (text[i] != 'X' && text[i] != 'Y')
                continue;
            coordinates = true;
            int start = i + 1;
            if (start < len && (text[start] == '+' || text[start] == '-'))
                start++;
            int end = start;
            while (end < len && text[end] >= '0' && text[end] <= '9')
                end++;
            if (end < len && text[end] == '.')
                continue;
            count_number(s, text + start, end - start, r.line_no);
        }
        if (coordinates)
            s.coordinate_lines[tool]++;
    }
    rewind_input(r.fd);
    return s;
}

/* ---- the number format ---- */

/* The digits in force: the user's, else the file's, else the unit's default. */
void format_digits(const reader &r, int *whole, int *fraction)
{
    if (r.user.int_digits + r.user.dec_digits > 0)
        *whole = r.user.int_digits, *fraction = r.user.dec_digits;
    else if (r.int_digits + r.dec_digits > 0)
        *whole = r.int_digits, *fraction = r.dec_digits;
    else
        *whole = r.metric ? 3 : 2, *fraction = r.metric ? 3 : 4;
}

/* The zero mode of a file that does not state it, from its numbers: all of
 * one full length, or zeros kept at one end only. */
void infer_zeros(reader &r)
{
    const number_stats &s = r.stats;
    int whole, fraction;
    format_digits(r, &whole, &fraction);
    int total = whole + fraction;
    r.zeros_origin = FROM_NUMBERS;
    if (s.min_len == s.max_len && s.max_len == total) {
        r.zeros = ZEROS_ALL;
    } else if (s.leading_zero > 0 && s.trailing_zero == 0) {
        r.zeros = ZEROS_LEADING_KEPT;
    } else if (s.trailing_zero > 0 && s.leading_zero == 0) {
        r.zeros = ZEROS_TRAILING_KEPT;
    } else if (s.leading_zero == 0 && s.trailing_zero == 0) {
        r.zeros = ZEROS_TRAILING_KEPT;   /* nothing tells: the common choice, and the description says so */
        r.zeros_origin = FROM_DEFAULT;
    } else {
        fatal_error("A fájl %d. sorában a számok ellentmondanak egymásnak: nem dönthető el, hogy a vezető vagy a záró nullák maradnak-e el.\n",
                    std::max(s.leading_line, s.trailing_line));
    }
}

/* What the number text of a word holds. */
struct number_text {
    bool point = false;
    int digits = 0;      /* all of them */
    int decimals = 0;    /* those after the point */
    bool nonzero = false;
    int64_t whole = 0;   /* the digits as a whole number, the point skipped: exact up to MAX_DIGITS of them */
};

/* Reads the number text of a word in one pass: a sign, digits, at most one
 * point, at least one digit; false for anything else. */
bool read_number(const word &w, number_text *n)
{
    int i = 0;
    if (i < w.len && (w.text[i] == '+' || w.text[i] == '-'))
        i++;
    for (; i < w.len; i++) {
        char c = w.text[i];
        if (c == '.' && !n->point) {
            n->point = true;
        } else if (c >= '0' && c <= '9') {
            n->digits++;
            n->decimals += n->point;
            n->nonzero = n->nonzero || c != '0';
            if (n->digits <= MAX_DIGITS)
                n->whole = n->whole * 10 + (c - '0');
        } else {
            return false;
        }
    }
    return n->digits > 0;
}

/* A coordinate word's value in the file's unit. */
double coordinate_value(reader &r, const word &w)
{
    number_text n;
    if (!read_number(w, &n))
        fatal_error("A fájl %d. sorában hibás az '%c' koordináta.\n", r.line_no, w.letter);
    bool negative = w.text[0] == '-';
    if (n.point && n.digits > MAX_DIGITS)
        return strtod(std::string(w.text, w.len).c_str(), nullptr);
    if (n.point) {
        /* The digits and the power of ten are both exact, so the one rounding
         * of the quotient gives strtod's double. */
        double value = (double)n.whole / power_of_ten(n.decimals);
        return negative ? -value : value;
    }
    if (!n.nonzero)
        return 0.0;   /* zero in every format */
    int whole, fraction;
    format_digits(r, &whole, &fraction);
    bool fits = n.digits <= whole + fraction && n.digits <= MAX_DIGITS;
    if (fits && r.zeros == ZEROS_UNKNOWN)
        infer_zeros(r);
    if (!fits || (r.zeros == ZEROS_ALL && n.digits != whole + fraction))
        fatal_error("A fájl %d. sorában az '%c' utáni szám %d számjegyű, ez nem illik a(z) %d.%d számformátumhoz; a fájl számformátuma a -n kapcsolóval adható meg.\n",
                    r.line_no, w.letter, n.digits, whole, fraction);
    r.digit_numbers = true;
    double value = (double)n.whole;
    int shift = r.zeros == ZEROS_LEADING_KEPT ? n.digits - whole : fraction;   /* digits after the point */
    value = shift >= 0 ? value / power_of_ten(shift) : value * power_of_ten(-shift);
    return negative ? -value : value;
}

double unit_mm(const reader &r) { return r.metric ? 1.0 : MM_PER_INCH; }

/* ---- header statements ---- */

/* "000.000": integer and decimal digits. */
bool digit_pattern(const std::string &field, int *whole, int *fraction)
{
    size_t point = field.find('.');
    if (point == std::string::npos || field.find_first_not_of("0.") != std::string::npos ||
        field.find('.', point + 1) != std::string::npos)
        return false;
    *whole = (int)point;
    *fraction = (int)(field.size() - point - 1);
    return *whole + *fraction > 0;
}

std::vector<std::string> split_fields(const char *text, int len)
{
    std::vector<std::string> fields(1);
    for (int i = 0; i < len; i++) {
        if (text[i] == ',')
            fields.emplace_back();
        else
            fields.back() += text[i];
    }
    return fields;
}

/* METRIC or INCH (or M71, M72) with LZ/TZ and a digit pattern. */
void unit_statement(reader &r, const std::vector<std::string> &fields)
{
    r.metric = fields[0] == "METRIC" || fields[0] == "M71";
    r.unit_stated = true;
    for (size_t i = 1; i < fields.size(); i++) {
        int whole, fraction;
        if (fields[i] == "LZ") {
            r.zeros = ZEROS_LEADING_KEPT;
            r.zeros_origin = FROM_FILE;
        } else if (fields[i] == "TZ") {
            r.zeros = ZEROS_TRAILING_KEPT;
            r.zeros_origin = FROM_FILE;
        } else if (digit_pattern(fields[i], &whole, &fraction)) {
            r.int_digits = whole;
            r.dec_digits = fraction;
        } else {
            fatal_error("A fájl %d. sorában hibás a mértékegység paramétere: %s\n", r.line_no,
                        visible(fields[i]).c_str());
        }
    }
    r.zeros_origin = FROM_FILE;
}

bool on_off_keyword(const std::string &name)
{
    static const char *const names[] = {"AFS", "ATC", "BLKD", "CCW", "DETECT", "NCSL", "OSTOP", "RSB", "SBK", "SG", "TCST"};
    for (const char *n : names)
        if (name == n)
            return true;
    return false;
}

/* A line of a keyword and its comma-separated fields. */
void keyword_line(reader &r, const char *text, int len)
{
    std::vector<std::string> fields = split_fields(text, len);
    const std::string &name = fields[0];
    const std::string value = fields.size() > 1 ? fields[1] : "";
    if (name == "METRIC" || name == "INCH" || name == "M71" || name == "M72") {
        unit_statement(r, fields);
    } else if (name == "FMAT" || name == "VER") {
        if (fields.size() != 2 || (value != "1" && value != "2"))
            fatal_error("A fájl %d. sorában hibás a(z) <%s> paramétere.\n", r.line_no, name.c_str());
    } else if (name == "ICI") {
        if (fields.size() > 2 || (value != "" && value != "ON" && value != "OFF"))
            fatal_error("A fájl %d. sorában hibás a(z) <%s> paramétere.\n", r.line_no, name.c_str());
        r.incremental = value != "OFF";
    } else if (name != "R" && !on_off_keyword(name)) {
        /* R,H and the like reset the machine's counters: nothing to drill. */
        fatal_error("A fájl %d. sorában ismeretlen a(z) <%s> utasítás.\n", r.line_no, visible(name.substr(0, 32)).c_str());
    }
}

/* The tool's index in r.tools, adding it when new. */
int tool_index(reader &r, int number)
{
    auto found = r.tool_at.emplace(number, (int)r.tools.size());
    if (found.second) {
        r.tools.push_back(tool_rec{});
        r.tools.back().number = number;
        auto lines = r.stats.coordinate_lines.find(number);
        if (lines != r.stats.coordinate_lines.end())
            r.tools.back().holes.reserve(lines->second);
    }
    return found.first->second;
}

/* Whether some definition gave the tool its diameter. */
bool defined(const reader &r, int number)
{
    auto found = r.tool_at.find(number);
    return found != r.tool_at.end() && (r.tools[found->second].has_c || r.tools[found->second].fixed);
}

/* False when the tool already has a diameter other than `mm`. */
bool agrees(const reader &r, const tool_rec &t, double mm)
{
    if (t.fixed)
        return fabs(t.mm - mm) <= SAME_DIAMETER_MM;
    return !t.has_c || fabs(t.c_value * unit_mm(r) - mm) <= SAME_DIAMETER_MM;
}

/* ";FILE_FORMAT=a:b" and KiCad's ";FORMAT={a:b/ absolute / unit / zeros}". */
void format_comment(reader &r, const std::string &c)
{
    size_t at = c.rfind("FILE_FORMAT=", 0) == 0 ? 12 : c.rfind("FORMAT={", 0) == 0 ? 8 : std::string::npos;
    if (at == std::string::npos)
        return;
    int whole, fraction;
    char colon;
    if (sscanf(c.c_str() + at, "%1d%c%1d", &whole, &colon, &fraction) == 3 && colon == ':') {
        r.int_digits = whole;
        r.dec_digits = fraction;
    }
    if (c.find("keep zeros") != std::string::npos)
        r.zeros = ZEROS_ALL, r.zeros_origin = FROM_FILE;
    else if (c.find("suppress leading zeros") != std::string::npos)
        r.zeros = ZEROS_TRAILING_KEPT, r.zeros_origin = FROM_FILE;
    else if (c.find("suppress trailing zeros") != std::string::npos)
        r.zeros = ZEROS_LEADING_KEPT, r.zeros_origin = FROM_FILE;
}

/* Allegro's ";T01 Holesize 1. = 8.000000 Tolerance = ... PLATED MILS Quantity = 1873". */
void holesize_comment(reader &r, const std::string &c)
{
    size_t digits = c.empty() || c[0] != 'T' ? 0 : strspn(c.c_str() + 1, "0123456789");
    size_t used = c.find_first_not_of(" \t", 1 + digits);
    if (digits == 0 || used == std::string::npos || c.compare(used, 8, "Holesize") != 0)
        return;
    used += 8;
    /* sscanf would wrap T4294967297 round to tool 1 */
    int number = digits <= MAX_TOOL_DIGITS ? atoi(c.c_str() + 1) : -1;
    size_t equal = c.find('=', used);
    double size = 0.0;   /* stays 0, and is refused, when no number follows the '=' */
    if (equal != std::string::npos)
        sscanf(c.c_str() + equal + 1, "%lf", &size);
    bool in_mils = c.find(" MILS") != std::string::npos, in_mm = c.find(" MM") != std::string::npos;
    double mm = in_mils ? size * MM_PER_INCH / 1000.0 : size;
    if (in_mils == in_mm || !(mm > 0.0 && mm < 1000.0) || number < 0)
        fatal_error("A fájl %d. sorában hibás a furatméret megjegyzése.\n", r.line_no);
    tool_rec &t = r.tools[tool_index(r, number)];
    if (!agrees(r, t, mm))
        fatal_error("A fájl %d. sorában a T%d szerszám átmérője eltér a korábbitól.\n", r.line_no, number);
    t.fixed = true;
    t.mm = mm;
}

/* M47 and its text: shown to the operator, nothing drilled. */
void operator_message(reader &r, const char *text, int len)
{
    int from = len > 3 ? 4 : 3;   /* after "M47," */
    r.messages.push_back(visible(text + from, (size_t)(len - from)));
}

void comment_line(reader &r, const char *text, int len)
{
    std::string c(text + 1, len - 1);
    c.erase(0, c.find_first_not_of(" \t"));
    format_comment(r, c);
    holesize_comment(r, c);
}

/* ---- words ---- */

/* The line's words into `words`, which every line reuses; any other character ends the run. */
void split_words(reader &r, const char *text, int len, std::vector<word> &words)
{
    words.clear();
    int i = 0;
    while (i < len) {
        char c = text[i];
        if (is_blank((unsigned char)c)) {
            i++;
            continue;
        }
        if (c < 'A' || c > 'Z')
            fatal_error("A fájl %d. sorában ismeretlen a(z) '%s' utasítás.\n", r.line_no, visible(&c, 1).c_str());
        int start = ++i;
        while (i < len && (isdigit((unsigned char)text[i]) || text[i] == '.' || text[i] == '+' || text[i] == '-'))
            i++;
        words.push_back({c, text + start, i - start});
    }
}

/* A whole number after a letter (T, G, M, R). */
long word_integer(reader &r, const word &w)
{
    number_text n;
    if (!read_number(w, &n) || n.point || w.text[0] == '-' || w.text[0] == '+' || n.digits > 6)
        fatal_error("A fájl %d. sorában hibás a(z) '%c' paramétere.\n", r.line_no, w.letter);
    return (long)n.whole;
}

/* T<n> and its C, F and S words; returns the index of the first word after them. */
size_t tool_words(reader &r, const std::vector<word> &words, size_t i)
{
    int number = (int)word_integer(r, words[i]);
    for (i++; i < words.size() && strchr("CFS", words[i].letter) != nullptr; i++) {
        if (words[i].letter != 'C')
            continue;   /* feed and speed are the machine's business */
        double value = coordinate_value(r, words[i]);
        if (!(value > 0.0 && value * unit_mm(r) < 1000.0))
            fatal_error("A fájl %d. sorában hibás a szerszám átmérője.\n", r.line_no);
        tool_rec &t = r.tools[tool_index(r, number)];
        if (!agrees(r, t, value * unit_mm(r)))
            fatal_error("A fájl %d. sorában a T%d szerszám átmérője eltér a korábbitól.\n", r.line_no, number);
        t.has_c = true;
        t.c_value = value;
        /* In the unit in force here; only a file that has stated none yet
         * leaves it to the first hit (a unit given in the body). */
        if (r.unit_stated && !t.fixed) {
            t.fixed = true;
            t.mm = value * unit_mm(r);
        }
    }
    if (!r.in_header) {
        /* T0 unloads, unless a definition made it a tool like any other. */
        r.current = number == 0 && !defined(r, 0) ? -1 : tool_index(r, number);
        r.path_slot = -1;
    }
    return i;
}

void g_code(reader &r, line_state &s, const word &w)
{
    long g = word_integer(r, w);
    if (g >= 0 && g <= 3) {
        static const motion_t modes[] = {MODE_RAPID, MODE_LINEAR, MODE_CW, MODE_CCW};
        r.mode = modes[g];
        s.route_word = true;
    } else if (g == 5 || g == 81) {
        r.mode = MODE_DRILL;
        r.tool_down = false;
        r.path_slot = -1;
    } else if (g == 85) {
        s.slot = true;
    } else if (g == 90 || g == 91) {
        r.incremental = g == 91;
    } else if (g == 93) {
        s.zero_set = true;
    } else {
        fatal_error("A fájl %d. sorában ismeretlen a(z) %c%ld utasítás.\n", r.line_no, 'G', g);
    }
}

void m_code(reader &r, const word &w)
{
    long m = word_integer(r, w);
    if (m == 15) {
        r.tool_down = true;
        r.path_slot = -1;
    } else if (m == 16 || m == 17) {
        r.tool_down = false;
        r.path_slot = -1;
    } else if (m == 30 || m == 0 || m == 2) {
        r.ended = true;
    } else if (m == 71 || m == 72) {
        r.metric = m == 71;
        r.unit_stated = true;
    } else if (m == 48 || m == 95) {
        r.in_header = m == 48;
    } else {
        fatal_error("A fájl %d. sorában ismeretlen a(z) %c%ld utasítás.\n", r.line_no, 'M', m);
    }
}

/* ---- what a line does ---- */

/* The settled diameter of the loaded tool, for its first hit. */
tool_rec &loaded_tool(reader &r)
{
    if (r.current < 0)
        fatal_error("A fájl %d. sorában furat áll, de nincs kiválasztott szerszám.\n", r.line_no);
    tool_rec &t = r.tools[r.current];
    if (!t.fixed && !t.has_c)
        fatal_error("A fájl %d. sorában a T%d szerszámnak nincs megadva az átmérője.\n", r.line_no, t.number);
    if (!t.fixed) {
        t.fixed = true;
        t.mm = t.c_value * unit_mm(r);
    }
    return t;
}

void count_hits(reader &r, long more)
{
    r.hits += more;
    if (excellon_hit_limit > 0 && r.hits > excellon_hit_limit)
        fatal_error("A fájl %d. sorában túl sok a furat: legföljebb %ld lehet.\n", r.line_no, excellon_hit_limit);
}

/* A position in mm from the line's coordinates; an axis not given keeps its value. */
excellon_point resolve(reader &r, excellon_point from, bool has_x, double x, bool has_y, double y, bool relative)
{
    excellon_point p = from;
    if (has_x)
        p.x = relative ? from.x + x * unit_mm(r) : x * unit_mm(r);
    if (has_y)
        p.y = relative ? from.y + y * unit_mm(r) : y * unit_mm(r);
    if (!(fabs(p.x) <= REACH_MM))
        fatal_error("A fájl %d. sorában hibás az 'X' koordináta.\n", r.line_no);
    if (!(fabs(p.y) <= REACH_MM))
        fatal_error("A fájl %d. sorában hibás az 'Y' koordináta.\n", r.line_no);
    return p;
}

void add_hole(reader &r, excellon_point p)
{
    count_hits(r, 1);
    loaded_tool(r).holes.push_back(p);
}

bool same_point(excellon_point a, excellon_point b) { return a.x == b.x && a.y == b.y; }

/* A routed cut. A cut that goes on along the line of the path's previous
 * one (a path to one end of an oval and back across it) widens that slot. */
void add_cut(reader &r, excellon_point from, excellon_point to)
{
    tool_rec &t = loaded_tool(r);
    if (same_point(from, to))
        return;
    if (r.path_slot >= 0) {
        raw_slot &s = t.slots[r.path_slot];
        double dx = s.to.x - s.from.x, dy = s.to.y - s.from.y, ex = to.x - from.x, ey = to.y - from.y;
        double length = hypot(dx, dy);
        if (same_point(s.to, from) && fabs(dx * ey - dy * ex) <= 1e-9 * length * hypot(ex, ey)) {
            double along = ((to.x - s.from.x) * dx + (to.y - s.from.y) * dy) / length;
            if (along < 0.0)
                s.from = to;
            else if (along > length)
                s.to = to;
            return;
        }
    }
    t.slots.push_back({from, to, r.line_no});
    r.path_slot = (int)t.slots.size() - 1;
}

[[noreturn]] void bad_arc(const reader &r)
{
    fatal_error("A fájl %d. sorában hibás az ív: a végpontjai, a sugara és a középpontja nem illenek össze, vagy túl messzire ér.\n",
                r.line_no);
}

/* The centre of a G02/G03 arc given by its radius A: the shorter arc for a
 * positive radius, the longer for a negative one. */
excellon_point centre_from_radius(const reader &r, bool clockwise, double radius, excellon_point from,
                                  excellon_point to)
{
    double dx = to.x - from.x, dy = to.y - from.y, chord = hypot(dx, dy);
    if (chord == 0.0 || radius == 0.0 || chord > 2.0 * fabs(radius) + ARC_END_MM)
        bad_arc(r);
    double h = sqrt(std::max(0.0, radius * radius - chord * chord / 4.0));
    /* Clockwise along the shorter arc, the centre lies right of the chord. */
    double side = clockwise == (radius > 0.0) ? 1.0 : -1.0;
    return {(from.x + to.x) / 2.0 + side * h * dy / chord, (from.y + to.y) / 2.0 - side * h * dx / chord};
}

/* A cut along an arc from `from` to `to`, its centre by I/J (relative to
 * the start) or by the radius A; start = end with I/J is a full circle. */
void add_arc(reader &r, const line_state &s, excellon_point from, excellon_point to)
{
    tool_rec &t = loaded_tool(r);
    bool clockwise = r.mode == MODE_CW;
    raw_slot slot{from, to, r.line_no, true, {0.0, 0.0}, 0.0};
    if (s.has_a && (s.has_i || s.has_j))
        bad_arc(r);
    if (s.has_a)
        slot.centre = centre_from_radius(r, clockwise, s.a * unit_mm(r), from, to);
    else
        slot.centre = {from.x + s.i * unit_mm(r), from.y + s.j * unit_mm(r)};
    excellon_point c = slot.centre;
    double radius = hypot(from.x - c.x, from.y - c.y);
    if (!(radius > 0.0) || fabs(hypot(to.x - c.x, to.y - c.y) - radius) > ARC_END_MM ||
        !(fabs(c.x) + radius <= REACH_MM && fabs(c.y) + radius <= REACH_MM))
        bad_arc(r);
    double sweep = atan2(to.y - c.y, to.x - c.x) - atan2(from.y - c.y, from.x - c.x);
    if (same_point(from, to))
        sweep = 0.0;
    if (clockwise && sweep >= 0.0)
        sweep -= 2.0 * PI;
    else if (!clockwise && sweep <= 0.0)
        sweep += 2.0 * PI;
    slot.sweep = sweep;
    t.slots.push_back(slot);
    r.path_slot = -1;
}

/* R<n>: n more hits, each a step from the one before. */
void repeat_hits(reader &r, const line_state &s)
{
    if (r.mode != MODE_DRILL)
        fatal_error("A fájl %d. sorában ismétlés áll marás közben.\n", r.line_no);
    count_hits(r, s.repeat);
    tool_rec &t = loaded_tool(r);
    for (long k = 0; k < s.repeat; k++) {
        r.pos = resolve(r, r.pos, s.has_x, s.x, s.has_y, s.y, true);
        t.holes.push_back(r.pos);
    }
}

/* A coordinate while routing: a cut with the tool down on G01, G02 or G03, else a move. */
void route_move(reader &r, const line_state &s)
{
    excellon_point to = resolve(r, r.pos, s.has_x, s.x, s.has_y, s.y, r.incremental);
    if (r.mode == MODE_LINEAR && r.tool_down)
        add_cut(r, r.pos, to);
    else if ((r.mode == MODE_CW || r.mode == MODE_CCW) && r.tool_down)
        add_arc(r, s, r.pos, to);
    else if (!s.route_word)
        fatal_error("A fájl %d. sorában a koordináta marás közben, felemelt szerszámmal, G00 és G01 nélkül áll: nem tudni, furat-e.\n", r.line_no);
    r.pos = to;
}

void act(reader &r, const line_state &s)
{
    bool arc = r.mode == MODE_CW || r.mode == MODE_CCW;
    bool coordinates = s.has_x || s.has_y || (arc && (s.has_i || s.has_j));
    if ((s.has_i || s.has_j || s.has_a) && !arc)
        fatal_error("A fájl %d. sorában ív adata (I, J, A) áll G02 vagy G03 nélkül.\n", r.line_no);
    if (s.zero_set) {
        /* Readers disagree on what a zero set moves; only the origin itself is certain. */
        if ((s.has_x && s.x != 0.0) || (s.has_y && s.y != 0.0))
            fatal_error("A fájl %d. sorában G93 helyezi át a nullpontot; ezt az olvasók eltérően értik, ezért a fájl nem alakítható át.\n",
                        r.line_no);
        return;
    }
    if (r.in_header && (coordinates || s.slot || s.repeat >= 0))
        fatal_error("A fájl %d. sorában a fejlécben koordináta áll.\n", r.line_no);
    if (s.slot) {
        if (!(s.has_x2 || s.has_y2))
            fatal_error("A fájl %d. sorában a G85 után nincs koordináta.\n", r.line_no);
        excellon_point from = resolve(r, r.pos, s.has_x, s.x, s.has_y, s.y, r.incremental);
        excellon_point to = resolve(r, from, s.has_x2, s.x2, s.has_y2, s.y2, r.incremental);
        tool_rec &t = loaded_tool(r);
        t.slots.push_back({from, to, r.line_no});
        r.pos = to;
    } else if (s.repeat >= 0) {
        repeat_hits(r, s);
    } else if (coordinates && r.mode != MODE_DRILL) {
        route_move(r, s);
    } else if (coordinates) {
        r.pos = resolve(r, r.pos, s.has_x, s.x, s.has_y, s.y, r.incremental);
        add_hole(r, r.pos);
    }
}

void coordinate_word(reader &r, line_state &s, const word &w)
{
    double value = coordinate_value(r, w);
    bool second = s.slot;
    bool &has = w.letter == 'X' ? (second ? s.has_x2 : s.has_x) : (second ? s.has_y2 : s.has_y);
    double &target = w.letter == 'X' ? (second ? s.x2 : s.x) : (second ? s.y2 : s.y);
    if (has)
        fatal_error("A fájl %d. sorában kétszer áll az '%c' koordináta.\n", r.line_no, w.letter);
    has = true;
    target = value;
}

void arc_word(reader &r, line_state &s, const word &w)
{
    double value = coordinate_value(r, w);
    bool &has = w.letter == 'I' ? s.has_i : w.letter == 'J' ? s.has_j : s.has_a;
    double &target = w.letter == 'I' ? s.i : w.letter == 'J' ? s.j : s.a;
    if (has)
        fatal_error("A fájl %d. sorában kétszer áll az '%c' koordináta.\n", r.line_no, w.letter);
    has = true;
    target = value;
}

void word_line(reader &r, const char *text, int len)
{
    std::vector<word> &words = r.words;
    split_words(r, text, len, words);
    line_state s;
    for (size_t i = 0; i < words.size();) {
        const word &w = words[i];
        if (w.letter == 'T') {
            i = tool_words(r, words, i);
            continue;
        }
        if (w.letter == 'X' || w.letter == 'Y')
            coordinate_word(r, s, w);
        else if (w.letter == 'I' || w.letter == 'J' || w.letter == 'A')
            arc_word(r, s, w);
        else if (w.letter == 'G')
            g_code(r, s, w);
        else if (w.letter == 'M')
            m_code(r, w);
        else if (w.letter == 'R' && s.repeat < 0 && !s.slot)
            s.repeat = word_integer(r, w);
        else
            fatal_error("A fájl %d. sorában ismeretlen a(z) '%c' utasítás.\n", r.line_no, w.letter);
        i++;
    }
    act(r, s);
}

void read_line_of_file(reader &r)
{
    const char *text;
    int len;
    trimmed_line(&text, &len);
    if (len == 0)
        return;
    if (text[0] == ';') {
        comment_line(r, text, len);
    } else if (equals(text, len, "M47") || starts_with(text, len, "M47,")) {
        operator_message(r, text, len);
    } else if (starts_with(text, len, "M71,") || starts_with(text, len, "M72,")) {
        keyword_line(r, text, len);
    } else if (equals(text, len, "%")) {
        r.in_header = false;   /* the header's end; elsewhere a rewind stop */
    } else if (equals(text, len, "/")) {
        /* an empty block */
    } else if (len >= 2 && text[0] >= 'A' && text[0] <= 'Z' && (isupper((unsigned char)text[1]) || text[1] == ',')) {
        keyword_line(r, text, len);
    } else {
        word_line(r, text, len);
    }
}

/* ---- the job ---- */

/* The widest spacing of hits whose ridge stays at most SLOT_RIDGE_MM. */
double hit_spacing(double diameter)
{
    double r = diameter / 2.0, h = SLOT_RIDGE_MM;
    if (r <= h)
        return r;
    return 2.0 * sqrt(r * r - (r - h) * (r - h));
}

/* The distance between neighbouring hits of the slot cut into `divisions`. */
double hit_distance(const raw_slot &raw, int divisions)
{
    if (!raw.arc)
        return hypot(raw.to.x - raw.from.x, raw.to.y - raw.from.y) / divisions;
    double angle = fabs(raw.sweep) / divisions;
    /* More than half a turn apart, hits leave the arc between them uncut. */
    return angle > PI ? INFINITY : 2.0 * hypot(raw.from.x - raw.centre.x, raw.from.y - raw.centre.y) * sin(angle / 2.0);
}

/* The point a fraction t of the way along the slot. */
excellon_point slot_point(const raw_slot &raw, double t)
{
    if (!raw.arc)
        return {raw.from.x + (raw.to.x - raw.from.x) * t, raw.from.y + (raw.to.y - raw.from.y) * t};
    double radius = hypot(raw.from.x - raw.centre.x, raw.from.y - raw.centre.y);
    double angle = atan2(raw.from.y - raw.centre.y, raw.from.x - raw.centre.x) + raw.sweep * t;
    return {raw.centre.x + radius * cos(angle), raw.centre.y + radius * sin(angle)};
}

excellon_slot expand_slot(reader &r, const raw_slot &raw, double diameter)
{
    excellon_slot slot{raw.from, raw.to, {}};
    bool full_circle = raw.arc && same_point(raw.from, raw.to);
    double spacing = hit_spacing(diameter);
    int divisions = raw.arc || !same_point(raw.from, raw.to) ? 1 : 0;
    while (divisions > 0 && hit_distance(raw, divisions) > spacing) {
        divisions *= 2;
        if (divisions > SLOT_MAX_DIVISIONS)
            fatal_error("A fájl %d. sorában a horony túl hosszú a szerszámhoz: legföljebb %d furatból állhat.\n",
                        raw.line_no, (int)SLOT_MAX_DIVISIONS + 1);
    }
    r.line_no = raw.line_no;
    count_hits(r, full_circle ? divisions : divisions + 1);
    for (int i : slot_hit_order(divisions)) {
        if (i == divisions && full_circle)
            continue;   /* the start again */
        slot.hits.push_back(i == 0 ? raw.from : i == divisions ? raw.to : slot_point(raw, (double)i / divisions));
    }
    return slot;
}

/* A slot's path whichever way it was cut: a second copy drills nothing new. */
std::tuple<double, double, double, double, double, double, double> path_key(const raw_slot &s)
{
    bool reverse = s.arc ? s.sweep < 0.0 : std::make_pair(s.to.x, s.to.y) < std::make_pair(s.from.x, s.from.y);
    excellon_point a = reverse ? s.to : s.from, b = reverse ? s.from : s.to;
    /* + 0.0 makes -0.0 the same key as 0.0 */
    return std::make_tuple(a.x + 0.0, a.y + 0.0, b.x + 0.0, b.y + 0.0, s.centre.x + 0.0, s.centre.y + 0.0,
                           fabs(s.sweep));
}

/* A position and where it stands in the file. */
struct placed_point {
    excellon_point p;
    size_t at;
};

/* Keeps each position once, where it first stands. Sorting keeps this fast
 * for a million hits, where a tree of positions is not. */
void keep_first_positions(std::vector<excellon_point> &points)
{
    std::vector<placed_point> order(points.size());
    for (size_t i = 0; i < order.size(); i++)
        order[i] = {points[i], i};
    std::sort(order.begin(), order.end(), [](const placed_point &a, const placed_point &b) {
        return a.p.x != b.p.x ? a.p.x < b.p.x : a.p.y != b.p.y ? a.p.y < b.p.y : a.at < b.at;
    });
    std::vector<char> repeated(points.size(), 0);
    for (size_t k = 1; k < order.size(); k++)
        repeated[order[k].at] = same_point(order[k].p, order[k - 1].p);
    size_t kept = 0;
    for (size_t i = 0; i < points.size(); i++)
        if (!repeated[i])
            points[kept++] = points[i];
    points.resize(kept);
}

std::vector<excellon_bit> make_bits(reader &r)
{
    std::vector<tool_rec *> used;
    for (tool_rec &t : r.tools)
        if (!t.holes.empty() || !t.slots.empty())
            used.push_back(&t);
    std::sort(used.begin(), used.end(), [](const tool_rec *a, const tool_rec *b) {
        return a->mm != b->mm ? a->mm < b->mm : a->number < b->number;
    });
    std::vector<excellon_bit> bits;
    std::set<decltype(path_key(raw_slot{}))> paths;   /* of the last bit */
    for (tool_rec *t : used) {
        if (bits.empty() || t->mm - bits.back().diameter > SAME_DIAMETER_MM) {
            bits.push_back(excellon_bit{t->mm, {}, {}, {}});
            paths.clear();
        }
        excellon_bit &bit = bits.back();
        bit.tools.push_back(t->number);
        if (bit.holes.empty())
            bit.holes = std::move(t->holes);   /* a bit of one tool: no copy */
        else
            bit.holes.insert(bit.holes.end(), t->holes.begin(), t->holes.end());
        for (const raw_slot &s : t->slots)
            if (paths.insert(path_key(s)).second)
                bit.slots.push_back(expand_slot(r, s, bit.diameter));
    }
    for (excellon_bit &bit : bits)
        keep_first_positions(bit.holes);
    return bits;
}

std::string describe(const reader &r)
{
    std::string text = r.metric ? "mm" : "hüvelyk";
    if (!r.unit_stated)
        text += " (feltételezve)";
    if (!r.digit_numbers)
        return text + ", tizedesponttal írt számok";
    bool user = r.user.int_digits + r.user.dec_digits > 0;
    bool stated = r.int_digits + r.dec_digits > 0;
    int whole, fraction;
    format_digits(r, &whole, &fraction);
    text += ", " + std::to_string(whole) + "." + std::to_string(fraction);
    text += user ? " (a -n kapcsolóból)" : stated ? "" : " (feltételezve)";
    text += r.zeros == ZEROS_LEADING_KEPT    ? ", a vezető nullák megmaradnak"
            : r.zeros == ZEROS_TRAILING_KEPT ? ", a záró nullák megmaradnak"
                                             : ", minden számjegy kiírva";
    text += r.zeros_origin == FROM_NUMBERS ? " (a számokból)" : r.zeros_origin == FROM_DEFAULT ? " (feltételezve)" : "";
    return text;
}

}  // namespace

excellon_job read_excellon(int fd, excellon_digits digits)
{
    reader r;
    r.fd = fd;
    if (digits.int_digits < 0 || digits.int_digits > 9 || digits.dec_digits < 0 || digits.dec_digits > 9 ||
        digits.int_digits + digits.dec_digits > MAX_DIGITS)
        fatal_error("Hibás a megadott számformátum: %d.%d", digits.int_digits, digits.dec_digits);
    r.user = digits;
    rewind_input(fd);
    r.stats = gather_numbers(r);
    r.line_no = 0;
    while (!r.ended && next_line(r))
        read_line_of_file(r);
    /* A file cut short may end inside a number, read then in a wrong place. */
    if (!r.ended)
        fatal_error("A fájl nem ér véget M30 sorral, lehet, hogy csonka.");
    excellon_job job;
    job.bits = make_bits(r);
    if (job.bits.empty())
        fatal_error("A fájlban nincs furat.");
    job.format = describe(r);
    job.messages = r.messages;
    return job;
}
