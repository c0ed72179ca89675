/* board.h - synthetic Gerber boards for measuring and checking the converter.
 *
 * A board holds n holes on a jittered square grid, each a flash or a closed
 * outline of 4 or 16 strokes whose neighbouring strokes share their end point
 * exactly (the same integer is printed for it), so the converter groups every
 * outline into one hole. Coordinates are positive integers in the file's
 * smallest unit: 0.1 um for millimetre boards (FSLAX44Y44), 10 uin for inch
 * boards (FSLAX35Y35), whose integer digits hold a million holes. The same
 * description always gives the same text. */
#ifndef TESTKIT_BOARD_H
#define TESTKIT_BOARD_H

#include <cstdint>
#include <string>

enum class hole_shape { flash, outline4, outline16, mix };
enum class board_unit { mm, inch };

struct board_spec {
    int holes = 100;
    hole_shape shape = hole_shape::flash;
    board_unit unit = board_unit::mm;
    uint32_t seed = 1;
};

/* The Gerber text of the board. */
std::string gerber_board(const board_spec &spec);

/* Number of sections (strokes and flashes) the board's text holds. */
long board_sections(const board_spec &spec);

/* "flash", "outline4", "outline16", "mix"; parse returns false for any other name. */
const char *shape_name(hole_shape shape);
bool parse_shape(const std::string &name, hole_shape *shape);

#endif
