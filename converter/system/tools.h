/* tools.h - diagnostics and allocation shared by the converter.
 *
 * fatal_error prints one line "<file>, <function>.<line>(): "<message>""
 * on the error stream and ends the process with status 1. The message is
 * printed as spelled in the source (its escapes stay visible), its
 * placeholders filled from the arguments. fatal_error_n prints a fixed check
 * number in place of the source line. Its fixed texts go out as
 * console_text.h has them. */
#ifndef TOOLS_H
#define TOOLS_H

#include <cstddef>

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

#endif
