/* drill_run.cpp - the run of a drill file: its summary lines, the one
 * program of all bits, or the per-bit programs with those of an earlier run
 * removed first. */
#include "app/drill_run.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/bit_set.h"
#include "app/output_name.h"
#include "holes/bit_plan.h"
#include "holes/mirror.h"
#include "reading/excellon.h"
#include "system/platform.h"
#include "writing/program_file.h"
#include "system/console_text.h"
#include "system/tools.h"
#include "writing/gcode_writer.h"

/* What the reading assumed, and what became of the slots. */
static void print_job_summary(const excellon_job &job)
{
    print_text(stdout, "Fúrófájl: %s\n", console_text(STDOUT_FILENO, job.format.c_str()).c_str());
    long slots = 0, hits = 0;
    for (const excellon_bit &bit : job.bits)
        for (const excellon_slot &slot : bit.slots) {
            slots++;
            hits += (long)slot.hits.size();
        }
    if (slots > 0)
        print_text(stdout, "%ld horonyból %ld furat lett.\n", slots, hits);
}

/* The file read and what was read said; then the job on the bits at hand
 * (-b), mirrored as asked (-k). */
static excellon_job read_job(int in, const settings_t &s)
{
    excellon_job job = read_excellon(in, s.number_format);
    print_job_summary(job);
    if (s.bit_count > 0)
        print_bit_set(job, fit_bit_set(job, std::vector<double>(s.bit_set, s.bit_set + s.bit_count)));
    mirror_job(job, (mirror_axis)s.mirror);
    return job;
}

/* "1. fúró: 0.80 mm (T1, T3), 37 furat", and the file it went into. */
static void print_bit_line(int place, const excellon_bit &bit, const char *file)
{
    std::string tools;
    for (int tool : bit.tools)
        tools += (tools.empty() ? "T" : ", T") + std::to_string(tool);
    print_text(stdout, "%d. fúró: %s mm (%s), %ld furat", place, diameter_text(bit.diameter).c_str(), tools.c_str(),
               bit_hits(bit));
    if (file != nullptr)
        print_text(stdout, ": %s", file);
    print_text(stdout, "\n");
}

/* "<input>.T<place>.tap" into the output name; false after the message. */
static bool name_bit_file(settings_t &s, int place)
{
    int length = snprintf(s.output_name, sizeof s.output_name, "%s.T%d.tap", s.input_name,
                          place);
    if (length >= 0 && (size_t)length < sizeof s.output_name)
        return true;
    s.output_name[0] = '\0';
    print_text(stderr, "Nem sikerült elkészíteni a fájl nevét: %s.T%d.tap\n", s.input_name, place);
    return false;
}

/* Whether `name` is "<base>.T<digits>.tap". */
static bool bit_file_of(const char *name, const char *base)
{
    size_t length = strlen(base);
    if (strncmp(name, base, length) != 0 || strncmp(name + length, ".T", 2) != 0)
        return false;
    const char *p = name + length + 2;
    if (!isdigit((unsigned char)*p))
        return false;
    while (isdigit((unsigned char)*p))
        p++;
    return strcmp(p, ".tap") == 0;
}

/* Removes the per-bit programs an earlier run left beside the input, so that
 * a board with fewer bits now leaves no stale bit behind. False after the message. */
static bool remove_bit_files(const settings_t &s)
{
    const char *slash = platform_last_separator(s.input_name);
    std::string dir = slash ? std::string(s.input_name, slash - s.input_name + 1) : "./";
    const char *base = slash ? slash + 1 : s.input_name;
    platform_dir *listing = platform_open_dir(dir.c_str());
    if (listing == nullptr) {
        print_text(stderr, "Nem sikerült megnyitni a könyvtárat: %s\n", dir.c_str());
        return false;
    }
    bool removed = true;
    while (const char *name = platform_next_name(listing)) {
        if (!bit_file_of(name, base))
            continue;
        std::string path = dir + name;
        if (platform_path_kind(path.c_str()) == PATH_DIRECTORY)
            continue;
        if (platform_remove(path.c_str()) != 0 && errno != ENOENT) {
            print_text(stderr, "Nem sikerült törölni a fájlt: %s\n", path.c_str());
            removed = false;
            break;
        }
    }
    platform_close_dir(listing);
    return removed;
}

/* One program per bit, each in the one-bit form, named in drilling order. */
static int write_bit_files(settings_t &s, std::vector<bit_plan> &plans)
{
    if (!remove_bit_files(s))
        return 1;
    for (size_t k = 0; k < plans.size(); k++) {
        const int place = (int)k + 1;
        if (!name_bit_file(s, place))
            return 1;
        int out = open_program_file(s.output_name);
        if (out < 0) {
            print_text(stderr, "Nem sikerült elkészíteni a fájlt: %s\n", s.output_name);
            return 1;
        }
        print_one_bit(out, style_of(s), plans[k]);
        if (!finish_program_file())
            return 1;
        print_bit_line(place, *plans[k].bit, s.output_name);
    }
    return 0;
}

/* The whole job in "<input>.tap", started before the reading so that a
 * faulty file leaves an empty program there, as a Gerber file does. */
static int write_job_file(int in, settings_t &s)
{
    int out = open_output(s);
    if (out < 0)
        return 1;
    excellon_job job = read_job(in, s);
    std::vector<bit_plan> plans = plan_bits(job, std::trunc(s.x_offset), std::trunc(s.y_offset));
    if (plans.size() == 1)
        print_one_bit(out, style_of(s), plans[0]);
    else
        print_bits(out, style_of(s), plans);
    free_bit_plans(plans);
    if (!finish_program_file())
        return 1;
    for (size_t k = 0; k < job.bits.size(); k++)
        print_bit_line((int)k + 1, job.bits[k], nullptr);
    return 0;
}

static int write_drill_programs(int in, settings_t &s)
{
    if (s.tool_change != CHANGE_PER_FILE)
        return write_job_file(in, s);
    excellon_job job = read_job(in, s);
    std::vector<bit_plan> plans = plan_bits(job, std::trunc(s.x_offset), std::trunc(s.y_offset));
    int status = write_bit_files(s, plans);
    free_bit_plans(plans);
    return status;
}

int convert_excellon(int in, settings_t &s)
{
    /* A few bytes of repeat codes (R) can ask for more hits than memory
     * holds: that is the user's file, so a diagnostic, not a crash. */
    try {
        return write_drill_programs(in, s);
    } catch (const std::bad_alloc &) {
        fatal_error("Kevés a memória a fúrófájl furataihoz.");
    }
}

