/* tools.cpp - diagnostics and the exiting allocators. */
#include "system/tools.h"

#include "system/console_text.h"
#include "system/platform.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

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
