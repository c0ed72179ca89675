/* excellon.h - the Excellon (NC drill) reader.
 *
 * is_excellon() tells an Excellon file from a Gerber file by its content.
 * read_excellon() reads the whole file into a drilling job: one bit per
 * diameter, each with the file's tool numbers, its holes and its slots, all
 * in millimetres as the file places them (no move onto the corner yet).
 * Anything the reader does not understand ends the process with a
 * line-numbered diagnostic; so does a file without holes. */
#ifndef EXCELLON_H
#define EXCELLON_H

#include <string>
#include <vector>

typedef struct excellon_point {
    double x, y;
} excellon_point;

/* A slot milled as a row of overlapping hits of its bit. `hits` is the
 * drilling order when the slot is entered at `from`: both ends, then the
 * midpoints by repeated halving. Entered at `to`, drill hits[1] first, then
 * hits[0], then the rest as listed: every later hit lies midway between two
 * drilled ones, so the bit never cuts sideways into a fresh hole. */
typedef struct excellon_slot {
    excellon_point from, to;
    std::vector<excellon_point> hits;
} excellon_slot;

/* One drill bit: every tool of the file with this diameter. */
typedef struct excellon_bit {
    double diameter;                     /* mm */
    std::vector<int> tools;              /* the file's tool numbers, ascending */
    std::vector<excellon_point> holes;   /* file order, each position once */
    std::vector<excellon_slot> slots;    /* file order */
} excellon_bit;

typedef struct excellon_job {
    std::vector<excellon_bit> bits;      /* ascending diameter, each with a hole or a slot */
    std::string format;                  /* what the reading used, one Hungarian line in UTF-8:
                                            goes out through console_text like a fixed text */
} excellon_job;

/* Integer and decimal digits of the file's numbers given by the user (-n),
 * overriding what the file states; {0, 0} for none. Each 0 ... 9, at most
 * 15 together. */
typedef struct excellon_digits {
    int int_digits, dec_digits;
} excellon_digits;

/* The ridge left between neighbouring hits of a slot is at most this high, mm. */
const double SLOT_RIDGE_MM = 0.02;
/* At most this many intervals between the ends of one slot. */
enum { SLOT_MAX_DIVISIONS = 4096 };
/* The most holes and slot hits one job may hold; 0, the default, for no limit.
 * Set only by the fuzz target, whose short inputs could otherwise repeat
 * (R) into millions of hits and slow every run down. */
extern long excellon_hit_limit;

/* True when the seekable file is Excellon: its first significant line (not
 * blank, not a ';' comment, not a lone '%') is M48, or it holds no '*' at
 * all and every other line is made of Excellon words (T, X, Y, M, G, R and
 * the tool's C, F, S). Such a file can never convert as Gerber. The file
 * position is back at the start afterwards. */
bool is_excellon(int fd);

/* Reads the whole seekable file, from its start, into the job. */
excellon_job read_excellon(int fd, excellon_digits digits);

/* The drilling order of a slot's hits for `divisions` equal intervals, as
 * indices 0 ... divisions: 0, divisions, then the midpoints by halving.
 * `divisions` is a power of two. */
std::vector<int> slot_hit_order(int divisions);

#endif
