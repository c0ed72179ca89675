/* decimal.h - the reader's numbers as strtod and pow give them, faster.
 *
 * A coordinate without a point is the fraction 0.d1d2...dn of its digits,
 * scaled by a power of ten; a board of a million holes decodes two million of
 * them, and strtod and pow were a large share of reading it. */
#ifndef DECIMAL_H
#define DECIMAL_H

/* strtod("0.<digits>") for `count` ASCII digits. */
double digits_fraction(const char *digits, int count);
/* pow(10, exponent). */
double power_of_ten(int exponent);

#endif
