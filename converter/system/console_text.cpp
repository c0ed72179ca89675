/* console_text.cpp - fixed texts in the encoding of where they go: UTF-8
 * to a console, code page 1250 elsewhere. */
#include "system/console_text.h"

#include "system/platform.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>

void print_text(FILE *stream, const char *format, ...)
{
    char format_buffer[FIXED_TEXT_SIZE];
    const char *fixed = fixed_text(fileno(stream), format, format_buffer, sizeof format_buffer);
    va_list args;
    va_start(args, format);
    platform_vfprintf(stream, fixed, args);
    va_end(args);
}

std::string console_text(int fd, const char *utf8)
{
    if (platform_is_console(fd))
        return utf8;
    return utf8_to_cp1250(utf8);
}

/* Unicode code points of the bytes 0x80 to 0xFF of code page 1250; 0 where the page has none. */
static const uint16_t cp1250_upper[128] = {
    0x20AC, 0, 0x201A, 0, 0x201E, 0x2026, 0x2020, 0x2021, 0, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

static char cp1250_byte(uint32_t code_point)
{
    if (code_point < 0x80)
        return (char)code_point;
    for (int i = 0; i < 128; i++)
        if (cp1250_upper[i] == code_point)
            return (char)(0x80 + i);
    return '?';
}

/* Converts into `out`, which needs room for strlen(utf8) + 1 bytes: the
 * code page never takes more bytes than UTF-8. */
static void convert_to_cp1250(const char *utf8, char *out)
{
    const unsigned char *p = (const unsigned char *)utf8;
    while (*p) {
        uint32_t code_point;
        int extra;
        if (*p < 0x80) {
            code_point = *p;
            extra = 0;
        } else if ((*p & 0xE0) == 0xC0) {
            code_point = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            code_point = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            code_point = *p & 0x07;
            extra = 3;
        } else {
            *out++ = '?';
            p++;
            continue;
        }
        p++;
        int i = 0;
        for (; i < extra && (*p & 0xC0) == 0x80; i++, p++)
            code_point = (code_point << 6) | (*p & 0x3F);
        *out++ = i == extra ? cp1250_byte(code_point) : '?';
    }
    *out = '\0';
}

std::string utf8_to_cp1250(const char *utf8)
{
    std::string out(strlen(utf8) + 1, '\0');
    convert_to_cp1250(utf8, &out[0]);
    out.resize(strlen(out.c_str()));
    return out;
}

const char *fixed_text(int fd, const char *utf8, char *buffer, size_t size)
{
    bool ascii = true;
    size_t length = 0;
    for (; utf8[length]; length++)
        ascii = ascii && (unsigned char)utf8[length] < 0x80;
    if (ascii || length >= size || platform_is_console(fd))
        return utf8;
    convert_to_cp1250(utf8, buffer);
    return buffer;
}
