/* output_buffer.cpp - message(), the program file's CR LF buffer and the
 * program-line formatter. */
#include "writing/output_buffer.h"

#include "system/console_text.h"
#include "system/platform.h"
#include "system/tools.h"
#include "writing/fixed_point.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

enum { OUTPUT_BUFFER_SIZE = 1 << 18 };

/* The write failures' diagnostics keep naming the file this code came from,
 * so that their text stays what users and scripts have seen. */
#define write_failed(function, fmt, ...) fatal_error_at("tools.cpp", (function), __LINE__, #fmt, ##__VA_ARGS__)

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
    write_failed("message", "Nem sikerült kiírni: \"%s\"\n", data + start);
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
        write_failed(__func__, "Nem sikerült kiírni: \"%s\"\n", format);
    if (fd == output.fd)
        buffer_text(text, (size_t)length);
    else if (write_all(fd, text, (size_t)length) < (size_t)length)
        write_failed(__func__, "Nem sikerült kiírni: \"%s\"\n", text);
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
