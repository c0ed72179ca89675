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

#include <vector>

#include "holes/drill_job.h"

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

/* True when the seekable file is Excellon: M48 follows only header words
 * among its significant lines (not blank, not a ';' comment, not a lone '%'):
 * INCH, METRIC, M71 or M72 with their fields, FMAT, VER, ICI, G90. Or it
 * holds no '*' at all and every other line is made of Excellon words (T, X,
 * Y, M, G, R and the tool's C, F, S). Such a file can never convert as
 * Gerber. A UTF-8 byte-order mark before the first line is skipped. The
 * file position is back at the start afterwards. */
bool is_excellon(int fd);

/* Reads the whole seekable file, from its start, into the job. A file that
 * does not end with a program end (M30, M00, M02) may have been cut short:
 * a diagnostic too. */
excellon_job read_excellon(int fd, excellon_digits digits);

/* The drilling order of a slot's hits for `divisions` equal intervals, as
 * indices 0 ... divisions: 0, divisions, then the midpoints by halving.
 * `divisions` is a power of two. */
std::vector<int> slot_hit_order(int divisions);

#endif
