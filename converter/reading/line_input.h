/* line_input.h - the reader's line buffer and its cursor.
 *
 * The line rules: an LF, a CR or a CR LF pair ends a line (also when the
 * pair is split between two reads); a last line without a terminator still
 * counts; NUL and 0xFF bytes are line bytes; a line holds at most 65,535
 * bytes. read_line keeps them one line at a time: it reads a seekable
 * descriptor in 256-byte chunks and moves the file position back to just
 * after the line end, so nothing beyond the line is ever held. It is the
 * plain reference that the tests hold load_line against. load_line, which
 * the reader uses, gives the same lines from large reads scanned in a buffer
 * of its own, without seeking, into the module's 65,536-byte line buffer;
 * the other operations move a cursor over that. A NUL or 0xFF byte ends the
 * line for the character operations. The state is module-wide and the
 * module is not reentrant. */
#ifndef LINE_INPUT_H
#define LINE_INPUT_H

enum {
    LINE_BUF_SIZE = 65536,   /* holds lines of up to 65,535 bytes */
    LINE_CHUNK = 256,        /* bytes per read of read_line */
    INPUT_BUFFER_SIZE = 1 << 18,   /* load_line's reads: several times the longest line */
};

/* Negative results of read_line and load_line. */
enum {
    LINE_EOF = -1,           /* end of the input: nothing left to read */
    LINE_READ_ERROR = -2,    /* the read failed (or the capacity is below 2) */
    LINE_TOO_LONG = -3,      /* the line does not fit the destination */
};

/* Reads one line without its terminator, NUL-terminated; its length or a negative LINE_ status. */
int read_line(int fd, char *dest, unsigned capacity);
/* Replaces the buffer with the next line of fd and resets the cursor; returns
 * line_len. Bytes read beyond the line wait for the next call on the same
 * descriptor; the end of the input or a failure drops them. */
int load_line(int fd);
/* Drops what load_line holds, so that a descriptor number opened anew reads from its start. */
void forget_input(void);

/* Address of the byte at the cursor, or null at the end of the line. */
char *cursor_ptr(void);
/* Moves the cursor (whence 1: relative, 2: from line_len - 1, else absolute), clamped; returns it. */
int seek_cursor(int offset, int whence);
/* Skips blanks (BS, TAB, VT, FF, CR, space); 0 on a non-blank, -1 at the end of the line. */
int skip_blanks(void);
/* 1 with the cursor on the next `c` of this line, 0 when the line ends first. */
int skip_to_char(int c);
/* 0 and the value when an integer stands at the cursor, else -1; never moves the cursor. */
int peek_int(int *out);

/* The line load_line gave, not NUL-terminated, and its length. */
const char *line_text(int *length);

/* The buffer and cursor, for the line reader's own operations and for tests. */
extern char line_buf[LINE_BUF_SIZE];
extern int line_len;
extern int line_pos;

/* Next byte as a signed char, or -1 at the end of the line (NUL, 0xFF or line_len).
 * Inline: the reader asks for every byte of a file this way. */
inline int get_char(void)
{
    if (line_pos >= line_len || line_buf[line_pos] == '\0')
        return -1;
    return (signed char)line_buf[line_pos++];
}

#endif
