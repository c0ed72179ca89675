/* program_file.cpp - the G-code files, written aside and renamed into place. */
#include "writing/program_file.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

#include "system/platform.h"
#include "system/console_text.h"
#include "system/tools.h"
#include "writing/output_buffer.h"

/* The directory part of a name the driver accepts (259 bytes) and a short name. */
enum { ASIDE_SIZE = 300, ATTEMPTS = 100 };
typedef std::array<char, ASIDE_SIZE> aside_name;

/* The files aside live in memory that exists before the first of them, so
 * that a signal handler can remove them without allocating: one for a
 * single program, or a block for a set. */
static aside_name single_aside;
static std::vector<aside_name> set_asides;

static struct {
    int fd;                               /* -1 when no program is being written */
    bool set;                             /* the programs are a set */
    aside_name *asides;                   /* room for every file aside of the run */
    size_t room;
    volatile sig_atomic_t first, count;   /* the files asides[first, count) exist */
    std::vector<std::string> names;       /* the name each of them takes */
} program = {-1, false, &single_aside, 1, 0, 0, {}};

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

bool program_name_usable(const char *name)
{
    path_kind kind = platform_path_kind(name);
    return kind == PATH_MISSING || kind == PATH_OTHER;
}

/* Removes the files aside; also from a signal handler, so no allocation. */
static void remove_asides(void)
{
    for (sig_atomic_t i = program.first; i < program.count; i++)
        platform_remove(program.asides[i].data());
}

/* Back to a single program, nothing aside. */
static void reset(void)
{
    program.first = program.count = 0;
    program.asides = &single_aside;
    program.room = 1;
    program.set = false;
    program.names.clear();
    set_asides.clear();
}

/* After a diagnostic: the unfinished programs go, an empty file takes a
 * single program's name. When that cannot be made, the name is left as it was. */
static void put_empty_file(void)
{
    if (program.fd >= 0)
        abandon_file(program.fd);
    program.fd = -1;
    remove_asides();
    if (program.set || program.names.empty())
        return;
    const std::string name = program.names.back();
    reset();
    int empty = create_aside(name.c_str(), single_aside.data());
    if (empty < 0)
        return;
    if (close(empty) != 0 || platform_replace(single_aside.data(), name.c_str()) != 0)
        platform_remove(single_aside.data());
}

void begin_program_set(size_t count)
{
    reset();
    set_asides.resize(count);
    program.set = true;
    program.asides = set_asides.data();
    program.room = count;
}

int open_program_file(const char *name)
{
    static bool on_interrupt = false;
    if (!program_name_usable(name) || (size_t)program.count >= program.room)
        return -1;
    if (!on_interrupt)
        platform_on_interrupt(remove_asides);
    on_interrupt = true;
    if (!program.set)
        reset();
    platform_hold_interrupts(true);
    program.fd = create_aside(name, program.asides[program.count].data());
    if (program.fd >= 0) {
        program.names.push_back(name);
        program.count = program.count + 1;
    }
    platform_hold_interrupts(false);
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
        fatal_error("Nem sikerült lezárni a fájlt: %s", program.names.back().c_str());
    return program.set || place_programs();
}

bool place_programs(void)
{
    set_failure_cleanup(nullptr);
    for (; program.first < program.count; program.first = program.first + 1) {
        const char *name = program.names[program.first].c_str();
        if (platform_replace(program.asides[program.first].data(), name) != 0) {
            print_text(stderr, "Nem sikerült elkészíteni a fájlt: %s\n", name);
            drop_programs();
            return false;
        }
    }
    reset();
    return true;
}

void drop_programs(void)
{
    set_failure_cleanup(nullptr);
    remove_asides();
    reset();
}
