/* fixed_point.h - a double in fixed-point notation, as printf's "%.*f" writes it.
 *
 * The program file holds three numbers a hole; printf's general conversion
 * was a large share of writing it. This one covers the values a program can
 * hold and rounds the exact binary value half to even, as glibc does. */
#ifndef FIXED_POINT_H
#define FIXED_POINT_H

enum { FIXED_POINT_MAX_DECIMALS = 9, FIXED_POINT_MAX_LENGTH = 24 };

/* Writes `value` with `decimals` digits after the point into `out` (room for
 * FIXED_POINT_MAX_LENGTH bytes, no NUL) and returns the length; -1, writing
 * nothing, for a value or precision it does not cover (|value| >= 1e9, NaN,
 * infinities, more than FIXED_POINT_MAX_DECIMALS digits), which snprintf must
 * take instead. */
int format_fixed(char *out, double value, int decimals);

#endif
