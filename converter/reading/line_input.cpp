/* line_input.cpp - the reader's line buffer: one line at a time from a
 * seekable descriptor, and the cursor operations over it. */
#include "reading/line_input.h"

#include <cerrno>
#include <cctype>
#include <climits>
#include <cstring>
#include <unistd.h>

char line_buf[LINE_BUF_SIZE];
int line_len = 0;
int line_pos = 0;

const char *line_text(int *length)
{
    *length = line_len;
    return line_buf;
}

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

/* load_line's input: large reads, scanned for line ends in place, so a line
 * costs no system call of its own and nothing is given back to the file. */
static struct {
    int fd;              /* where the buffered bytes came from; -1: nothing buffered */
    size_t start, end;   /* the bytes not yet taken: data[start, end) */
    char data[INPUT_BUFFER_SIZE];
} input = {-1, 0, 0, {}};

void forget_input(void)
{
    input.fd = -1;
    input.start = input.end = 0;
}

/* Ends the reading of the descriptor with a negative status. */
static int input_ends(int status)
{
    forget_input();
    line_len = status;
    return status;
}

/* Takes `length` line bytes and a terminator of `term_len` bytes from the buffer into line_buf. */
static int take_line(size_t length, size_t term_len)
{
    if (length > LINE_BUF_SIZE - 1)
        return input_ends(LINE_TOO_LONG);
    memcpy(line_buf, input.data + input.start, length);
    line_buf[length] = '\0';
    input.start += length + term_len;
    line_len = (int)length;
    return line_len;
}

/* Moves the bytes not yet taken to the front and reads after them; read()'s result. */
static ssize_t refill(void)
{
    size_t left = input.end - input.start;
    memmove(input.data, input.data + input.start, left);
    input.start = 0;
    input.end = left;
    ssize_t got = read_chunk(input.fd, input.data + left, sizeof input.data - left);
    if (got > 0)
        input.end += (size_t)got;
    return got;
}

/* The index of the first CR or LF in text[from, size), or size. */
static size_t line_end(const char *text, size_t from, size_t size)
{
    for (size_t i = from; i < size; i++)
        if (text[i] == '\n' || text[i] == '\r')
            return i;
    return size;
}

/* The same lines as read_line gives, from the buffer. A CR as the last byte
 * read waits for the next read, which tells whether an LF belongs to it. */
int load_line(int fd)
{
    line_pos = 0;
    line_len = 0;
    line_buf[0] = '\0';
    if (fd != input.fd) {
        forget_input();
        input.fd = fd;
    }
    size_t scanned = 0;      /* bytes known to hold no line end */
    bool at_end = false;     /* the last read found the end of the file */
    for (;;) {
        const char *text = input.data + input.start;
        size_t size = input.end - input.start;
        size_t length = line_end(text, scanned, size);
        bool cr_undecided = !at_end && length + 1 == size && text[length] == '\r';
        if (length < size && !cr_undecided) {
            bool cr_lf = text[length] == '\r' && length + 1 < size && text[length + 1] == '\n';
            return take_line(length, cr_lf ? 2 : 1);
        }
        if (at_end)
            return size > 0 ? take_line(size, 0) : input_ends(LINE_EOF);
        if (length > LINE_BUF_SIZE - 1)
            return input_ends(LINE_TOO_LONG);
        scanned = length;
        ssize_t got = refill();
        if (got < 0)
            return input_ends(LINE_READ_ERROR);
        at_end = got == 0;
    }
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
