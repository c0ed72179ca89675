/* platform_windows.cpp - the platform layer on Windows: UTF-8 names through
 * the wide-character calls, binary descriptors, Unicode on the console. */
#include "system/platform.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#include <shellapi.h>

enum { WIDE_NAME_SIZE = 1024, CONSOLE_CHUNK = 8192, CONSOLE_TEXT_SIZE = 1024 };

/* A UTF-8 name in UTF-16; false (errno set) when it does not convert or fit. */
static bool to_wide(const char *utf8, wchar_t *wide, int size)
{
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide, size) > 0)
        return true;
    errno = GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ENAMETOOLONG : EINVAL;
    return false;
}

/* A UTF-16 text in UTF-8, in memory that lives as long as the process. */
static char *to_utf8(const wchar_t *wide)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    char *utf8 = size > 0 ? (char *)malloc((size_t)size) : nullptr;
    if (utf8 != nullptr)
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, size, nullptr, nullptr);
    return utf8;
}

/* The C runtime's arguments are in the ANSI code page, which cannot spell
 * every name; the wide command line can. */
static bool utf8_arguments(int *argc, char ***argv)
{
    int count;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return false;
    char **utf8 = (char **)calloc((size_t)count + 1, sizeof *utf8);
    bool converted = utf8 != nullptr;
    for (int i = 0; converted && i < count; i++)
        converted = (utf8[i] = to_utf8(wide[i])) != nullptr;
    LocalFree(wide);
    if (!converted)
        return false;
    *argc = count;
    *argv = utf8;
    return true;
}

/* Binary standard descriptors: the converter writes its own line ends. */
bool platform_start(int *argc, char ***argv)
{
    for (int fd = 0; fd <= 2; fd++)
        _setmode(fd, _O_BINARY);
    return utf8_arguments(argc, argv);
}

int platform_open_input(const char *name)
{
    wchar_t wide[WIDE_NAME_SIZE];
    struct _stat64 st;
    if (!to_wide(name, wide, WIDE_NAME_SIZE) || _wstat64(wide, &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    int fd = _wopen(wide, _O_RDONLY | _O_BINARY);
    if (fd < 0)
        return -1;
    if (_fstat64(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        _close(fd);
        return -1;
    }
    return fd;
}

long long platform_file_size(int fd)
{
    struct _stat64 st;
    return _fstat64(fd, &st) == 0 ? (long long)st.st_size : -1;
}

int platform_create_new(const char *name)
{
    wchar_t wide[WIDE_NAME_SIZE];
    if (!to_wide(name, wide, WIDE_NAME_SIZE))
        return -1;
    return _wopen(wide, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

/* A directory link counts as a directory: no file can be renamed over it. */
path_kind platform_path_kind(const char *name)
{
    wchar_t wide[WIDE_NAME_SIZE];
    if (!to_wide(name, wide, WIDE_NAME_SIZE))
        return PATH_UNKNOWN;
    DWORD attributes = GetFileAttributesW(wide);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return attributes & FILE_ATTRIBUTE_DIRECTORY ? PATH_DIRECTORY : PATH_OTHER;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PATH_MISSING : PATH_UNKNOWN;
}

/* rename() will not replace an existing file on Windows. */
int platform_replace(const char *from, const char *to)
{
    wchar_t wide_from[WIDE_NAME_SIZE], wide_to[WIDE_NAME_SIZE];
    if (!to_wide(from, wide_from, WIDE_NAME_SIZE) || !to_wide(to, wide_to, WIDE_NAME_SIZE))
        return -1;
    if (MoveFileExW(wide_from, wide_to, MOVEFILE_REPLACE_EXISTING))
        return 0;
    errno = EACCES;
    return -1;
}

int platform_remove(const char *name)
{
    wchar_t wide[WIDE_NAME_SIZE];
    if (!to_wide(name, wide, WIDE_NAME_SIZE))
        return -1;
    return _wunlink(wide);
}

/* Either slash, or the colon of a drive-relative name such as "C:board.gbr".
 * No byte of a multi-byte UTF-8 character is ASCII, so bytes compare safely. */
static void (*interrupt_cleanup)(void);

/* Runs in a thread of its own; FALSE lets the default handler end the process. */
static BOOL WINAPI on_console_event(DWORD)
{
    interrupt_cleanup();
    return FALSE;
}

void platform_on_interrupt(void (*cleanup)(void))
{
    interrupt_cleanup = cleanup;
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

/* The console's handler runs in a thread of its own, and a file it misses
 * for a moment is a file it misses: nothing to hold. */
void platform_hold_interrupts(bool)
{
}

const char *platform_last_separator(const char *path)
{
    const char *last = nullptr;
    for (const char *c = path; *c; c++)
        if (*c == '/' || *c == '\\')
            last = c;
    if (last == nullptr && path[0] != '\0' && path[1] == ':')
        last = path + 1;
    return last;
}

void *platform_large_block(size_t size)
{
    return calloc(1, size);
}

void platform_release_block(void *block, size_t)
{
    free(block);
}

unsigned platform_process_id(void)
{
    return (unsigned)GetCurrentProcessId();
}

struct platform_dir {
    HANDLE search;
    bool first_unread;      /* the search's first name has not been handed out */
    WIN32_FIND_DATAW found;
    char name[MAX_PATH * 3 + 1];
};

platform_dir *platform_open_dir(const char *name)
{
    size_t length = strlen(name);
    char pattern[WIDE_NAME_SIZE];
    bool ends_directory = length > 0 && platform_last_separator(name) == name + length - 1;
    if (length + 3 > sizeof pattern) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    snprintf(pattern, sizeof pattern, "%s%s", name, ends_directory ? "*" : "\\*");
    wchar_t wide[WIDE_NAME_SIZE];
    platform_dir *dir = (platform_dir *)malloc(sizeof *dir);
    if (dir == nullptr || !to_wide(pattern, wide, WIDE_NAME_SIZE)) {
        free(dir);
        return nullptr;
    }
    dir->search = FindFirstFileW(wide, &dir->found);
    dir->first_unread = dir->search != INVALID_HANDLE_VALUE;
    if (!dir->first_unread && GetLastError() != ERROR_FILE_NOT_FOUND) {
        free(dir);
        errno = ENOENT;
        return nullptr;
    }
    return dir;
}

const char *platform_next_name(platform_dir *dir)
{
    if (dir->search == INVALID_HANDLE_VALUE)
        return nullptr;
    if (!dir->first_unread && !FindNextFileW(dir->search, &dir->found))
        return nullptr;
    dir->first_unread = false;
    if (WideCharToMultiByte(CP_UTF8, 0, dir->found.cFileName, -1, dir->name, sizeof dir->name, nullptr, nullptr) <= 0)
        dir->name[0] = '\0';
    return dir->name;
}

void platform_close_dir(platform_dir *dir)
{
    if (dir->search != INVALID_HANDLE_VALUE)
        FindClose(dir->search);
    free(dir);
}

static HANDLE console_of(int fd)
{
    HANDLE handle = (HANDLE)_get_osfhandle(fd);
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

/* _isatty() holds for any character device, the null device included. */
bool platform_is_console(int fd)
{
    return console_of(fd) != nullptr;
}

/* The console shows UTF-16 whatever its code page; written in pieces, as a
 * large write may fail, never splitting a surrogate pair. */
static bool write_console(HANDLE console, const char *utf8, size_t size)
{
    if (size > INT_MAX)
        return false;
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8, (int)size, nullptr, 0);
    wchar_t *wide = (wchar_t *)malloc(((size_t)length + 1) * sizeof *wide);
    if (wide == nullptr)
        return false;
    MultiByteToWideChar(CP_UTF8, 0, utf8, (int)size, wide, length);
    int done = 0;
    bool written = true;
    while (written && done < length) {
        DWORD piece = (DWORD)(length - done < CONSOLE_CHUNK ? length - done : CONSOLE_CHUNK);
        if (piece > 1 && IS_HIGH_SURROGATE(wide[done + piece - 1]) && done + (int)piece < length)
            piece--;
        DWORD shown = 0;
        written = WriteConsoleW(console, wide + done, piece, &shown, nullptr) && shown > 0;
        done += (int)shown;
    }
    free(wide);
    return written;
}

long platform_write(int fd, const char *data, size_t size)
{
    HANDLE console = console_of(fd);
    if (console == nullptr)
        return _write(fd, data, size > INT_MAX ? INT_MAX : (unsigned)size);
    if (!write_console(console, data, size)) {
        errno = EIO;
        return -1;
    }
    return (long)size;
}

/* Formatted on the stack unless long; what the stream holds goes first. */
int platform_vfprintf(FILE *stream, const char *format, va_list args)
{
    HANDLE console = console_of(_fileno(stream));
    if (console == nullptr)
        return vfprintf(stream, format, args);
    char first[CONSOLE_TEXT_SIZE];
    char *text = first;
    va_list again;
    va_copy(again, args);
    int length = vsnprintf(first, sizeof first, format, args);
    if (length >= (int)sizeof first && (text = (char *)malloc((size_t)length + 1)) != nullptr)
        vsnprintf(text, (size_t)length + 1, format, again);
    va_end(again);
    fflush(stream);
    bool written = length >= 0 && text != nullptr && write_console(console, text, (size_t)length);
    if (text != first)
        free(text);
    return written ? length : -1;
}
