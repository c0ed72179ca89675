/* line_input.cpp - the reader's line buffer: one line at a time from a
 * seekable descriptor, and the cursor operations over it. */
#include "line_input.h"

#include <cerrno>
#include <cctype>
#include <climits>
#include <cstring>
#include <unistd.h>

char line_buf[LINE_BUF_SIZE];
int line_len = 0;
int line_pos = 0;

/* read() that retries when a signal interrupts it. */
static ssize_t read_chunk(int fd, char *chunk, size_t size)
{
    ssize_t got;
    do
        got = read(fd, chunk, size);
    while (got < 0 && errno == EINTR);
    return got;
}

/* Where the line ends in a chunk: the number of line bytes and the length of
 * the terminator after them (0: no terminator in the chunk). A CR ends the
 * line by itself; an LF right after it belongs to the same line end. A CR as
 * the chunk's last byte leaves the LF question to the caller (pending_cr). */
static void find_line_end(const char *chunk, ssize_t size, ssize_t *line_bytes, ssize_t *term_len, bool *pending_cr)
{
    *pending_cr = false;
    for (ssize_t i = 0; i < size; i++) {
        if (chunk[i] == '\n') {
            *line_bytes = i;
            *term_len = 1;
            return;
        }
        if (chunk[i] == '\r') {
            *line_bytes = i;
            if (i + 1 < size) {
                *term_len = chunk[i + 1] == '\n' ? 2 : 1;
            } else {
                *term_len = 1;
                *pending_cr = true;
            }
            return;
        }
    }
    *line_bytes = size;
    *term_len = 0;
}

static int fail(char *dest, int status)
{
    dest[0] = '\0';
    return status;
}

int read_line(int fd, char *dest, unsigned capacity)
{
    if (capacity < 2) {
        if (capacity > 0)
            dest[0] = '\0';
        return LINE_READ_ERROR;
    }
    char chunk[LINE_CHUNK];
    size_t total = 0;
    for (;;) {
        ssize_t got = read_chunk(fd, chunk, sizeof chunk);
        if (got < 0)
            return fail(dest, LINE_READ_ERROR);
        if (got == 0) {
            if (total == 0)
                return fail(dest, LINE_EOF);
            dest[total] = '\0';
            return (int)total;
        }
        ssize_t line_bytes, term_len;
        bool pending_cr;
        find_line_end(chunk, got, &line_bytes, &term_len, &pending_cr);
        if (total + (size_t)line_bytes > capacity - 1)
            return fail(dest, LINE_TOO_LONG);
        memcpy(dest + total, chunk, (size_t)line_bytes);
        total += (size_t)line_bytes;
        if (term_len == 0)
            continue;
        dest[total] = '\0';
        if (pending_cr) {
            /* The CR closed the chunk: an LF may open the next one. Take it
             * if it is there, otherwise give the byte back. */
            char next;
            ssize_t peeked = read_chunk(fd, &next, 1);
            if (peeked < 0)
                return fail(dest, LINE_READ_ERROR);
            if (peeked == 1 && next != '\n' && lseek(fd, -1, SEEK_CUR) < 0)
                return fail(dest, LINE_READ_ERROR);
        } else if (line_bytes + term_len < got) {
            /* Hand the bytes after the terminator back to the next read; a
             * descriptor that cannot seek would lose them, so that fails. */
            if (lseek(fd, -(off_t)(got - line_bytes - term_len), SEEK_CUR) < 0)
                return fail(dest, LINE_READ_ERROR);
        }
        return (int)total;
    }
}

int load_line(int fd)
{
    line_pos = 0;
    line_len = 0;
    line_buf[0] = '\0';
    line_len = read_line(fd, line_buf, sizeof line_buf);
    return line_len;
}

int get_char(void)
{
    if (line_pos >= line_len || line_buf[line_pos] == '\0')
        return -1;
    return (signed char)line_buf[line_pos++];
}

char *cursor_ptr(void)
{
    return line_pos >= line_len ? nullptr : &line_buf[line_pos];
}

int seek_cursor(int offset, int whence)
{
    long pos;
    if (whence == 1)
        pos = (long)line_pos + offset;
    else if (whence == 2)
        pos = (long)line_len + offset - 1;
    else
        pos = offset;
    if (pos >= line_len)
        pos = line_len;
    if (pos < 0)
        pos = 0;
    line_pos = (int)pos;
    return line_pos;
}

static bool is_blank(unsigned char c)
{
    return c == '\b' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == ' ';
}

int skip_blanks(void)
{
    while (line_pos < line_len) {
        unsigned char c = (unsigned char)line_buf[line_pos];
        if (c == '\0')
            return -1;
        if (c == 0xFF) {
            line_pos++;
            return -1;
        }
        if (!is_blank(c))
            return 0;
        line_pos++;
    }
    return -1;
}

int skip_to_char(int c)
{
    while (line_pos < line_len) {
        unsigned char b = (unsigned char)line_buf[line_pos];
        if (b == '\0' || b == 0xFF)
            return 0;
        if (b == (unsigned char)c)
            return 1;
        line_pos++;
    }
    return 0;
}

int peek_int(int *out)
{
    if (line_pos >= line_len)
        return -1;
    const unsigned char *p = (const unsigned char *)&line_buf[line_pos];
    while (isspace(*p))
        p++;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        p++;
    if (!isdigit(*p))
        return -1;
    /* Accumulate toward the sign so that INT_MIN is reachable; clamp beyond. */
    long long value = 0;
    for (; isdigit(*p); p++) {
        if (value <= (long long)INT_MAX + 1)
            value = value * 10 + (*p - '0');
    }
    if (negative)
        *out = value > (long long)INT_MAX + 1 ? INT_MIN : (int)-value;
    else
        *out = value > INT_MAX ? INT_MAX : (int)value;
    return 0;
}
