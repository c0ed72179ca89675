/* program_file.cpp - the G-code file, written aside and renamed into place. */
#include "writing/program_file.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <unistd.h>

#include "system/platform.h"
#include "system/console_text.h"
#include "system/tools.h"
#include "writing/output_buffer.h"

/* The directory part of a name the driver accepts (259 bytes) and a short name. */
enum { ASIDE_SIZE = 300, ATTEMPTS = 100 };

static struct {
    int fd;                     /* -1 when no program is being written */
    const char *name;           /* "<input>.tap" */
    char aside[ASIDE_SIZE];     /* the new file beside it */
} program = {-1, nullptr, ""};

/* Creates a new file of a name of its own in the directory of `name` (a
 * short name, so that a long one still fits); -1 when none can be made.
 * It is never an existing file or a link's target. */
static int create_aside(const char *name, char *aside)
{
    const char *slash = platform_last_separator(name);
    int dir_length = slash ? (int)(slash - name + 1) : 0;
    static unsigned serial = 0;
    for (int attempt = 0; attempt < ATTEMPTS; attempt++) {
        serial = serial * 1103515245u + platform_process_id() + (unsigned)time(nullptr) + 12345u;
        int length = snprintf(aside, ASIDE_SIZE, "%.*sdrelvo-%08x.tmp", dir_length, name, serial);
        if (length < 0 || length >= ASIDE_SIZE)
            return -1;
        int fd = platform_create_new(aside);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

/* The name must be free or a replaceable file: a directory there, or a path
 * that cannot name a file, is found before the conversion starts. */
static bool replaceable(const char *name)
{
    path_kind kind = platform_path_kind(name);
    return kind == PATH_MISSING || kind == PATH_OTHER;
}

/* After a diagnostic: the unfinished program goes, an empty file takes the
 * name. When that cannot be made, the name is left as it was. */
static void put_empty_file(void)
{
    if (program.fd >= 0)
        abandon_file(program.fd);
    program.fd = -1;
    platform_remove(program.aside);
    int empty = create_aside(program.name, program.aside);
    if (empty < 0)
        return;
    if (close(empty) != 0 || platform_replace(program.aside, program.name) != 0)
        platform_remove(program.aside);
}

int open_program_file(const char *name)
{
    if (!replaceable(name))
        return -1;
    program.name = name;
    program.fd = create_aside(name, program.aside);
    if (program.fd < 0)
        return -1;
    set_text_mode(program.fd);
    set_failure_cleanup(put_empty_file);
    return program.fd;
}

bool finish_program_file(void)
{
    int fd = program.fd;
    program.fd = -1;
    /* A network disk may report a delayed write error only here. */
    if (close_file(fd) != 0)
        fatal_error("Nem sikerült lezárni a fájlt: %s", program.name);
    set_failure_cleanup(nullptr);
    if (platform_replace(program.aside, program.name) != 0) {
        platform_remove(program.aside);
        print_text(stderr, "Nem sikerült elkészíteni a fájlt: %s\n", program.name);
        return false;
    }
    return true;
}
