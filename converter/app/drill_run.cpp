/* drill_run.cpp - the run of a drill file: its summary lines, the one
 * program of all bits, or the per-bit programs, which replace those of an
 * earlier run all together. */
#include "app/drill_run.h"

#include <cstdlib>
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

/* A bit above this diameter, mm, makes a hole that is milled, not drilled. */
static const double LARGEST_DRILL_MM = 10.0;
/* The most bits a drill file can have: one per tool number, T0 ... T999999. */
static const long MAX_BITS = 1000000;

/* "T1, T3": the file's tools of the bit. */
static std::string tool_names(const excellon_bit &bit)
{
    std::string tools;
    for (int tool : bit.tools)
        tools += (tools.empty() ? "T" : ", T") + std::to_string(tool);
    return tools;
}

/* What the reading assumed, the file's messages to the operator, what
 * became of the slots, and a warning for each bit no drill has. */
static void print_job_summary(const excellon_job &job)
{
    print_text(stdout, "Fúrófájl: %s\n", console_text(STDOUT_FILENO, job.format.c_str()).c_str());
    for (const std::string &text : job.messages)
        print_text(stdout, "Üzenet a fájlban: %s\n", text.c_str());
    for (const excellon_bit &bit : job.bits)
        if (bit.diameter > LARGEST_DRILL_MM)
            print_text(stderr, "Figyelem: a(z) %s szerszám átmérője %s mm, több mint %.0f mm: ekkora furatot marni szokás, nem fúrni.\n",
                       tool_names(bit).c_str(), diameter_text(bit.diameter).c_str(), LARGEST_DRILL_MM);
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
static void print_bit_line(int place, const bit_plan &plan, const char *file)
{
    const excellon_bit &bit = *plan.bit;
    print_text(stdout, "%d. fúró: %s mm (%s), %ld furat", place, diameter_text(bit.diameter).c_str(),
               tool_names(bit).c_str(), plan.plunges);
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

/* The place of a name "<base>.T<place>.tap" that a per-bit run writes
 * (1 ... MAX_BITS, no leading zero); 0 for every other name. */
static long bit_file_place(const char *name, const char *base)
{
    size_t length = strlen(base);
    if (strncmp(name, base, length) != 0 || strncmp(name + length, ".T", 2) != 0)
        return 0;
    const char *digits = name + length + 2;
    size_t count = strspn(digits, "0123456789");
    if (count == 0 || count > 7 || digits[0] == '0' || strcmp(digits + count, ".tap") != 0)
        return 0;
    long place = atol(digits);
    return place <= MAX_BITS ? place : 0;
}

/* Removes the per-bit programs an earlier run left beside the input after
 * the first `kept` places (those are replaced), so that a board with fewer
 * bits now leaves no stale bit behind. False after the message. */
static bool remove_bit_files(const settings_t &s, long kept)
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
        if (bit_file_place(name, base) <= kept)
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

/* One program per bit, each in the one-bit form, named in drilling order;
 * all of them take their names, or none: every name is checked, every
 * program written aside, and only then are the earlier run's files replaced. */
static int write_bit_files(settings_t &s, std::vector<bit_plan> &plans)
{
    std::vector<std::string> names;
    for (size_t k = 0; k < plans.size(); k++) {
        if (!name_bit_file(s, (int)k + 1))
            return 1;
        names.push_back(s.output_name);
        if (!program_name_usable(s.output_name)) {
            print_text(stderr, "Nem sikerült elkészíteni a fájlt: %s\n", s.output_name);
            return 1;
        }
    }
    begin_program_set(plans.size());
    for (size_t k = 0; k < plans.size(); k++) {
        int out = open_program_file(names[k].c_str());
        if (out < 0) {
            drop_programs();
            print_text(stderr, "Nem sikerült elkészíteni a fájlt: %s\n", names[k].c_str());
            return 1;
        }
        print_one_bit(out, style_of(s), plans[k]);
        finish_program_file();
    }
    if (!remove_bit_files(s, (long)plans.size())) {
        drop_programs();
        return 1;
    }
    if (!place_programs())
        return 1;
    for (size_t k = 0; k < plans.size(); k++)
        print_bit_line((int)k + 1, plans[k], names[k].c_str());
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
    int status = finish_program_file() ? 0 : 1;
    for (size_t k = 0; status == 0 && k < plans.size(); k++)
        print_bit_line((int)k + 1, plans[k], nullptr);
    free_bit_plans(plans);
    return status;
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
    int status;
    try {
        status = write_drill_programs(in, s);
    } catch (const std::bad_alloc &) {
        fatal_error("Kevés a memória a fúrófájl furataihoz.");
    }
    /* A summary that could not be written (a pipe closed early) is no
     * reason to stop, nor a success. */
    if (fflush(stdout) != 0 || ferror(stdout)) {
        print_text(stderr, "Nem sikerült kiírni az összegzést a szabványos kimenetre.\n");
        return 1;
    }
    return status;
}

