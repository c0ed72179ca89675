/* test_support.h - running the built programs and handling scratch files in tests. */
#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include <string>
#include <vector>

struct run_result {
    int status = -1;         /* exit status, or 128 + signal number */
    bool timed_out = false;  /* killed after the time limit */
    std::string out;         /* everything written to standard output */
    std::string err;         /* everything written to standard error */
};

/* Where a program's standard output and error go: a pipe each, a pseudo-terminal
 * each (raw, so that bytes arrive unchanged), or nowhere (both closed). */
enum class streams { pipes, terminal, closed };

/* Runs argv[0] with the arguments (no shell), in `cwd` when not empty, and
 * kills it after `timeout_s` seconds. Standard input is /dev/null. */
run_result run_program(const std::vector<std::string> &argv, const std::string &cwd = "", int timeout_s = 10,
                       streams how = streams::pipes);

/* Runs the built converter with the given arguments. */
run_result run_drelvo(const std::vector<std::string> &args, const std::string &cwd = "", int timeout_s = 10,
                      streams how = streams::pipes);

/* Path of the built converter binary. */
std::string drelvo_path();

/* A fresh directory under the system's temporary directory, removed with its contents. */
struct temp_dir {
    std::string path;
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir &) = delete;
    temp_dir &operator=(const temp_dir &) = delete;
    std::string file(const std::string &name) const { return path + "/" + name; }
};

bool file_exists(const std::string &path);
std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &content);

/* A file in a directory of its own holding the given text, open for reading
 * as fd (-1 when it could not be opened) until the object goes. */
struct input_file {
    temp_dir dir;
    int fd;
    input_file(const std::string &name, const std::string &text);
    ~input_file();
    input_file(const input_file &) = delete;
    input_file &operator=(const input_file &) = delete;
};

/* A new hole list with its index, or without one (then it takes the reference path). */
struct d_list *new_hole_list(bool reference);
/* Such a list with the sections grouped as the reader groups them: each joins
 * the first hole it touches or starts a new one. */
struct d_list *group_sections(const std::vector<struct section> &sections, bool reference);

/* The converter's fixed texts as they arrive through a pipe (code page 1250). */
std::string cp1250(const char *utf8);

#endif
