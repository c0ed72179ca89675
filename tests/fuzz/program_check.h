/* program_check.h - recognises a complete drilling program; shared by the
 * fuzz targets and the hostile-input tests. */
#ifndef PROGRAM_CHECK_H
#define PROGRAM_CHECK_H

#include <string>
#include <vector>

namespace program_check_detail {

/* A fixed-point number as "%0.5lf" prints a finite, non-negative value. */
inline bool plain_number(const std::string &text)
{
    size_t point = text.find('.');
    if (point == std::string::npos || point == 0 || text.size() - point - 1 != 5)
        return false;
    for (size_t i = 0; i < text.size(); i++)
        if (i != point && (text[i] < '0' || text[i] > '9'))
            return false;
    return true;
}

inline bool move_line(const std::string &line)
{
    if (line.size() < 4 || line[0] != 'X')
        return false;
    size_t blank = line.find(" Y");
    return blank != std::string::npos && plain_number(line.substr(1, blank - 1)) &&
           plain_number(line.substr(blank + 2));
}

}  // namespace program_check_detail

/* A complete program as written with the default settings: the fixed head,
 * moves and plunges with finite, non-negative coordinates, and the fixed
 * tail. Returns the number of plunges, or -1 when it is not one. */
inline int count_plunges(const std::string &program)
{
    static const std::string head = "G90\r\nG21\r\nF400.00000\r\nG0 Z2.00000\r\nS1000\r\nM3\r\n";
    static const std::string tail = "G0 Z2.00000\r\nX0.00000 Y0.00000\r\nM5\r\nM2\r\n";
    if (program.size() < head.size() + tail.size() || program.compare(0, head.size(), head) != 0 ||
        program.compare(program.size() - tail.size(), tail.size(), tail) != 0)
        return -1;
    std::vector<std::string> lines;
    size_t at = head.size(), end = program.size() - tail.size();
    while (at < end) {
        size_t eol = program.find("\r\n", at);
        if (eol == std::string::npos || eol >= end)
            return -1;
        lines.push_back(program.substr(at, eol - at));
        at = eol + 2;
    }
    /* The first hole: move, plunge; every other one: rise, move, plunge. */
    if (lines.size() < 2 || (lines.size() - 2) % 3 != 0)
        return -1;
    int plunges = 0;
    for (size_t i = 0; i < lines.size(); i++) {
        size_t phase = i < 2 ? i + 1 : (i - 2) % 3;
        const std::string &line = lines[i];
        bool good = phase == 0 ? line == "G0 Z2.00000" : phase == 1 ? program_check_detail::move_line(line) : line == "G1 Z-2.00000";
        if (!good)
            return -1;
        plunges += phase == 2;
    }
    return plunges;
}

/* A program of several bits as one bit: each bit change (park, spindle stop,
 * message, pause, spindle start) taken out, the first one's spindle start
 * left in place, so that count_plunges judges the rest. Other text is kept. */
inline std::string without_bit_changes(const std::string &program)
{
    static const std::string park = "X0.00000 Y0.00000\r\nM5\r\n(MSG, ";
    static const std::string restart = ")\r\nM0\r\nS1000\r\nM3\r\n";
    std::string one = program;
    bool first = true;
    for (size_t at = one.find(park); at != std::string::npos; at = one.find(park, at)) {
        size_t end = one.find(restart, at);
        if (end == std::string::npos)
            break;
        one.replace(at, end + restart.size() - at, first ? "S1000\r\nM3\r\n" : "");
        first = false;
    }
    return one;
}

#endif
