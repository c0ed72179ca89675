/* output_buffer.h - message(), the program's only way out, and the text mode
 * of the program file.
 *
 * A descriptor set to text mode (the program file) stores every "\n" that
 * message writes as CR LF, through a large buffer that close_file stores.
 * Fixed texts written elsewhere go out as console_text has them. */
#ifndef OUTPUT_BUFFER_H
#define OUTPUT_BUFFER_H

/* Formats the text and writes all of it. A text that cannot be formatted or
 * written ends the run with a diagnostic; a write that the system cuts short
 * is continued. */
void message(int fd, const char *format, ...) __attribute__((format(printf, 2, 3)));

/* Makes message store every "\n" on fd as CR LF, buffered, until close_file;
 * one descriptor at a time, so a second stores the first one's buffer. */
void set_text_mode(int fd);
/* Stores what is buffered for fd (a failure ends the run with a diagnostic),
 * then closes it and forgets its text mode; close()'s result. */
int close_file(int fd);
/* Closes fd without storing what is still buffered: the file is thrown away. */
void abandon_file(int fd);

#endif
