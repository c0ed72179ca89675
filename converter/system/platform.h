/* platform.h - what the converter asks of the operating system beyond the C
 * library: the POSIX calls it uses, and their Windows counterparts.
 *
 * Names are UTF-8 on Windows (the arguments arrive so after platform_start)
 * and bytes as given on POSIX. Every descriptor is binary: the converter
 * writes its own line ends. A console gets Unicode on Windows, whatever its
 * code page. Failures leave errno set where the POSIX call would. */
#ifndef PLATFORM_H
#define PLATFORM_H

#include <cstdarg>
#include <cstddef>
#include <cstdio>

/* Prepares the process before anything is opened: a descriptor 0 to 2 left
 * closed gets the null device (else the next file opened would take it and
 * console messages would land in it); a write beyond the file-size limit, or
 * to a pipe nobody reads any more, fails instead of ending the process. On Windows the arguments are replaced
 * by their UTF-8 spelling and the standard streams are made binary. False
 * when the process cannot be prepared. */
bool platform_start(int *argc, char ***argv);

/* Opens a regular file (after links) for reading; -1 for anything else. A
 * device is never opened (it may block for ever, or a serial port may reset
 * the machine's controller), and the file is checked again once open in case
 * the name changed meanwhile. */
int platform_open_input(const char *name);
/* The size in bytes of the file open as fd; -1 when it cannot be told. */
long long platform_file_size(int fd);
/* Creates a new file for writing (mode 0644), never opening one that exists
 * (errno EEXIST) or following a link. */
int platform_create_new(const char *name);

enum path_kind { PATH_MISSING, PATH_DIRECTORY, PATH_OTHER, PATH_UNKNOWN };
/* What is at the name itself (a link is not followed); PATH_UNKNOWN when it
 * cannot be told. */
path_kind platform_path_kind(const char *name);
/* Renames `from` over `to`, replacing a file there; 0 or -1. */
int platform_replace(const char *from, const char *to);
/* Removes a file; 0 or -1. Safe in the cleanup of platform_on_interrupt. */
int platform_remove(const char *name);
/* Has `cleanup` run when an interrupt (Ctrl+C), a termination request or a
 * hang-up ends the process, which then ends as it would have without it.
 * On POSIX it runs in a signal handler, so it may only call what is
 * async-signal-safe; a signal ignored when the process started stays ignored. */
void platform_on_interrupt(void (*cleanup)(void));
/* Holds those signals back (true) until released (false), so that a file
 * is never made without its cleanup knowing of it. */
void platform_hold_interrupts(bool hold);
/* The last character of `path` that ends a directory part, or null. */
const char *platform_last_separator(const char *path);
/* A number that differs between processes running at once. */
unsigned platform_process_id(void);

/* `size` zero-filled bytes for a store of records: from a large page's size
 * on mapped on its own, which the system is asked to back with large pages
 * where it can (a fresh page costs a fault at its first write, and a large
 * board's stores fill hundreds of megabytes), a smaller one from calloc.
 * Null when memory runs out. Released with platform_release_block and the
 * same size. */
void *platform_large_block(size_t size);
void platform_release_block(void *block, size_t size);

/* The names in a directory, "." and ".." included, one at a time. */
struct platform_dir;
platform_dir *platform_open_dir(const char *name);
/* The next name, valid until the next call; null at the end. */
const char *platform_next_name(platform_dir *dir);
void platform_close_dir(platform_dir *dir);

/* True when fd is a console that shows text to a person. */
bool platform_is_console(int fd);
/* write(): the bytes as they are, or UTF-8 text shown as such on a console. */
long platform_write(int fd, const char *data, size_t size);
/* vfprintf() whose text a console shows as UTF-8. */
int platform_vfprintf(FILE *stream, const char *format, va_list args);

#endif
