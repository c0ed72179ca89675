/* program_file.h - the G-code files "<input>.tap" (or "<input>.T<n>.tap"),
 * each of which holds a whole program or nothing.
 *
 * A program is written into a new file beside its name and renamed over it
 * only when complete. Whatever stands at the name (an old program, a link, a
 * FIFO) is replaced, never written through. After a failure an empty new
 * file takes the name the same way, so the name never holds part of a
 * program. A set of programs (one per bit) is all or nothing: every program
 * is written aside first, and the set takes its names only when all are
 * complete; after a failure the names keep what they held. The files aside
 * are removed when an interrupt, a termination request or a hang-up ends the
 * process. The module writes one program at a time. */
#ifndef PROGRAM_FILE_H
#define PROGRAM_FILE_H

#include <cstddef>

/* Whether `name` can take a program: free, or a file that can be replaced
 * (not a directory, and a path that can name a file). */
bool program_name_usable(const char *name);
/* Starts a set of `count` programs, opened one after another with
 * open_program_file; throws std::bad_alloc when memory runs out. */
void begin_program_set(size_t count);
/* Creates the file beside `name` in text mode (every "\n" stored as CR LF)
 * and returns its descriptor; -1 when `name` cannot be replaced (a directory)
 * or nothing can be created beside it. Until finish_program_file (for a set:
 * place_programs), a diagnostic puts an empty file at the name (for a set:
 * removes every file aside). */
int open_program_file(const char *name);
/* Writes what is still buffered and closes the complete program; a single
 * program is renamed over its name, a set's waits for place_programs. A
 * failed write or close is a diagnostic; false, after the message "Nem
 * sikerült elkészíteni a fájlt", when the name cannot be replaced. */
bool finish_program_file(void);
/* Renames every program of the set over its name, in order; false after the
 * message when one cannot be (the rest are removed). */
bool place_programs(void);
/* Removes every program of the set written so far; the names keep what they held. */
void drop_programs(void);

#endif
