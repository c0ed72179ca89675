/* platform_posix.cpp - the platform layer on POSIX systems: the system calls
 * themselves. */
#include "system/platform.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool platform_start(int *, char ***)
{
    for (int fd = 0; fd <= 2; fd++)
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF && open("/dev/null", O_RDWR) != fd)
            return false;
    signal(SIGXFSZ, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

/* O_NONBLOCK keeps a FIFO put at the name between the two looks from waiting
 * for a writer. */
int platform_open_input(const char *name)
{
    struct stat st;
    if (stat(name, &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    int flags;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (flags = fcntl(fd, F_GETFL)) < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int platform_create_new(const char *name)
{
    return open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
}

path_kind platform_path_kind(const char *name)
{
    struct stat st;
    if (lstat(name, &st) == 0)
        return S_ISDIR(st.st_mode) ? PATH_DIRECTORY : PATH_OTHER;
    return errno == ENOENT ? PATH_MISSING : PATH_UNKNOWN;
}

int platform_replace(const char *from, const char *to)
{
    return rename(from, to);
}

int platform_remove(const char *name)
{
    return unlink(name);
}

static void (*interrupt_cleanup)(void);
static const int interrupt_signals[] = {SIGINT, SIGTERM, SIGHUP};

static void on_interrupt(int signal_number)
{
    interrupt_cleanup();
    signal(signal_number, SIG_DFL);
    raise(signal_number);   /* delivered when the handler returns */
}

static sigset_t interrupts(void)
{
    sigset_t set;
    sigemptyset(&set);
    for (int s : interrupt_signals)
        sigaddset(&set, s);
    return set;
}

void platform_on_interrupt(void (*cleanup)(void))
{
    interrupt_cleanup = cleanup;
    struct sigaction action = {};
    action.sa_handler = on_interrupt;
    action.sa_mask = interrupts();
    for (int s : interrupt_signals) {
        struct sigaction old;
        if (sigaction(s, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
            sigaction(s, &action, nullptr);
    }
}

void platform_hold_interrupts(bool hold)
{
    sigset_t set = interrupts();
    sigprocmask(hold ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

const char *platform_last_separator(const char *path)
{
    return strrchr(path, '/');
}

unsigned platform_process_id(void)
{
    return (unsigned)getpid();
}

struct platform_dir {
    DIR *listing;
};

platform_dir *platform_open_dir(const char *name)
{
    DIR *listing = opendir(name);
    if (listing == nullptr)
        return nullptr;
    platform_dir *dir = (platform_dir *)malloc(sizeof *dir);
    if (dir == nullptr) {
        closedir(listing);
        errno = ENOMEM;
        return nullptr;
    }
    dir->listing = listing;
    return dir;
}

const char *platform_next_name(platform_dir *dir)
{
    const dirent *entry = readdir(dir->listing);
    return entry ? entry->d_name : nullptr;
}

void platform_close_dir(platform_dir *dir)
{
    closedir(dir->listing);
    free(dir);
}

bool platform_is_console(int fd)
{
    return isatty(fd);
}

long platform_write(int fd, const char *data, size_t size)
{
    return (long)write(fd, data, size);
}

int platform_vfprintf(FILE *stream, const char *format, va_list args)
{
    return vfprintf(stream, format, args);
}
