/* console_text.h - the converter's fixed texts as they go out.
 *
 * The fixed texts are UTF-8 in the source and are written in code page 1250,
 * except to a console, which gets them in UTF-8 (shown as Unicode on
 * Windows); arguments such as file names are passed through unchanged. */
#ifndef CONSOLE_TEXT_H
#define CONSOLE_TEXT_H

#include <cstddef>
#include <cstdio>
#include <string>

/* Room for a fixed text converted on the stack. */
enum { FIXED_TEXT_SIZE = 1024 };

/* printf to a console stream with the fixed text `format` in the stream's encoding. */
void print_text(FILE *stream, const char *format, ...) __attribute__((format(printf, 2, 3)));
/* A fixed UTF-8 text as it goes out on `fd`: unchanged to a console, else code page 1250. */
std::string console_text(int fd, const char *utf8);
/* UTF-8 to code page 1250; characters the code page lacks become '?'. */
std::string utf8_to_cp1250(const char *utf8);
/* A fixed text as it goes out on fd: converted into `buffer` unless it is
 * ASCII, goes to a console or is longer than the buffer (then unchanged).
 * Never allocates, so it serves the out-of-memory diagnostic too. */
const char *fixed_text(int fd, const char *utf8, char *buffer, size_t size);

#endif
