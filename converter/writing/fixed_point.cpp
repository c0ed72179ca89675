/* fixed_point.cpp - exact fixed-point formatting of doubles.
 *
 * A double is m * 2^e with a 53-bit integer m. Below 1e9 its integer part
 * fits 32 bits; with at most nine decimals the fraction's bits times
 * 10^decimals fit 128, so the fraction's digits and the remainder shifted out
 * are exact, and rounding half to even on them is what printf does on the
 * exact binary value. */
#include "writing/fixed_point.h"

#include <cstdint>
#include <cstring>

static const uint64_t power_of_ten[FIXED_POINT_MAX_DECIMALS + 1] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

/* The integer part of value = mantissa * 2^exponent and its fraction's `decimals` digits, rounded half to
 * even on the exact value; a fraction that rounds up to 10^decimals carries into the integer part. The
 * fraction times 10^decimals fits 128 bits, and no division by a variable is needed. */
static void split_round(uint64_t mantissa, int exponent, int decimals, uint32_t *whole, uint32_t *fraction)
{
    *fraction = 0;
    if (exponent >= 0) {   /* an integer below 1e9 */
        *whole = (uint32_t)(mantissa << exponent);
        return;
    }
    const int shift = -exponent;
    *whole = shift < 64 ? (uint32_t)(mantissa >> shift) : 0;
    if (shift >= 120)   /* the fraction times 10^decimals is below 2^83 * 2^-120: rounds to 0 */
        return;
    const unsigned __int128 bits = shift < 64 ? mantissa & ((UINT64_C(1) << shift) - 1) : mantissa;
    const unsigned __int128 scaled = bits * power_of_ten[decimals];
    const unsigned __int128 digits = scaled >> shift;
    const unsigned __int128 rest = scaled - (digits << shift);
    const unsigned __int128 half = (unsigned __int128)1 << (shift - 1);
    *fraction = (uint32_t)digits;
    /* The last digit written decides a tie: the fraction's, or the integer's where there is none. */
    const uint32_t last = decimals > 0 ? *fraction : *whole;
    if (rest > half || (rest == half && (last & 1)))
        ++*fraction;
    if (*fraction == power_of_ten[decimals]) {
        *fraction = 0;
        ++*whole;
    }
}

/* Writes n's `count` last decimal digits, right to left. */
static void put_digits(char *out, uint32_t n, int count)
{
    while (count > 0) {
        out[--count] = (char)('0' + n % 10);
        n /= 10;
    }
}

/* How many digits n has, at least one. */
static int digit_count(uint32_t n)
{
    int count = 1;
    while (count < 10 && n >= power_of_ten[count])
        count++;
    return count;
}

int format_fixed(char *out, double value, int decimals)
{
    if (decimals < 0 || decimals > FIXED_POINT_MAX_DECIMALS || !(value > -1e9 && value < 1e9))
        return -1;
    uint64_t bits;
    memcpy(&bits, &value, sizeof bits);
    int biased = (int)(bits >> 52 & 0x7FF);
    uint64_t mantissa = bits & ((UINT64_C(1) << 52) - 1);
    if (biased != 0)
        mantissa |= UINT64_C(1) << 52;
    int exponent = (biased != 0 ? biased : 1) - 1075;
    uint32_t whole, fraction;
    split_round(mantissa, exponent, decimals, &whole, &fraction);
    int length = 0;
    if (bits >> 63)
        out[length++] = '-';
    const int whole_digits = digit_count(whole);
    put_digits(out + length, whole, whole_digits);
    length += whole_digits;
    if (decimals > 0) {
        out[length++] = '.';
        put_digits(out + length, fraction, decimals);
        length += decimals;
    }
    return length;
}
