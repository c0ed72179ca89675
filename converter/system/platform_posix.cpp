/* platform_posix.cpp - the platform layer on POSIX systems: the system calls
 * themselves. */
#include "system/platform.h"

#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
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

long long platform_file_size(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 ? (long long)st.st_size : -1;
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

/* The size of a large page on the systems that have them; a multiple of the small page size. */
static const size_t LARGE_PAGE = (size_t)2 << 20;

/* Sizes in whole large pages, so that the block's end is a page boundary too. */
static size_t whole_large_pages(size_t size)
{
    return (size + LARGE_PAGE - 1) / LARGE_PAGE * LARGE_PAGE;
}

/* A mapping on a large page's boundary: the part before the boundary and after the block goes back. */
void *platform_large_block(size_t size)
{
    if (size < LARGE_PAGE)
        return calloc(1, size);
    size = whole_large_pages(size);
    size_t reserved = size + LARGE_PAGE;
    char *start = (char *)mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == (char *)MAP_FAILED)
        return nullptr;
    char *block = (char *)(((uintptr_t)start + LARGE_PAGE - 1) & ~(uintptr_t)(LARGE_PAGE - 1));
    if (block > start)
        munmap(start, (size_t)(block - start));
    size_t after = (size_t)(start + reserved - (block + size));
    if (after > 0)
        munmap(block + size, after);
#ifdef MADV_HUGEPAGE
    madvise(block, size, MADV_HUGEPAGE);
#endif
    return block;
}

void platform_release_block(void *block, size_t size)
{
    if (size < LARGE_PAGE)
        free(block);
    else if (block != nullptr)
        munmap(block, whole_large_pages(size));
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
