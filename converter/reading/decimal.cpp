/* decimal.cpp - the fraction of a digit string and the powers of ten. */
#include "reading/decimal.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

/* Exponents outside this range are computed each time. */
enum { KEPT_EXPONENTS = 128 };

/* Up to 15 digits the integer d1...dn and 10^n are exact doubles, so their
 * quotient is the correctly rounded value strtod gives. */
double digits_fraction(const char *digits, int count)
{
    static const double exact_powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (count > 15)
        return strtod(("0." + std::string(digits, (size_t)count)).c_str(), nullptr);
    int64_t whole = 0;
    for (int i = 0; i < count; i++)
        whole = whole * 10 + (digits[i] - '0');
    return (double)whole / exact_powers[count];
}

/* Computed once for each exponent: every coordinate of a file scales by the same few. */
double power_of_ten(int exponent)
{
    static double known[2 * KEPT_EXPONENTS + 1];
    static bool computed[2 * KEPT_EXPONENTS + 1];
    if (exponent < -KEPT_EXPONENTS || exponent > KEPT_EXPONENTS)
        return pow(10.0, exponent);
    int slot = exponent + KEPT_EXPONENTS;
    if (!computed[slot]) {
        known[slot] = pow(10.0, exponent);
        computed[slot] = true;
    }
    return known[slot];
}
