/* gcode_writer.h - the drilling program in G-code: the head, the spindle,
 * each hole's plunge, the bit changes and the end.
 *
 * Lengths come in millimetres and go out in the program's unit; the feed,
 * the safe height, the depth and the change height in whole millimetres. */
#ifndef GCODE_WRITER_H
#define GCODE_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include "holes/bit_plan.h"
#include "holes/bore.h"
#include "holes/d_list.h"

/* What the writer needs of the run's settings. */
typedef struct program_style {
    int inch_output;          /* 1: G20 and lengths in inches; 0: G21, millimetres */
    int precision;            /* decimals of a length */
    uint32_t spindle_speed;   /* rpm */
    int spindle_left;         /* 1: M4; 0: M3 */
    double feed;              /* mm/min */
    double neutral_height;    /* the safe height, mm */
    double depth;             /* mm */
    double change_height;     /* where the drill rises for a bit change, mm */
    int change_m6;            /* 1: T<n> M6 before each change's pause */
    int warmup_tenths;        /* the dwell after each spindle start, tenths of a second; 0: none */
} program_style;

/* Writes the drilling program for the holes of `holes`, starting at first_bore. */
void print_bores(int fd, const program_style &style, d_list *holes, bore *first_bore);
/* The program of one bit alone: the form print_bores writes. */
void print_one_bit(int fd, const program_style &style, bit_plan &plan);
/* One program of several bits, each after its change: rise, park, spindle
 * stop, a message naming the bit, T<k> M6 when asked, a pause, spindle start. */
void print_bits(int fd, const program_style &style, std::vector<bit_plan> &plans);
/* Seconds from tenths, with the one decimal they may need: "1.5", "2". */
std::string tenths_text(int tenths);
/* A bit's diameter as the operator reads it: two decimals, more where they count. */
std::string diameter_text(double mm);

#endif
