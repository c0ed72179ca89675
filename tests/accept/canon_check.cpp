#include "canon_check.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>
#include <vector>

namespace {

/* rs274 prints every number with four decimals, inches included; an inch
 * value in the program is itself rounded to six decimals. */
bool near(double a, double b) { return std::fabs(a - b) <= 0.5e-4 + 0.5e-6 + 1e-9; }

struct point {
    double x, y;
};

/* One line of rs274's output: "   12 N..... STRAIGHT_FEED(1.0000, 2.0000, ...)". */
struct call {
    int line = 0;
    std::string name;
    std::vector<std::string> args;
    std::vector<double> numbers;  /* the arguments read as numbers */
};

std::vector<call> parse_calls(const std::string &canon)
{
    std::vector<call> calls;
    std::istringstream in(canon);
    std::string text;
    while (std::getline(in, text)) {
        size_t start = text.find("N..... ");
        size_t open = text.find('(', start);
        if (start == std::string::npos || open == std::string::npos)
            continue;
        call c;
        c.line = std::atoi(text.c_str());
        c.name = text.substr(start + 7, open - start - 7);
        std::istringstream args(text.substr(open + 1));
        std::string arg;
        while (std::getline(args, arg, ',')) {
            arg.erase(0, arg.find_first_not_of(' '));
            c.args.push_back(arg.substr(0, arg.find(')')));
            c.numbers.push_back(std::strtod(arg.c_str(), nullptr));
        }
        calls.push_back(c);
    }
    return calls;
}

/* Calls that set up or reset the interpreter without moving or switching anything. */
const std::set<std::string> neutral_calls = {"SET_G5X_OFFSET", "SET_G92_OFFSET", "SET_XY_ROTATION",
                                             "SET_FEED_REFERENCE", "SET_FEED_MODE", "SET_SPINDLE_MODE",
                                             "ON_RESET"};
const std::set<std::string> tool_change_calls = {"SELECT_TOOL", "START_CHANGE", "CHANGE_TOOL"};

/* The machine as the calls leave it, and the rules each call must keep. */
class machine {
public:
    explicit machine(const drilling_plan &plan) : plan_(plan) {}

    std::string step(const call &c);
    std::string finish() const;

    std::vector<point> moves;    /* every X/Y move at the safe height, in order */
    std::vector<point> plunges;  /* every plunge, in order */

private:
    std::string traverse(double x, double y, double z);
    std::string plunge(double x, double y, double z);
    std::string start_spindle(int direction);
    std::string dwell(double seconds);
    std::string stop_spindle();
    std::string pause();
    std::string end_program();
    bool at_park() const { return near(x_, 0) && near(y_, 0) && near(z_, plan_.safe_z); }

    const drilling_plan &plan_;
    double x_ = 0, y_ = 0, z_ = 0;
    std::string units_;
    double feed_ = -1, speed_ = -1;
    int spindle_ = 0;                /* 1 clockwise, -1 counter-clockwise, 0 stopped */
    bool stopped_ = false;           /* stopped after running: a restart needs a message and a pause */
    bool message_ = false, paused_ = false;
    bool last_move_parks_ = false;   /* the latest motion went to X0 Y0 at the safe height */
    bool just_moved_ = false;
    bool dwell_due_ = false;         /* the spindle has started, its run-up dwell not yet made */
    bool stop_follows_move_ = false; /* the call after the latest motion stopped the spindle */
    int ends_ = 0;
};

std::string machine::step(const call &c)
{
    if (just_moved_)
        stop_follows_move_ = c.name == "STOP_SPINDLE_TURNING";
    just_moved_ = false;
    std::string fault;
    if (ends_ > 0 && c.name != "ON_RESET")
        fault = "after the program end";
    else if (c.name == "STRAIGHT_TRAVERSE" && c.numbers.size() >= 3)
        fault = traverse(c.numbers[0], c.numbers[1], c.numbers[2]);
    else if (c.name == "STRAIGHT_FEED" && c.numbers.size() >= 3)
        fault = plunge(c.numbers[0], c.numbers[1], c.numbers[2]);
    else if (c.name == "USE_LENGTH_UNITS" && c.args.size() == 1)
        units_ = c.args[0];
    else if (c.name == "SET_FEED_RATE" && c.numbers.size() == 1)
        feed_ = c.numbers[0];
    else if (c.name == "SET_SPINDLE_SPEED" && c.numbers.size() == 2)
        speed_ = c.numbers[1];
    else if (c.name == "START_SPINDLE_CLOCKWISE" || c.name == "START_SPINDLE_COUNTERCLOCKWISE")
        fault = start_spindle(c.name == "START_SPINDLE_CLOCKWISE" ? 1 : -1);
    else if (c.name == "DWELL" && c.numbers.size() == 1)
        fault = dwell(c.numbers[0]);
    else if (c.name == "STOP_SPINDLE_TURNING")
        fault = stop_spindle();
    else if (c.name == "MESSAGE")
        message_ = true;
    else if (c.name == "PROGRAM_STOP")
        fault = pause();
    else if (tool_change_calls.count(c.name))
        fault = spindle_ == 0 ? "" : "tool change with the spindle running";
    else if (c.name == "PROGRAM_END")
        fault = end_program();
    else if (!neutral_calls.count(c.name))
        fault = "unexpected call";
    return fault.empty() ? fault : "line " + std::to_string(c.line) + ", " + c.name + ": " + fault;
}

std::string machine::traverse(double x, double y, double z)
{
    if (dwell_due_)
        return "move before the spindle's run-up dwell";
    if (near(z_, plan_.safe_z)) {
        if (!near(z, plan_.safe_z))
            return "rapid move leaves the safe height";
        moves.push_back({x, y});
    } else {
        if (!near(x, x_) || !near(y, y_))
            return "X/Y move away from the safe height";
        if (!near(z, plan_.safe_z))
            return "rapid move to a height other than the safe height";
    }
    last_move_parks_ = near(x, 0) && near(y, 0) && near(z, plan_.safe_z);
    just_moved_ = true;
    x_ = x, y_ = y, z_ = z;
    return "";
}

std::string machine::plunge(double x, double y, double z)
{
    if (dwell_due_)
        return "move before the spindle's run-up dwell";
    if (units_ != (plan_.inch ? "CANON_UNITS_INCHES" : "CANON_UNITS_MM"))
        return "the unit is not set to the program's unit";
    if (!near(feed_, plan_.feed))
        return "feed " + std::to_string(feed_) + " instead of " + std::to_string(plan_.feed);
    if (!near(speed_, plan_.speed))
        return "spindle speed " + std::to_string(speed_) + " instead of " + std::to_string(plan_.speed);
    if (spindle_ != (plan_.counter_clockwise ? -1 : 1))
        return "the spindle is not turning the set way";
    if (!near(x, x_) || !near(y, y_))
        return "feed move in X/Y";
    if (!near(z_, plan_.safe_z))
        return "the plunge does not start at the safe height";
    if (!near(z, plan_.drill_z))
        return "the plunge does not end at the drilling depth";
    plunges.push_back({x, y});
    last_move_parks_ = false;
    just_moved_ = true;
    z_ = z;
    return "";
}

std::string machine::start_spindle(int direction)
{
    if (direction != (plan_.counter_clockwise ? -1 : 1))
        return "the spindle turns the wrong way";
    if (stopped_ && !paused_)
        return "spindle restarted without a pause";
    spindle_ = direction;
    stopped_ = message_ = paused_ = false;
    dwell_due_ = plan_.dwell > 0;
    return "";
}

std::string machine::dwell(double seconds)
{
    if (!dwell_due_)
        return "dwell that follows no spindle start";
    if (!near(seconds, plan_.dwell))
        return "dwell of " + std::to_string(seconds) + " s instead of " + std::to_string(plan_.dwell);
    dwell_due_ = false;
    return "";
}

std::string machine::stop_spindle()
{
    if (spindle_ == 0)
        return "";  /* a tool change or the program end stops it again */
    if (!at_park())
        return "the spindle stops away from X0 Y0 at the safe height";
    spindle_ = 0;
    stopped_ = true;
    return "";
}

std::string machine::pause()
{
    if (spindle_ != 0)
        return "pause with the spindle running";
    if (!at_park())
        return "pause away from X0 Y0 at the safe height";
    if (!message_)
        return "pause without a message to the operator";
    paused_ = true;
    return "";
}

std::string machine::end_program()
{
    if (!last_move_parks_)
        return "the last move is not the park move to X0 Y0 at the safe height";
    if (!stop_follows_move_)
        return "the park move is not followed by a spindle stop";
    ++ends_;
    return "";
}

std::string machine::finish() const
{
    return ends_ == 1 ? "" : "the program has no program end";
}

/* The X/Y words of the program's lines, in order; a missing one keeps its value. */
std::vector<point> program_moves(const std::string &tap)
{
    std::vector<point> moves;
    point at{0, 0};
    std::istringstream in(tap);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('('));
        size_t x = line.find('X'), y = line.find('Y');
        if (x == std::string::npos && y == std::string::npos)
            continue;
        if (x != std::string::npos)
            at.x = std::strtod(line.c_str() + x + 1, nullptr);
        if (y != std::string::npos)
            at.y = std::strtod(line.c_str() + y + 1, nullptr);
        moves.push_back(at);
    }
    return moves;
}

std::string format_point(const point &p)
{
    std::ostringstream out;
    out << "X" << p.x << " Y" << p.y;
    return out.str();
}

/* Every X/Y word of the program must reach the machine as one move to the same place. */
std::string compare_moves(const std::vector<point> &written, const std::vector<point> &made)
{
    if (written.size() != made.size())
        return std::to_string(written.size()) + " X/Y moves written, " + std::to_string(made.size()) +
               " made at the safe height";
    for (size_t i = 0; i < written.size(); ++i)
        if (!near(written[i].x, made[i].x) || !near(written[i].y, made[i].y))
            return "X/Y move " + std::to_string(i + 1) + " written as " + format_point(written[i]) +
                   ", made to " + format_point(made[i]);
    return "";
}

std::string check_corner(const std::vector<point> &plunges, const drilling_plan &plan)
{
    if (plunges.empty())
        return "";
    auto by_x = [](const point &a, const point &b) { return a.x < b.x; };
    auto by_y = [](const point &a, const point &b) { return a.y < b.y; };
    point low{std::min_element(plunges.begin(), plunges.end(), by_x)->x,
              std::min_element(plunges.begin(), plunges.end(), by_y)->y};
    if (!near(low.x, plan.corner_x) || !near(low.y, plan.corner_y))
        return "the holes' lower left corner is " + format_point(low) + ", not " +
               format_point({plan.corner_x, plan.corner_y});
    return "";
}

}  // namespace

std::string judge_program(const std::string &canon, const std::string &tap, const drilling_plan &plan)
{
    std::vector<call> calls = parse_calls(canon);
    /* What comes before the first reset is the interpreter's own start-up. */
    auto first = std::find_if(calls.begin(), calls.end(), [](const call &c) { return c.name == "ON_RESET"; });
    if (first == calls.end())
        return "no canonical calls";
    machine m(plan);
    for (auto c = first + 1; c != calls.end(); ++c) {
        std::string fault = m.step(*c);
        if (!fault.empty())
            return fault;
    }
    std::string fault = m.finish();
    if (fault.empty() && m.plunges.size() != plan.holes)
        fault = std::to_string(m.plunges.size()) + " plunges for " + std::to_string(plan.holes) + " holes";
    if (fault.empty())
        fault = compare_moves(program_moves(tap), m.moves);
    if (fault.empty())
        fault = check_corner(m.plunges, plan);
    return fault;
}
