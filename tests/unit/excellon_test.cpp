/* The Excellon reader: every file of the shared drill corpus against its
 * oracle (an independent reader's holes and slots in mm), detection of both
 * corpora, and small texts for the format inference, the slots and every
 * kind of diagnostic. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <unistd.h>

#include "holes/bit_plan.h"
#include "reading/excellon.h"
#include "test_support.h"
#include "system/tools.h"

namespace fs = std::filesystem;

namespace {

struct fatal_exit {
    int status;
};

void throwing_handler(int status) { throw fatal_exit{status}; }

struct outcome {
    bool fatal = false;
    std::string message;   /* the diagnostic's quoted message, as printed (code page 1250) */
    int line = 0;          /* its line number, read from the message */
    excellon_job job;
};

class Excellon : public ::testing::Test {
protected:
    fatal_handler_fn previous = nullptr;
    void SetUp() override { previous = set_fatal_handler(throwing_handler); }
    void TearDown() override { set_fatal_handler(previous); }

    static outcome read_fd(int fd, excellon_digits digits)
    {
        outcome r;
        testing::internal::CaptureStderr();
        try {
            r.job = read_excellon(fd, digits);
        } catch (const fatal_exit &e) {
            r.fatal = true;
            EXPECT_EQ(e.status, 1);
        }
        std::string err = testing::internal::GetCapturedStderr();
        size_t quote = err.find("(): \"");
        if (r.fatal && quote != std::string::npos) {
            EXPECT_EQ(err.rfind("excellon.cpp, ", 0), 0u) << err;
            r.message = err.substr(quote + 5, err.size() - quote - 7);
            sscanf(r.message.c_str(), "A f%*s %d.", &r.line);
        }
        return r;
    }

    static outcome read_text(const std::string &text, excellon_digits digits = {0, 0})
    {
        input_file in("in.drl", text);
        EXPECT_GE(in.fd, 0);
        return read_fd(in.fd, digits);
    }
};

bool detect(const std::string &path)
{
    int fd = open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0) << path;
    bool excellon = is_excellon(fd);
    EXPECT_EQ(lseek(fd, 0, SEEK_CUR), 0) << path << ": the file is rewound";
    close(fd);
    return excellon;
}

/* ---- slots ---- */

/* The hits of a slot lie on it at equal spacing, both ends first, every
 * later one midway between its two drilled neighbours, and the ridge
 * between neighbours is at most SLOT_RIDGE_MM. */
::testing::AssertionResult sound_slot(const excellon_slot &s, double diameter)
{
    const auto &h = s.hits;
    double dx = s.to.x - s.from.x, dy = s.to.y - s.from.y, length = std::hypot(dx, dy);
    if (h.empty() || h[0].x != s.from.x || h[0].y != s.from.y)
        return ::testing::AssertionFailure() << "the first hit is not the slot's start";
    if (length == 0.0)
        return h.size() == 1 ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "a point slot";
    if (h.size() < 2 || h[1].x != s.to.x || h[1].y != s.to.y)
        return ::testing::AssertionFailure() << "the second hit is not the slot's end";
    std::set<double> drilled;
    for (size_t k = 0; k < h.size(); k++) {
        double t = ((h[k].x - s.from.x) * dx + (h[k].y - s.from.y) * dy) / (length * length);
        double off = std::fabs((h[k].x - s.from.x) * dy - (h[k].y - s.from.y) * dx) / length;
        if (off > 1e-9 || t < -1e-12 || t > 1 + 1e-12)
            return ::testing::AssertionFailure() << "hit " << k << " is off the slot";
        if (k >= 2) {
            auto after = drilled.upper_bound(t);
            if (after == drilled.end() || after == drilled.begin())
                return ::testing::AssertionFailure() << "hit " << k << " outside the drilled ends";
            double next = *after, before = *std::prev(after);
            if (std::fabs(t - (before + next) / 2) > 1e-9)
                return ::testing::AssertionFailure() << "hit " << k << " is not midway between drilled neighbours";
        }
        if (!drilled.insert(t).second)
            return ::testing::AssertionFailure() << "hit " << k << " drilled twice";
    }
    double r = diameter / 2, widest = 0, previous = -1;
    for (double t : drilled) {
        if (previous >= 0)
            widest = std::max(widest, (t - previous) * length);
        previous = t;
    }
    if (widest >= diameter || r - std::sqrt(r * r - widest * widest / 4) > SLOT_RIDGE_MM + 1e-12)
        return ::testing::AssertionFailure() << "hits " << widest << " mm apart leave too high a ridge";
    return ::testing::AssertionSuccess();
}

/* ---- the corpus against its oracle ---- */

struct oracle_row {
    int tool;
    double diameter, x, y, x2, y2;
    bool slot;
};

std::vector<oracle_row> read_oracle(const std::string &path)
{
    std::vector<oracle_row> rows;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);   /* the heading */
    while (std::getline(in, line)) {
        oracle_row r{};
        int n = sscanf(line.c_str(), "%d,%lf,%lf,%lf,%lf,%lf", &r.tool, &r.diameter, &r.x, &r.y, &r.x2, &r.y2);
        EXPECT_TRUE(n == 4 || n == 6) << path << ": " << line;
        r.slot = n == 6;
        rows.push_back(r);
    }
    return rows;
}

double segment_distance(excellon_point p, excellon_point a, excellon_point b)
{
    double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
    double t = l2 == 0 ? 0 : std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

const double CLOSE_MM = 0.001;

/* The bit's holes are the oracle's, one to one; each oracle slot lies along
 * one of the bit's slots, and each slot of the bit has both ends on oracle
 * slots. */
void check_bit(const excellon_bit &bit, const std::vector<oracle_row> &rows)
{
    std::vector<excellon_point> expected;
    for (const oracle_row &r : rows)
        if (!r.slot && std::none_of(expected.begin(), expected.end(), [&](excellon_point p) {
                return std::hypot(p.x - r.x, p.y - r.y) < 1e-6;
            }))
            expected.push_back({r.x, r.y});
    ASSERT_EQ(bit.holes.size(), expected.size());
    std::vector<bool> taken(bit.holes.size());
    for (excellon_point e : expected) {
        size_t k = 0;
        while (k < bit.holes.size() && (taken[k] || std::hypot(bit.holes[k].x - e.x, bit.holes[k].y - e.y) > CLOSE_MM))
            k++;
        ASSERT_LT(k, bit.holes.size()) << "no hole at " << e.x << ", " << e.y;
        taken[k] = true;
    }
    for (const oracle_row &r : rows) {
        if (!r.slot)
            continue;
        bool covered = std::any_of(bit.slots.begin(), bit.slots.end(), [&](const excellon_slot &s) {
            return segment_distance({r.x, r.y}, s.from, s.to) <= CLOSE_MM &&
                   segment_distance({r.x2, r.y2}, s.from, s.to) <= CLOSE_MM;
        });
        EXPECT_TRUE(covered) << "slot " << r.x << ", " << r.y << " - " << r.x2 << ", " << r.y2;
    }
    for (const excellon_slot &s : bit.slots) {
        EXPECT_TRUE(sound_slot(s, bit.diameter));
        for (excellon_point end : {s.from, s.to}) {
            bool on_oracle = std::any_of(rows.begin(), rows.end(), [&](const oracle_row &r) {
                return r.slot && (std::hypot(end.x - r.x, end.y - r.y) <= CLOSE_MM ||
                                  std::hypot(end.x - r.x2, end.y - r.y2) <= CLOSE_MM);
            });
            EXPECT_TRUE(on_oracle) << "slot end " << end.x << ", " << end.y;
        }
    }
}

/* ---- the corpus converted ---- */

struct program_bit {
    std::string message;                 /* its "(MSG, ...)" line; empty in a one-bit program */
    std::vector<excellon_point> plunges; /* in drilling order */
};

/* The bits of a program (mm output) and the place of every plunge. */
std::vector<program_bit> program_bits(const std::string &program)
{
    std::vector<program_bit> bits(1);
    std::istringstream lines(program);
    std::string line;
    excellon_point at{0, 0};
    while (std::getline(lines, line)) {
        line = line.substr(0, line.find('\r'));
        if (line.rfind("(MSG, ", 0) == 0) {
            if (!bits.back().message.empty() || !bits.back().plunges.empty())
                bits.emplace_back();
            bits.back().message = line;
        } else if (sscanf(line.c_str(), "X%lf Y%lf", &at.x, &at.y) != 2 && line.rfind("G1 Z", 0) == 0) {
            bits.back().plunges.push_back(at);
        }
    }
    return bits;
}

excellon_point shifted(excellon_point p, excellon_point corner) { return {p.x - corner.x, p.y - corner.y}; }

bool near_point(excellon_point a, excellon_point b) { return std::hypot(a.x - b.x, a.y - b.y) <= CLOSE_MM; }

/* Whether the slot's hits are drilled one after the other, entered at an end. */
bool drilled_in_a_row(const std::vector<excellon_point> &plunges, const std::vector<excellon_point> &hits)
{
    for (size_t i = 0; i + hits.size() <= plunges.size(); i++) {
        bool forward = near_point(plunges[i], hits[0]), backward = hits.size() >= 2 && near_point(plunges[i], hits[1]);
        if (hits.size() >= 2 && !(forward && near_point(plunges[i + 1], hits[1])) &&
            !(backward && near_point(plunges[i + 1], hits[0])))
            continue;
        if (hits.size() < 2 && !forward)
            continue;
        size_t k = 2;
        while (k < hits.size() && near_point(plunges[i + k], hits[k]))
            k++;
        if (k >= hits.size())
            return true;
    }
    return false;
}

/* The file converted with the default settings: one bit per diameter in
 * ascending order, each named in its message, and in each bit the oracle's
 * holes and slot ends, moved with all other holes so that the lowest X and Y
 * are 0; each slot drilled as one stop, and nothing else drilled. */
struct corpus_case;
void check_conversion(const corpus_case &c, const std::vector<oracle_row> &rows, const excellon_job &job);

struct corpus_case {
    const char *file;
    excellon_digits digits;   /* the number format given by hand where the file cannot state it */
    const char *format;       /* the reading's description (UTF-8), or the diagnostic */
};

const corpus_case corpus[] = {
    {"allegro-inch-no-header-repeats.drl", {3, 5},
     "hüvelyk (feltételezve), 3.5 (a -n kapcsolóból), minden számjegy kiírva (a számokból)"},
    {"altium-metric-lz-round-holes.TXT", {0, 0}, "mm, 4.4, a vezető nullák megmaradnak"},
    {"altium-metric-lz-routed-slots.TXT", {0, 0}, "mm, 4.4, a vezető nullák megmaradnak"},
    {"diptrace-metric-signed.drl", {0, 0}, "mm, 4.2, minden számjegy kiírva (a számokból)"},
    {"eagle-inch-tz-file-format.drd", {0, 0}, "hüvelyk, 2.4, a záró nullák megmaradnak"},
    {"eagle9-metric-tz.xln", {0, 0}, "mm, 3.3, a záró nullák megmaradnak"},
    {"easyeda-metric-lz-signed.DRL", {0, 0}, "mm, 3.3, a vezető nullák megmaradnak"},
    {"geda-pcb17-inch-tz-mils.grb", {2, 3}, "hüvelyk, 2.3 (a -n kapcsolóból), a záró nullák megmaradnak"},
    {"handwritten-repeat-codes.exc", {0, 0}, "hüvelyk, 2.4 (feltételezve), a záró nullák megmaradnak"},
    {"kicad2013-inch-tz-keep-zeros.drl", {0, 0}, "hüvelyk, 2.4, a záró nullák megmaradnak"},
    {"kicad4-edited-metric-g85-slots.drl", {0, 0}, "mm, tizedesponttal írt számok"},
    {"kicad4-inch-decimal.drl", {0, 0}, "hüvelyk, tizedesponttal írt számok"},
    {"kicad4-metric-trailing-dot.drl", {0, 0}, "mm, tizedesponttal írt számok"},
    {"kicad7-metric-routed-slots.drl", {0, 0}, "mm, tizedesponttal írt számok"},
    {"kicad7-npth-empty.drl", {0, 0}, "A fájlban nincs furat."},
    {"mentor-xpedition-metric-routed.ncd", {0, 0}, "mm, 3.3 (feltételezve), a záró nullák megmaradnak"},
    {"orcad-inch-tools-in-body.tap", {0, 0},
     "hüvelyk (feltételezve), 2.4 (feltételezve), minden számjegy kiírva (a számokból)"},
    {"pads-inch-no-header.drl", {0, 0},
     "hüvelyk (feltételezve), 2.4 (feltételezve), a vezető nullák megmaradnak (a számokból)"},
    {"pcb-rnd-inch.xln", {0, 0}, "hüvelyk, 2.4 (feltételezve), minden számjegy kiírva (a számokból)"},
    {"protel-dxp2005-inch-lz.TXT", {0, 0}, "hüvelyk, 2.3, a vezető nullák megmaradnak"},
    {"veribest-metric-m71-in-body.ncd", {0, 0}, "mm, 3.3 (feltételezve), a záró nullák megmaradnak (a számokból)"},
};

void check_conversion(const corpus_case &c, const std::vector<oracle_row> &rows, const excellon_job &job)
{
    temp_dir dir;
    write_file(dir.file(c.file), read_file(std::string(EXCELLON_CORPUS_DIR) + "/" + c.file));
    std::vector<std::string> args{c.file};
    if (c.digits.int_digits > 0)
        args.insert(args.end(), {"-n", std::to_string(c.digits.int_digits) + "." + std::to_string(c.digits.dec_digits)});
    run_result run = run_drelvo(args, dir.path, 60);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(cp1250("Fúrófájl: ") + cp1250(c.format) + "\n", 0), 0u) << run.out;
    std::vector<program_bit> bits = program_bits(read_file(dir.file(std::string(c.file) + ".tap")));
    ASSERT_EQ(bits.size(), job.bits.size());
    excellon_point corner{INFINITY, INFINITY};
    for (const oracle_row &r : rows)
        for (excellon_point p : {excellon_point{r.x, r.y}, excellon_point{r.slot ? r.x2 : r.x, r.slot ? r.y2 : r.y}})
            corner = {std::min(corner.x, p.x), std::min(corner.y, p.y)};
    for (size_t k = 0; k < bits.size(); k++) {
        const excellon_bit &bit = job.bits[k];
        const std::vector<excellon_point> &plunges = bits[k].plunges;
        SCOPED_TRACE("bit " + std::to_string(k + 1));
        if (bits.size() > 1) {
            int place = 0, holes = 0;
            double diameter = 0;
            char end = 0;
            ASSERT_EQ(sscanf(bits[k].message.c_str(), "(MSG, %d. furo %lf mm %d furat%c", &place, &diameter, &holes,
                             &end), 4) << bits[k].message;
            EXPECT_EQ(place, (int)k + 1);
            EXPECT_NEAR(diameter, bit.diameter, 0.005);
            EXPECT_EQ(holes, (int)plunges.size());
            EXPECT_EQ(end, ')');
            EXPECT_LT(bits[k].message.size(), 60u);
        }
        size_t slot_hits = 0;
        for (const excellon_slot &slot : bit.slots) {
            std::vector<excellon_point> hits;
            for (excellon_point p : slot.hits)
                hits.push_back(shifted(p, corner));
            slot_hits += hits.size();
            EXPECT_TRUE(drilled_in_a_row(plunges, hits)) << "slot from " << slot.from.x << ", " << slot.from.y;
        }
        EXPECT_EQ(plunges.size(), bit.holes.size() + slot_hits);
        for (const oracle_row &r : rows) {
            if (std::fabs(r.diameter - bit.diameter) > CLOSE_MM)
                continue;
            for (excellon_point p : {excellon_point{r.x, r.y}, excellon_point{r.slot ? r.x2 : r.x, r.slot ? r.y2 : r.y}})
                EXPECT_TRUE(std::any_of(plunges.begin(), plunges.end(),
                                        [&](excellon_point q) { return near_point(q, shifted(p, corner)); }))
                    << "no plunge at " << p.x << ", " << p.y;
        }
    }
}

TEST_F(Excellon, EveryCorpusFileGivesTheOraclesBitsHolesAndSlots)
{
    if (!fs::is_directory(EXCELLON_CORPUS_DIR))
        GTEST_SKIP() << "no corpus at " << EXCELLON_CORPUS_DIR;
    size_t files = 0;
    for (const auto &entry : fs::directory_iterator(EXCELLON_CORPUS_DIR))
        files += entry.is_regular_file() && entry.path().filename() != "SOURCES.md";
    EXPECT_EQ(files, std::size(corpus)) << "every corpus file has its row";
    for (const corpus_case &c : corpus) {
        SCOPED_TRACE(c.file);
        std::string path = std::string(EXCELLON_CORPUS_DIR) + "/" + c.file;
        EXPECT_TRUE(detect(path));
        int fd = open(path.c_str(), O_RDONLY);
        outcome r = read_fd(fd, c.digits);
        close(fd);
        std::vector<oracle_row> rows = read_oracle(std::string(EXCELLON_CORPUS_DIR) + "/oracle/" + c.file + ".csv");
        if (rows.empty()) {
            EXPECT_EQ(r.message, cp1250(c.format));
            continue;
        }
        ASSERT_FALSE(r.fatal) << r.message;
        EXPECT_EQ(r.job.format, c.format);
        /* The oracle's tools grouped by diameter, in ascending order. */
        std::map<double, std::set<int>> by_diameter;
        for (const oracle_row &row : rows)
            by_diameter[std::round(row.diameter * 1e4) / 1e4].insert(row.tool);
        ASSERT_EQ(r.job.bits.size(), by_diameter.size());
        auto expected = by_diameter.begin();
        for (const excellon_bit &bit : r.job.bits) {
            SCOPED_TRACE("bit " + std::to_string(bit.diameter));
            EXPECT_NEAR(bit.diameter, expected->first, CLOSE_MM);
            EXPECT_EQ(std::set<int>(bit.tools.begin(), bit.tools.end()), expected->second);
            EXPECT_TRUE(std::is_sorted(bit.tools.begin(), bit.tools.end()));
            std::vector<oracle_row> own;
            for (const oracle_row &row : rows)
                if (expected->second.count(row.tool))
                    own.push_back(row);
            check_bit(bit, own);
            ++expected;
        }
        check_conversion(c, rows, r.job);
    }
}

/* Every Gerber file of the shared corpus, the examples and the regression
 * inputs stay Gerber. */
TEST_F(Excellon, GerberFilesAreNotExcellon)
{
    std::vector<std::string> dirs = {EXAMPLES_DIR, std::string(TESTS_DIR) + "/regress"};
    if (fs::is_directory(CORPUS_DIR))
        dirs.push_back(CORPUS_DIR);
    size_t checked = 0;
    for (const std::string &dir : dirs)
        for (const auto &entry : fs::directory_iterator(dir)) {
            std::string name = entry.path().filename();
            if (!entry.is_regular_file() || name.find(".md") != std::string::npos)
                continue;
            EXPECT_FALSE(detect(entry.path())) << name;
            checked++;
        }
    EXPECT_GE(checked, 6u);
}

/* Small texts on the detection's edges. */
TEST_F(Excellon, DetectionByContent)
{
    const struct {
        const char *text;
        bool excellon;
    } cases[] = {
        {"; a comment *\n%\n  M48  \r\nINCH\n", true},    /* M48 first, whatever follows */
        {"%\nT1C.015F095S3\nX01095Y01056\nM30\n", true},  /* no header: words only */
        {"%\nG90\nM30\n", false},                         /* words, but no tool and no hit */
        {"T1C.015\nX01095Y01056*\n", false},              /* a Gerber block end */
        {"T1C.015\nX01095Y01056\n;*\n", false},           /* even in a comment */
        {"G04 drill*\nM48\n", false},                     /* M48 is not the first line */
        {"G91\nM48\nM30\n", false},                       /* nor after a word no header holds */
        {"INCH,TZ\n%\nM48\nM72\nT1C.04\n", true},          /* header words above M48 */
        {"\xEF\xBB\xBFM48\nINCH\n", true},                  /* a UTF-8 byte-order mark */
        {"X100Y100D03\n", false},                         /* D is no Excellon word */
        {"", false},
    };
    for (const auto &c : cases) {
        temp_dir dir;
        write_file(dir.file("in"), c.text);
        EXPECT_EQ(detect(dir.file("in")), c.excellon) << c.text;
    }
}

/* ---- small texts ---- */

/* A job as text: "<diameter>:T<tools>:<holes>|<slots>;" with 4 decimals. */
std::string render(const excellon_job &job)
{
    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(4);
    for (const excellon_bit &bit : job.bits) {
        out << bit.diameter << ":T";
        for (size_t i = 0; i < bit.tools.size(); i++)
            out << (i ? "," : "") << bit.tools[i];
        out << ":";
        for (excellon_point p : bit.holes)
            out << " " << p.x << "/" << p.y;
        for (const excellon_slot &s : bit.slots)
            out << " |" << s.from.x << "/" << s.from.y << "-" << s.to.x << "/" << s.to.y;
        out << ";";
    }
    for (const std::string &text : job.messages)
        out << "msg:" << text << ";";
    return out.str();
}

TEST_F(Excellon, FormatsAndWords)
{
    const struct {
        const char *name;
        const char *text;
        excellon_digits digits;
        const char *job;
        const char *format;
    } cases[] = {
        {"leading zeros kept, seen from the numbers", "%\nT1C.04\nX0125Y015\nX02Y0125\nM30\n", {0, 0},
         "1.0160:T1: 31.7500/38.1000 50.8000/31.7500;",
         "hüvelyk (feltételezve), 2.4 (feltételezve), a vezető nullák megmaradnak (a számokból)"},
        {"trailing zeros kept, seen from the numbers", "M48\nMETRIC\nT1C1.0\n%\nT1\nX12500Y1500\nX2000Y125\nM30\n", {0, 0},
         "1.0000:T1: 12.5000/1.5000 2.0000/0.1250;", "mm, 3.3 (feltételezve), a záró nullák megmaradnak (a számokból)"},
        {"the user's digits beat the file's", "M48\nINCH,LZ,00.0000\nT1C.04\n%\nT1\nX015Y1\nM30\n", {3, 3},
         "1.0160:T1: 381.0000/2540.0000;", "hüvelyk, 3.3 (a -n kapcsolóból), a vezető nullák megmaradnak"},
        {"M71 in the body gives the header's diameter its unit", "M48\nT1C.5\n%\nM71\nT1\nX1.0Y2.0\nM30\n", {0, 0},
         "0.5000:T1: 1.0000/2.0000;", "mm, tizedesponttal írt számok"},
        {"tools of one diameter are one bit, each position once",
         "M48\nMETRIC\nT2C0.5\nT1C0.50\nT3C0.3\n%\nT2\nX1.0Y1.0\nT1\nX1.0Y1.0\nX2.0Y1.0\nX2.0Y1.0\nT3\nX1.0Y1.0\nT0\nM30\n",
         {0, 0}, "0.3000:T3: 1.0000/1.0000;0.5000:T1,2: 1.0000/1.0000 2.0000/1.0000;", "mm, tizedesponttal írt számok"},
        {"modal axes, signs, incremental and repeats",
         "M48\nMETRIC\nICI,ON\nT1C1.0\n%\nT1\nX+1.0Y-1.0\nX1.0\nR2Y0.5\nG90\nX-3.0\nM30\nX9.0\n", {0, 0},
         "1.0000:T1: 1.0000/-1.0000 2.0000/-1.0000 2.0000/-0.5000 2.0000/0.0000 -3.0000/0.0000;",
         "mm, tizedesponttal írt számok"},
        {"a zero set to the origin changes nothing", "M48\nMETRIC\nT1C1.0\n%\nG93X0Y0\nT1\nX1.0Y1.0\nM30\n", {0, 0},
         "1.0000:T1: 1.0000/1.0000;", "mm, tizedesponttal írt számok"},
        {"G85 slot and a routed path back across its own line",
         "M48\nMETRIC\nT1C1.0\n%\nT1\nX0Y0G85X2.0Y0\nG00X5.0Y0\nM15\nG01X6.0\nX4.0\nM16\nG05\nX9.0Y9.0\nM30\n", {0, 0},
         "1.0000:T1: 9.0000/9.0000 |0.0000/0.0000-2.0000/0.0000 |4.0000/0.0000-6.0000/0.0000;",
         "mm, tizedesponttal írt számok"},
        {"a routed corner is two slots", "M48\nMETRIC\nT1C1.0\n%\nT1\nG00X0Y0\nM15\nG01X1.0\nY1.0\nM17\nM30\n", {0, 0},
         "1.0000:T1: |0.0000/0.0000-1.0000/0.0000 |1.0000/0.0000-1.0000/1.0000;", "mm, tizedesponttal írt számok"},
        {"Allegro's size comment in mm", ";T02 Holesize 2. = 0.800000 Tolerance = +0/-0 PLATED MM Quantity = 1\n%\nT02\nX1.0Y1.0\nM30\n",
         {0, 0}, "0.8000:T2: 25.4000/25.4000;", "hüvelyk (feltételezve), tizedesponttal írt számok"},
        {"M71 with its zero mode", "M48\nM71,TZ\nT1C0.8\n%\nT1\nX1000Y2000\nM30\n", {0, 0},
         "0.8000:T1: 1.0000/2.0000;", "mm, 3.3 (feltételezve), a záró nullák megmaradnak"},
        {"M72 with a digit pattern", "M48\nM72,LZ,00.000\nT1C.04\n%\nT1\nX01Y002\nM30\n", {0, 0},
         "1.0160:T1: 25.4000/5.0800;", "hüvelyk, 2.3, a vezető nullák megmaradnak"},
        {"header words above M48, after a byte-order mark", "\xEF\xBB\xBFINCH,TZ\n%\nM48\nM72\nT1C0.04\n%\nT1\nX1000Y2000\nM30\n",
         {0, 0}, "1.0160:T1: 2.5400/5.0800;", "hüvelyk, 2.4 (feltételezve), a záró nullák megmaradnak"},
        {"T0 defined in the header is a tool", "M48\nINCH\nT0C0.006\nT1C0.04\n%\nT0\nX1.0Y1.0\nT1\nX2.0Y2.0\nT0\nX3.0Y3.0\nM30\n",
         {0, 0}, "0.1524:T0: 25.4000/25.4000 76.2000/76.2000;1.0160:T1: 50.8000/50.8000;", "hüvelyk, tizedesponttal írt számok"},
        {"T0 defined by a size comment", ";T00 Holesize 1. = 8.000000 Tolerance = +0/-0 PLATED MILS Quantity = 1\n%\nT0\nX1.0Y1.0\nM30\n",
         {0, 0}, "0.2032:T0: 25.4000/25.4000;", "hüvelyk (feltételezve), tizedesponttal írt számok"},
        {"a unit switch in the body keeps the header's diameters", "M48\nMETRIC\nT1C1.0\n%\nM72\nT1\nX1.0Y1.0\nM30\n",
         {0, 0}, "1.0000:T1: 25.4000/25.4000;", "hüvelyk, tizedesponttal írt számok"},
        {"... either way, and M02 ends the program", "M48\nINCH\nT1C0.04\n%\nM71\nT1\nX1.0Y1.0\nM02\n", {0, 0},
         "1.0160:T1: 1.0000/1.0000;", "mm, tizedesponttal írt számok"},
        {"operator messages", "M48\nMETRIC\nT1C1.0\n%\nM47,Tedd be: 1 mm\nT1\nX1.0Y1.0\nM47\nM30\n", {0, 0},
         "1.0000:T1: 1.0000/1.0000;msg:Tedd be: 1 mm;msg:;", "mm, tizedesponttal írt számok"},
        {"digits of equal length, fewer than the format", "%\nT1C.04\nX1234Y5678\nM30\n", {0, 0},
         "1.0160:T1: 3.1344/14.4221;", "hüvelyk (feltételezve), 2.4 (feltételezve), a záró nullák megmaradnak (feltételezve)"},
        {"a routed cut away from the last one's end is a slot of its own",
         "M48\nMETRIC\nT1C1.0\n%\nT1\nG00X0Y0\nM15\nG01X5.0\nG00X7.0\nG01X9.0\nM16\nM30\n", {0, 0},
         "1.0000:T1: |0.0000/0.0000-5.0000/0.0000 |7.0000/0.0000-9.0000/0.0000;", "mm, tizedesponttal írt számok"},
        {"a slot cut again, either way, is one slot", "M48\nMETRIC\nT1C1.0\nT2C1.0\n%\nT1\nX0Y0G85X2.0Y0\nT2\nX2.0Y0G85X0Y0\nM30\n",
         {0, 0}, "1.0000:T1,2: |0.0000/0.0000-2.0000/0.0000;", "mm, tizedesponttal írt számok"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        outcome r = read_text(c.text, c.digits);
        ASSERT_FALSE(r.fatal) << r.message;
        EXPECT_EQ(render(r.job), c.job);
        EXPECT_EQ(r.job.format, c.format);
    }
}

/* A number with a point is the double strtod reads from it, whatever its
 * sign, its digits on either side and their count (more than 15 digits too). */
TEST_F(Excellon, NumbersWithAPointReadAsStrtodReadsThem)
{
    std::mt19937 random(7);
    auto digits = [&random](int count) {
        std::string text;
        while (count-- > 0)
            text += (char)('0' + random() % 10);
        return text;
    };
    std::vector<std::string> numbers;   /* of X; Y is the line's place */
    std::string body;
    for (int k = 0; k < 3000; k++) {
        std::string fraction = digits(k % 97 == 0 ? 19 : (int)(random() % 10));
        numbers.push_back(std::string(k % 3 == 0 ? "-" : k % 3 == 1 ? "+" : "") + digits((int)(random() % 6)) + "." +
                          (fraction.empty() ? "5" : fraction));
        body += "X" + numbers.back() + "Y" + std::to_string(k) + ".0\n";
    }
    outcome r = read_text("M48\nMETRIC\nT1C1.0\n%\nT1\n" + body + "M30\n");
    ASSERT_FALSE(r.fatal) << r.message;
    ASSERT_EQ(r.job.bits.at(0).holes.size(), numbers.size());
    for (size_t k = 0; k < numbers.size(); k++) {
        excellon_point p = r.job.bits[0].holes[k];
        double x = strtod(numbers[k].c_str(), nullptr);
        EXPECT_TRUE(p.x == x && std::signbit(p.x) == std::signbit(x) && p.y == (double)k) << numbers[k] << " read as " << p.x;
    }
}

/* Slots of bits from below the ridge height to large, short and long. */
/* No limit on the hits of a job: a panel of a quarter of a million holes reads. */
TEST_F(Excellon, AJobOfAnySize)
{
    outcome r = read_text("M48\nMETRIC\nT1C0.5\n%\nT1\nX0.0Y0.0\nR249999X0.01\nX0.0Y1.0\nR249999X0.01\nM30\n");
    ASSERT_FALSE(r.fatal) << r.message;
    ASSERT_EQ(r.job.bits.size(), 1u);
    EXPECT_EQ(r.job.bits[0].holes.size(), 500000u);
}

TEST_F(Excellon, SlotHitsOverlapWithALowRidge)
{
    for (const char *diameter : {"0.03", "0.04", "0.3", "1.0", "3.175"})
        for (const char *end : {"0.001", "0.5", "7.3", "100.0"}) {
            std::string text = std::string("M48\nMETRIC\nT1C") + diameter + "\n%\nT1\nX1.0Y2.0G85X" + end + "Y3.0\nM30\n";
            SCOPED_TRACE(text);
            outcome r = read_text(text);
            if (r.fatal) {
                /* 100 mm of hits finer than 0.1 mm is refused */
                EXPECT_TRUE(atof(diameter) < 0.1 && std::string(end) == "100.0") << r.message;
                continue;
            }
            ASSERT_EQ(r.job.bits.size(), 1u);
            ASSERT_EQ(r.job.bits[0].slots.size(), 1u);
            EXPECT_TRUE(sound_slot(r.job.bits[0].slots[0], r.job.bits[0].diameter));
        }
}

/* Arcs of G02/G03 by radius (the shorter arc for a positive one) or by
 * centre, full circles too: every hit on the circle, both ends first, each
 * later one midway along the arc between drilled neighbours, and no ridge
 * above SLOT_RIDGE_MM between neighbours. */
TEST_F(Excellon, ArcsAreRowsOfHitsAlongTheirCircle)
{
    const struct {
        const char *move;   /* from X0 Y0 */
        double cx, cy, sweep_degrees;
    } cases[] = {
        {"G03X2.0Y0A1.0", 1, 0, 180},
        {"G02X1.0Y1.0A1.0", 1, 0, -90},
        {"G02X1.0Y1.0A-1.0", 0, 1, -270},
        {"G03X1.0Y1.0I1.0J0", 1, 0, 270},
        {"G02I1.0", 1, 0, -360},
        {"G03X0Y0J1.0", 0, 1, 360},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.move);
        outcome r = read_text(std::string("M48\nMETRIC\nT1C0.5\n%\nT1\nG00X0Y0\nM15\n") + c.move + "\nM16\nM30\n");
        ASSERT_FALSE(r.fatal) << r.message;
        ASSERT_EQ(r.job.bits.size(), 1u);
        ASSERT_EQ(r.job.bits[0].slots.size(), 1u);
        const auto &h = r.job.bits[0].slots[0].hits;
        const bool full = std::fabs(c.sweep_degrees) == 360;
        const double radius = std::hypot(c.cx, c.cy), sweep = std::fabs(c.sweep_degrees) * M_PI / 180;
        const double start = std::atan2(-c.cy, -c.cx);
        ASSERT_GE(h.size(), 2u);
        EXPECT_TRUE(h[0].x == 0.0 && h[0].y == 0.0);
        std::set<double> drilled;   /* each hit's fraction of the way along the arc */
        for (size_t k = 0; k < h.size(); k++) {
            ASSERT_NEAR(std::hypot(h[k].x - c.cx, h[k].y - c.cy), radius, 1e-9) << "hit " << k;
            double turned = std::atan2(h[k].y - c.cy, h[k].x - c.cx) - start;
            double t = k == 0 ? 0.0 : std::fmod((c.sweep_degrees > 0 ? turned : -turned) + 4 * M_PI, 2 * M_PI) / sweep;
            if (k >= 2) {
                auto after = drilled.upper_bound(t);
                ASSERT_TRUE(after != drilled.begin() && (full || after != drilled.end())) << "hit " << k;
                double next = after == drilled.end() ? 1.0 : *after;   /* a full circle's start again */
                EXPECT_NEAR(t, (*std::prev(after) + next) / 2, 1e-9) << "hit " << k << " is not midway";
            }
            EXPECT_TRUE(drilled.insert(t).second) << "hit " << k << " twice";
        }
        EXPECT_NEAR(*drilled.rbegin(), full ? 1.0 - 1.0 / h.size() : 1.0, 1e-9) << "the end";
        /* the hits are equally spaced: the finest step leaves a low ridge, twice it would not */
        const double d = r.job.bits[0].diameter, step = sweep / (full ? h.size() : h.size() - 1.0);
        auto ridge = [&](double angle) {
            double chord = 2 * radius * std::sin(angle / 2);
            return d / 2 - std::sqrt(d * d / 4 - chord * chord / 4);
        };
        EXPECT_LE(ridge(step), SLOT_RIDGE_MM + 1e-12);
        EXPECT_GT(ridge(2 * step), SLOT_RIDGE_MM);
    }
}

/* Each position of a bit is drilled once, slot hits included, and the hit
 * limit counts every hit up to it. */
TEST_F(Excellon, PlungesAndTheHitLimit)
{
    const struct {
        const char *body;   /* after a header of a 1 mm tool T1 and a 0.04 mm T2 */
        long limit;
        long plunges;       /* of the first bit; -1: refused for the limit */
    } cases[] = {
        {"T1\nX0Y0\nX0Y0G85X0.5Y0\nX0Y0G85X0.5Y0\n", 0, 3},
        {"T1\nG00X0Y0\nM15\nG01X1.0\nY1.0\nM16\n", 0, 9},
        {"T2\nX0Y0G85X0.02Y0\n", 0, 2},   /* a ridge of exactly 0.02 mm */
        {"T1\nX0Y0\nX1.0\nX2.0\n", 3, 3},
        {"T1\nX0Y0\nX1.0\nX2.0\nX3.0\n", 3, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body);
        excellon_hit_limit = c.limit;
        outcome r = read_text(std::string("M48\nMETRIC\nT1C1.0\nT2C0.04\n%\n") + c.body + "M30\n");
        excellon_hit_limit = 0;
        EXPECT_EQ(r.fatal, c.plunges < 0) << r.message;
        if (c.plunges >= 0 && !r.fatal) {
            EXPECT_EQ(bit_hits(r.job.bits.at(0)), c.plunges);
        }
    }
}

TEST_F(Excellon, WhatIsNotUnderstoodIsReportedWithItsLine)
{
    const struct {
        std::string text;
        excellon_digits digits;
        int line;
        const char *message;
    } cases[] = {
        {"M48\nINCH\nT1C.04\n%\nM30\n", {0, 0}, 0, "A fájlban nincs furat."},
        {"M48\nMETRIC,TZ\nT1C0.800\n%\nT1\nX10.0Y5.0\nX12.54Y2", {0, 0}, 0,
         "A fájl nem ér véget M30 sorral, lehet, hogy csonka."},
        {"M48\nMETRIC\nT1C1.0\n%\nG93X10.0Y20.0\nT1\nX1.0Y1.0\nM30\n", {0, 0}, 5,
         "A fájl %d. sorában G93 helyezi át a nullpontot; ezt az olvasók eltérően értik, ezért a fájl nem alakítható át.\\n"},
        {"M48\nMETRIC\nT1C1.0\n%\nT1\nT0\nX1.0Y1.0\nM30\n", {0, 0}, 7,
         "A fájl %d. sorában furat áll, de nincs kiválasztott szerszám.\\n"},
        {std::string("M48\nINCH\nFO\0O,1\n", 16), {0, 0}, 3, "A fájl %d. sorában ismeretlen a(z) <FO\\x00O> utasítás.\\n"},
        {std::string("M48\nINCH\nT1C.04\n%\nT1\nX1.0\0Y1.0\n", 31), {0, 0}, 6,
         "A fájl %d. sorában ismeretlen a(z) '\\x00' utasítás.\\n"},
        {"M48\nMETRIC\nT1C1.0\n%\nT1\nG00X0Y0\nM15\nG02X5.0Y0A2.0\nM30\n", {0, 0}, 8,
         "A fájl %d. sorában hibás az ív: a végpontjai, a sugara és a középpontja nem illenek össze, vagy túl messzire ér.\\n"},
        {"M48\nMETRIC\nT1C1.0\n%\nT1\nX1.0Y1.0I1.0\nM30\n", {0, 0}, 6,
         "A fájl %d. sorában ív adata (I, J, A) áll G02 vagy G03 nélkül.\\n"},
        {"M48\nINCH\nFOO,1\n", {0, 0}, 3, "A fájl %d. sorában ismeretlen a(z) <FOO> utasítás.\\n"},
        {"M48\nINCH,XZ\n", {0, 0}, 2, "A fájl %d. sorában hibás a mértékegység paramétere: XZ\\n"},
        {"M48\nINCH\nT1C.04\n%\nX1.0Y1.0\n", {0, 0}, 5, "A fájl %d. sorában furat áll, de nincs kiválasztott szerszám.\\n"},
        {"M48\nINCH\n%\nT3\nX1.0Y1.0\n", {0, 0}, 5, "A fájl %d. sorában a T%d szerszámnak nincs megadva az átmérője.\\n"},
        {"M48\nINCH\nT1C.04\nX1.0Y1.0\n", {0, 0}, 4, "A fájl %d. sorában a fejlécben koordináta áll.\\n"},
        {"M48\nINCH\nT1C.04\n%\nT1C.05\n", {0, 0}, 5, "A fájl %d. sorában a T%d szerszám átmérője eltér a korábbitól.\\n"},
        {"M48\nINCH\nT1C0\n", {0, 0}, 3, "A fájl %d. sorában hibás a szerszám átmérője.\\n"},
        {"M48\nINCH\nT1C.04\n%\nT1\nG00X1.0Y1.0\nM15\nG02X2.0Y2.0\n", {0, 0}, 8,
         "A fájl %d. sorában hibás az ív: a végpontjai, a sugara és a középpontja nem illenek össze, vagy túl messzire ér.\\n"},
        {"M48\nINCH\nT1C.04\n%\nT1\nG87X1.0\n", {0, 0}, 6, "A fájl %d. sorában ismeretlen a(z) %c%ld utasítás.\\n"},
        {"M48\nINCH\nT1C.04\n%\nT1\nM97,TEXT\n", {0, 0}, 6, "A fájl %d. sorában ismeretlen a(z) '%s' utasítás.\\n"},
        {"M48\nINCH\nT1C.04\n%\nT1\nG00X1.0Y1.0\nM15\nG01X2.0\nM16\nX3.0\n", {0, 0}, 10,
         "A fájl %d. sorában a koordináta marás közben, felemelt szerszámmal, G00 és G01 nélkül áll: nem tudni, furat-e.\\n"},
        {"M48\nINCH\nT1C.04\n%\nT1\nX1.0Y1.0X2.0\n", {0, 0}, 6, "A fájl %d. sorában kétszer áll az '%c' koordináta.\\n"},
        {"M48\nINCH\nT1C.04\n%\nT1\nX1.0.0\n", {0, 0}, 6, "A fájl %d. sorában hibás az '%c' koordináta.\\n"},
        {"M48\nINCH\nT1C.04\n%\nT1\nX1.0Y1.0G85\n", {0, 0}, 6, "A fájl %d. sorában a G85 után nincs koordináta.\\n"},
        {"M48\nINCH\nT1C.04\n%\nT1\nX1.0Y1.0\nR99999999X1.0\n", {0, 0}, 7, "A fájl %d. sorában hibás a(z) '%c' paramétere.\\n"},
        {"M48\nINCH\nT1C.04\n%\nT1\nX1.0Y2000000.0\n", {0, 0}, 6, "A fájl %d. sorában hibás az 'Y' koordináta.\\n"},
        {"M48\nMETRIC\nT1C0.04\n%\nT1\nX0Y0G85X900.0Y0\nM30\n", {0, 0}, 6,
         "A fájl %d. sorában a horony túl hosszú a szerszámhoz: legföljebb %d furatból állhat.\\n"},
        /* Allegro's 3.5 read as the default 2.4: ten times too far, refused. */
        {"%\nT1C.04\nX00130500Y00184500\n", {0, 0}, 3,
         "A fájl %d. sorában az '%c' utáni szám %d számjegyű, ez nem illik a(z) %d.%d számformátumhoz; "
         "a fájl számformátuma a -n kapcsolóval adható meg.\\n"},
        {"%\nT1C.04\nX0125Y015\nX12500Y125\n", {0, 0}, 4,
         "A fájl %d. sorában a számok ellentmondanak egymásnak: nem dönthető el, hogy a vezető vagy a záró nullák "
         "maradnak-e el.\\n"},
        {";T01 Holesize 1. = 8.0 Tolerance = +3/-3 PLATED Quantity = 1\n", {0, 0}, 1,
         "A fájl %d. sorában hibás a furatméret megjegyzése.\\n"},
        {";T4294967297 Holesize 1. = 8.0 Tolerance = +3/-3 PLATED MILS Quantity = 1\n", {0, 0}, 1,
         "A fájl %d. sorában hibás a furatméret megjegyzése.\\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        outcome r = read_text(c.text, c.digits);
        ASSERT_TRUE(r.fatal);
        std::string printed = r.message;
        /* the message as spelled, its first placeholder the line number */
        std::string expected = cp1250(c.message);
        if (c.line > 0) {
            size_t at = expected.find("%d");
            expected.replace(at, 2, std::to_string(c.line));
            EXPECT_EQ(r.line, c.line);
            /* the other placeholders are filled; compare the fixed words around them */
            size_t next = expected.find('%');
            expected = expected.substr(0, next);
            printed = printed.substr(0, next);
        }
        EXPECT_EQ(printed, expected);
    }
}

}  // namespace
