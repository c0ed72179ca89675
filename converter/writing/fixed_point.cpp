/* fixed_point.cpp - exact fixed-point formatting of doubles.
 *
 * A double is m * 2^e with a 53-bit integer m. Below 1e9 and with at most
 * nine decimals, m * 10^decimals fits 128 bits, so the scaled value's integer
 * part and the remainder shifted out are exact, and rounding half to even on
 * them is what printf does on the exact binary value. */
#include "writing/fixed_point.h"

#include <cstdint>
#include <cstring>

static const uint64_t power_of_ten[FIXED_POINT_MAX_DECIMALS + 1] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

/* value * 10^decimals rounded half to even, for finite |value| < 1e9. */
static uint64_t scaled_round(uint64_t mantissa, int exponent, int decimals)
{
    unsigned __int128 scaled = (unsigned __int128)mantissa * power_of_ten[decimals];
    if (exponent >= 0)
        return (uint64_t)(scaled << exponent);
    int shift = -exponent;
    if (shift >= 120)   /* the scaled value is below 2^83 * 2^-120: rounds to 0 */
        return 0;
    unsigned __int128 whole = scaled >> shift;
    unsigned __int128 rest = scaled - (whole << shift);
    unsigned __int128 half = (unsigned __int128)1 << (shift - 1);
    if (rest > half || (rest == half && (whole & 1)))
        whole++;
    return (uint64_t)whole;
}

/* Decimal digits of n, most significant first, at least `min_digits` of them. */
static int put_digits(char *out, uint64_t n, int min_digits)
{
    char reversed[24];
    int count = 0;
    do {
        reversed[count++] = (char)('0' + n % 10);
        n /= 10;
    } while (n != 0 || count < min_digits);
    for (int i = 0; i < count; i++)
        out[i] = reversed[count - 1 - i];
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
    uint64_t scaled = scaled_round(mantissa, exponent, decimals);
    int length = 0;
    if (bits >> 63)
        out[length++] = '-';
    length += put_digits(out + length, scaled / power_of_ten[decimals], 1);
    if (decimals > 0) {
        out[length++] = '.';
        length += put_digits(out + length, scaled % power_of_ten[decimals], decimals);
    }
    return length;
}
