/* tools.h - diagnostics, allocation and output helpers shared by the converter.
 *
 * fatal_error prints one line "<file>, <function>.<line>(): "<message>""
 * on the error stream and ends the process with status 1. The message is
 * printed as spelled in the source (its escapes stay visible), its
 * placeholders filled from the arguments. fatal_error_n prints a fixed check
 * number in place of the source line.
 *
 * The converter's fixed texts are written in code page 1250, except to a
 * console, which gets them in UTF-8 (shown as Unicode on Windows); arguments
 * such as file names are passed through unchanged. A descriptor set to text mode (the program file)
 * stores every "\n" that message writes as CR LF, through a large buffer
 * that close_file stores. */
#ifndef TOOLS_H
#define TOOLS_H

#include <cstddef>
#include <cstdio>
#include <string>

#define fatal_error(fmt, ...) fatal_error_at(__FILE__, __func__, __LINE__, #fmt, ##__VA_ARGS__)
#define fatal_error_n(number, fmt, ...) fatal_error_at(__FILE__, __func__, (number), #fmt, ##__VA_ARGS__)
/* A diagnostic that names `function` instead of the enclosing one. */
#define fatal_error_in(function, fmt, ...) fatal_error_at(__FILE__, (function), __LINE__, #fmt, ##__VA_ARGS__)

/* Writes the diagnostic line; `quoted_format` is the message literal as spelled, quotes included. */
[[noreturn]] void fatal_error_at(const char *file, const char *function, int line, const char *quoted_format, ...);

/* What ends the process after a diagnostic: exit() unless a test or fuzzer installs a
 * handler that unwinds instead. Returns the previous handler (null: exit). */
typedef void (*fatal_handler_fn)(int status);
fatal_handler_fn set_fatal_handler(fatal_handler_fn handler);

/* What a diagnostic does before the run ends, once: put the unfinished output
 * file's replacement in place. Null: nothing. */
typedef void (*failure_cleanup_fn)(void);
void set_failure_cleanup(failure_cleanup_fn cleanup);

/* Allocators that end the process with a diagnostic instead of returning null. */
void *s_malloc(size_t size);
void *s_calloc(size_t count, size_t size);

/* Formats the text and writes all of it: the program's only way out. A text
 * that cannot be formatted or written ends the run with a diagnostic; a write
 * that the system cuts short is continued. */
void message(int fd, const char *format, ...) __attribute__((format(printf, 2, 3)));

/* Makes message store every "\n" on fd as CR LF, buffered, until close_file;
 * one descriptor at a time, so a second stores the first one's buffer. */
void set_text_mode(int fd);
/* Stores what is buffered for fd (a failure ends the run with a diagnostic),
 * then closes it and forgets its text mode; close()'s result. */
int close_file(int fd);
/* Closes fd without storing what is still buffered: the file is thrown away. */
void abandon_file(int fd);

/* printf to a console stream with the fixed text `format` in the stream's encoding. */
void print_text(FILE *stream, const char *format, ...) __attribute__((format(printf, 2, 3)));
/* A fixed UTF-8 text as it goes out on `fd`: unchanged to a console, else code page 1250. */
std::string console_text(int fd, const char *utf8);
/* UTF-8 to code page 1250; characters the code page lacks become '?'. */
std::string utf8_to_cp1250(const char *utf8);

#endif
