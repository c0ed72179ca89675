/* tools.cpp - diagnostics, the exiting allocators, message() and the
 * console encoding. */
#include "system/tools.h"

#include "writing/fixed_point.h"
#include "system/platform.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

enum { FIXED_TEXT_SIZE = 1024, OUTPUT_BUFFER_SIZE = 1 << 18 };

/* A fixed text as it goes out on fd: converted into `buffer` unless it is
 * ASCII, goes to a terminal or is longer than the buffer (then unchanged).
 * Never allocates, so it serves the out-of-memory diagnostic too. */
static const char *fixed_text(int fd, const char *utf8, char *buffer, size_t size);

static fatal_handler_fn fatal_handler = nullptr;
static failure_cleanup_fn failure_cleanup = nullptr;

fatal_handler_fn set_fatal_handler(fatal_handler_fn handler)
{
    fatal_handler_fn previous = fatal_handler;
    fatal_handler = handler;
    return previous;
}

void set_failure_cleanup(failure_cleanup_fn cleanup)
{
    failure_cleanup = cleanup;
}

static void print_plain(FILE *stream, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    platform_vfprintf(stream, format, args);
    va_end(args);
}

static const char *base_name(const char *path)
{
    const char *slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

/* The diagnostic must work when memory has run out: it formats on the stack
 * and takes heap memory only for an unusually long text, if there is any. */
void fatal_error_at(const char *file, const char *function, int line, const char *quoted_format, ...)
{
    char format_buffer[FIXED_TEXT_SIZE];
    const char *format = fixed_text(STDERR_FILENO, quoted_format, format_buffer, sizeof format_buffer);
    char body[4096];
    char *long_body = nullptr;
    const char *text = body;
    va_list args, again;
    va_start(args, quoted_format);
    va_copy(again, args);
    int length = vsnprintf(body, sizeof body, format, args);
    if (length >= (int)sizeof body && (long_body = (char *)malloc((size_t)length + 1)) != nullptr) {
        vsnprintf(long_body, (size_t)length + 1, format, again);
        text = long_body;
    }
    va_end(again);
    va_end(args);
    print_plain(stderr, "%s, %s.%d(): %s\n", base_name(file), function, line, text);
    fflush(stderr);
    free(long_body);
    if (failure_cleanup) {
        failure_cleanup_fn cleanup = failure_cleanup;
        failure_cleanup = nullptr;   /* a failure inside it ends the run plainly */
        cleanup();
    }
    if (fatal_handler)
        fatal_handler(1);
    exit(1);
}

void *s_malloc(size_t size)
{
    void *block = malloc(size);
    if (block == nullptr)
        fatal_error("Kevés a memória: %u bájt kellene.", (unsigned)size);
    return block;
}

void *s_calloc(size_t count, size_t size)
{
    void *block = calloc(count, size);
    if (block == nullptr)
        fatal_error("Kevés a memória: %u bájt kellene.", (unsigned)size);
    return block;
}

/* platform_write() until all of it is stored: a signal or a pipe may take only part.
 * Returns the number of bytes stored, `size` unless the write failed. */
static size_t write_all(int fd, const char *data, size_t size)
{
    size_t stored = 0;
    while (stored < size) {
        long written = platform_write(fd, data + stored, size - stored);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        stored += (size_t)written;
    }
    return stored;
}

/* The program file's bytes wait here, line ends already stored as CR LF, and
 * go out in large writes: one write per line would cost more than all the
 * rest of a large conversion. */
static struct {
    int fd;                   /* the text-mode descriptor, -1 when none */
    size_t used;
    char data[OUTPUT_BUFFER_SIZE + 1];   /* and a NUL for the diagnostic */
} output = {-1, 0, {}};

/* After a failed write: the diagnostic quotes the line where storing
 * stopped as it was formatted, its CR LF back to "\n". The buffer is not
 * needed any more, so the line is cut out of it in place. */
[[noreturn]] static void stored_line_lost(size_t stopped)
{
    char *data = output.data;
    size_t start = stopped;
    while (start > 0 && data[start - 1] != '\n')
        start--;
    size_t end = stopped;
    while (end < output.used && data[end] != '\n')
        end++;
    if (end < output.used) {
        if (end > start && data[end - 1] == '\r')
            data[--end] = '\n';
        end++;
    }
    data[end] = '\0';
    output.used = 0;
    fatal_error_in("message", "Nem sikerült kiírni: \"%s\"\n", data + start);
}

/* Stores the buffer; a failure ends the run. */
static void flush_output(void)
{
    size_t stored = write_all(output.fd, output.data, output.used);
    if (stored < output.used)
        stored_line_lost(stored);
    output.used = 0;
}

/* Adds the text to the buffer, every "\n" as CR LF, storing it whenever full. */
static void buffer_text(const char *text, size_t length)
{
    for (size_t i = 0; i < length; i++) {
        if (output.used + 2 > OUTPUT_BUFFER_SIZE)
            flush_output();
        if (text[i] == '\n')
            output.data[output.used++] = '\r';
        output.data[output.used++] = text[i];
    }
}

static const char FIXED_CONVERSION[] = "%0.*lf";

/* A program line: ASCII text whose only conversions are "%0.*lf", three
 * to a hole. It is formatted here, the numbers by format_fixed, since
 * printf's general conversion costs more than all the rest of writing.
 * Returns the length in `line`, or -1 for any other format, a number
 * format_fixed does not cover or a line longer than `size`: vsnprintf
 * then formats it from the start. */
static int format_program_line(char *line, size_t size, const char *format, va_list args)
{
    for (const char *c = format; *c; c++)
        if ((unsigned char)*c >= 0x80 || (*c == '%' && strncmp(c, FIXED_CONVERSION, sizeof FIXED_CONVERSION - 1) != 0))
            return -1;
    size_t length = 0;
    for (const char *c = format; *c;) {
        if (length + FIXED_POINT_MAX_LENGTH > size)
            return -1;
        if (*c != '%') {
            line[length++] = *c++;
            continue;
        }
        int decimals = va_arg(args, int);
        int written = format_fixed(line + length, va_arg(args, double), decimals);
        if (written < 0)
            return -1;
        length += (size_t)written;
        c += sizeof FIXED_CONVERSION - 1;
    }
    return (int)length;
}

/* Formats on the stack; a text too long for it gets a heap buffer of its own
 * size, and running out of memory for that ends the run like any other. A
 * text-mode descriptor's text waits in the buffer; any other is written at
 * once. */
void message(int fd, const char *format, ...)
{
    char first[FIXED_TEXT_SIZE];
    va_list args, again;
    va_start(args, format);
    if (fd == output.fd) {
        va_copy(again, args);
        int length = format_program_line(first, sizeof first, format, again);
        va_end(again);
        if (length >= 0) {
            va_end(args);
            buffer_text(first, (size_t)length);
            return;
        }
    }
    char format_buffer[FIXED_TEXT_SIZE];
    const char *fixed = fixed_text(fd, format, format_buffer, sizeof format_buffer);
    char *text = first;
    va_copy(again, args);
    int length = vsnprintf(first, sizeof first, fixed, args);
    if (length >= (int)sizeof first) {
        text = (char *)s_malloc((size_t)length + 1);
        vsnprintf(text, (size_t)length + 1, fixed, again);
    }
    va_end(again);
    va_end(args);
    if (length < 0)
        fatal_error("Nem sikerült kiírni: \"%s\"\n", format);
    if (fd == output.fd)
        buffer_text(text, (size_t)length);
    else if (write_all(fd, text, (size_t)length) < (size_t)length)
        fatal_error("Nem sikerült kiírni: \"%s\"\n", text);
    if (text != first)
        free(text);
}

void set_text_mode(int fd)
{
    if (output.fd >= 0)
        flush_output();
    output.fd = fd;
    output.used = 0;
}

int close_file(int fd)
{
    if (fd == output.fd) {
        flush_output();
        output.fd = -1;
    }
    return close(fd);
}

void abandon_file(int fd)
{
    if (fd == output.fd) {
        output.used = 0;
        output.fd = -1;
    }
    close(fd);
}

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

static const char *fixed_text(int fd, const char *utf8, char *buffer, size_t size)
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
