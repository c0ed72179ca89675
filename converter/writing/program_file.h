/* program_file.h - the G-code file "<input>.tap", which holds a whole program
 * or nothing.
 *
 * The program is written into a new file beside the name and renamed over it
 * only when complete. Whatever stands at the name (an old program, a link, a
 * FIFO) is replaced, never written through. After a failure an empty new
 * file takes the name the same way, so the name never holds part of a
 * program. The module keeps one such file at a time. */
#ifndef PROGRAM_FILE_H
#define PROGRAM_FILE_H

/* Creates the file beside `name` in text mode (every "\n" stored as CR LF)
 * and returns its descriptor; -1 when `name` cannot be replaced (a directory)
 * or nothing can be created beside it. Until finish_program_file, a
 * diagnostic puts an empty file at the name. */
int open_program_file(const char *name);
/* Writes what is still buffered, closes the complete program and renames it
 * over the name. A failed write or close is a diagnostic (and the empty
 * file); false, after the message "Nem sikerült elkészíteni a fájlt", when
 * the name cannot be replaced. */
bool finish_program_file(void);

#endif
