/* Hostile input: files, names and arguments nobody planned for.
 *
 * Every run must end within 10 seconds with either a complete program and
 * status 0 or a clear message and status 1, and may leave nothing behind but
 * "<input>.tap". Each row predicts the outcome from the reader's rules. The
 * regression inputs that fuzzing found are replayed at the end. */
#include <gtest/gtest.h>

#include <chrono>
#include <cstdarg>
#include <filesystem>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "../fuzz/program_check.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

/* A fixed converter text (UTF-8 in the source) as it arrives through a pipe,
 * its placeholders filled with arguments that pass through unchanged. */
std::string piped(const char *format, ...)
{
    std::string fixed = cp1250(format);
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int length = vsnprintf(nullptr, 0, fixed.c_str(), measure);
    va_end(measure);
    std::string text((size_t)length + 1, '\0');
    vsnprintf(&text[0], text.size(), fixed.c_str(), args);
    va_end(args);
    text.resize((size_t)length);
    return text;
}

enum class shape {
    program,      /* status 0, a complete program with `plunges` holes */
    reader,       /* status 1, one diagnostic line of the reader, empty .tap */
    no_hole,      /* status 1, the warning of a missing program end and the driver's
                     diagnostic for a file without holes, empty .tap */
    error_text,   /* status 1, `text` on the error stream */
    output_text,  /* status 1, `text` on standard output */
};

struct expect {
    shape what;
    std::string text;    /* the reader's message as spelled in the source, or a console text */
    int plunges = 0;
    bool tap = true;     /* whether "<input>.tap" exists afterwards */
    std::string exact;   /* when set, the whole program */
};

expect holes(int n, const std::string &exact = "") { return {shape::program, "", n, true, exact}; }
expect no_hole() { return {shape::no_hole, "", 0, true, ""}; }
expect on_stderr(const std::string &text, bool tap = false) { return {shape::error_text, text, 0, tap, ""}; }
expect on_stdout(const std::string &text) { return {shape::output_text, text, 0, false, ""}; }

/* A reader diagnostic: its message with the line number (and a character) filled in. */
template <typename... Args>
expect reader(const char *format, Args... args)
{
    return {shape::reader, piped(format, args...), 0, true, ""};
}

/* Every path under a directory, relative to it. */
std::set<std::string> listing(const std::string &dir)
{
    std::set<std::string> names;
    for (const auto &entry : fs::recursive_directory_iterator(dir))
        names.insert(entry.path().lexically_relative(dir).string());  /* never follows a link */
    return names;
}

/* Runs the converter in dir and checks the row's promise; `input` is the
 * input as named on the command line, relative to dir. */
void check_run(const std::string &dir, const std::vector<std::string> &args, const std::string &input,
               const expect &e, const std::vector<std::string> &as_user = {})
{
    std::set<std::string> before = listing(dir);
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> argv = as_user;
    argv.push_back(drelvo_path());
    argv.insert(argv.end(), args.begin(), args.end());
    run_result r = run_program(argv, dir, 10);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    ASSERT_FALSE(r.timed_out) << "still running after 10 s";
    EXPECT_LT(seconds, 10.0);
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;

    std::set<std::string> expected = before;
    if (e.tap)
        expected.insert(input + ".tap");
    EXPECT_EQ(listing(dir), expected) << "the run must leave nothing but <input>.tap";
    std::string program = e.tap && file_exists(dir + "/" + input + ".tap") ? read_file(dir + "/" + input + ".tap") : "";

    switch (e.what) {
    case shape::program:
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(count_plunges(program), e.plunges) << program.substr(0, 2000);
        if (!e.exact.empty()) {
            EXPECT_EQ(program, e.exact);
        }
        break;
    case shape::reader: {
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        /* gerber.cpp, <function>.<line>(): "<message>" */
        const std::string prefix = "gerber.cpp, ";
        size_t open = r.err.find("(): \"");
        ASSERT_EQ(r.err.compare(0, prefix.size(), prefix), 0) << r.err;
        ASSERT_NE(open, std::string::npos) << r.err;
        std::string site = r.err.substr(prefix.size(), open - prefix.size());
        EXPECT_TRUE(site.rfind("gerber.", 0) == 0 || site.rfind("get_parm.", 0) == 0) << site;
        EXPECT_EQ(r.err.substr(open + 4), "\"" + e.text + "\"\n");
        EXPECT_EQ(program, "") << "a syntax error leaves the output empty";
        break;
    }
    case shape::no_hole:
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        /* none of these files has a program end */
        EXPECT_EQ(r.err, piped("Figyelem: a fájlban nincs programvége (M02), lehet, hogy csonka.\n") +
                             "main.cpp, main.463(): \"first_bore=NULL\"\n");
        EXPECT_EQ(program, "");
        break;
    case shape::error_text:
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, e.text);
        break;
    case shape::output_text:
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, e.text);
        break;
    }
}

struct content_case {
    std::string name;
    std::string content;
    expect outcome;
};

/* Metric, 2.4 digits with leading zeros omitted, armed: lines 1 to 3. */
const std::string head = "%FSLAX24Y24*%\n%MOMM*%\nD10*\n";

/* Bytes of a fixed pseudo-random sequence, none of them in `avoid`. */
std::string noise(size_t size, const std::string &avoid)
{
    std::string bytes;
    uint32_t state = 20261208;
    while (bytes.size() < size) {
        state = state * 1664525u + 1013904223u;
        char c = (char)(state >> 24);
        if (avoid.find(c) == std::string::npos)
            bytes += c;
    }
    return bytes;
}

std::string repeat(const std::string &text, size_t times)
{
    std::string out;
    out.reserve(text.size() * times);
    for (size_t i = 0; i < times; i++)
        out += text;
    return out;
}

const char *const BAD_X = "A fájl %d. sorában hibás az 'X' koordináta.\\n";
const char *const BAD_Y = "A fájl %d. sorában hibás az 'Y' koordináta.\\n";
const char *const NO_STAR = "A fájl %d. sorában az '%c' utasítás végén nincs '%c' karakter.\\n";
const char *const TOO_LONG = "A fájl %d. sora túl hosszú, legföljebb %d bájt lehet.\\n";
const char *const UNCLOSED = "A fájl %d. sorában kezdődő paraméterblokk nincs lezárva: hiányzik a '%%' karakter.\\n";
const char *const SF_BAD = "A fájl %d. sorában az <SF> utasítás '%c' paraméterének értéke hibás.\\n";

std::vector<content_case> content_cases()
{
    std::vector<content_case> cases = {
        {"empty file", "", no_hole()},
        {"only blanks", " \t\x0b\x0c\x08 \n\r\n   \n\t\r\n \r", no_hole()},
        {"binary noise without a block end", "\x80" + noise(4096, std::string("\n\r*\xff", 4) + '\0'),
         reader(NO_STAR, 1, '\x80', '*')},
        /* Line 1 ends at the LF, line 2 (VT FF) at the lone CR, line 3 runs
         * from 0x0E: it is skipped up to the '*', then '+' has no '*' left. */
        {"every byte value once", [] {
             std::string all;
             for (int b = 0; b < 256; b++)
                 all += (char)b;
             return all;
         }(),
         reader(NO_STAR, 3, '+', '*')},
        {"a 10 MB line without a line end", std::string(10 << 20, 'X'), reader(TOO_LONG, 1, 65535)},
        {"a comment line of exactly 65,535 bytes",
         "G04 " + std::string(65535 - 5, 'c') + "*\n" + head + "X0Y0D03*\nM02*\n", holes(1)},
        {"a comment line of 65,536 bytes", "G04 " + std::string(65536 - 5, 'c') + "*\n" + head + "X0Y0D03*\n",
         reader(TOO_LONG, 1, 65535)},
        {"a million empty lines", std::string(1000000, '\n'), no_hole()},
        {"a million empty lines before a bad block", std::string(1000000, '\n') + "X-1*\n",
         reader(BAD_X, 1000001)},
        {"a million CR LF lines between two flashes",
         head + "X0Y0D03*\r\n" + repeat("\r\n", 1000000) + "X10000Y0D03*\r\nM02*\r\n", holes(2)},
        /* Coordinates so large that no machine can reach them are refused
         * like any other unusable coordinate. */
        {"200 digits without a point", head + "X0Y0D03*\nX" + std::string(200, '9') + "Y0D03*\n",
         reader(BAD_X, 5)},
        {"200 digits with a point",
         head + "X0Y0D03*\nX0Y" + std::string(100, '9') + "." + std::string(99, '9') + "D03*\n",
         reader(BAD_Y, 5)},
        {"coordinates of 1e300 through the scale factor",
         "%FSLAX24Y24*%\n%MOMM*%\n%SFA1e300B1*%\nD10*\nX0Y0D03*\nX10000Y0D03*\n", reader(BAD_X, 6)},
        {"infinite coordinates through the digit count",
         "%FSTAX2147483647Y24*%\n%MOMM*%\nD10*\nX1Y0D03*\n", reader(BAD_X, 4)},
        /* Incremental notation starts at the offset, unconverted, without an X word. */
        {"a start point beyond reach through an incremental offset",
         "%FSLIX24Y24*%\n%MOMM*%\n%OFA99999999999.0B0*%\nG01D03*\n", reader(BAD_X, 4)},
        {"a scale factor beyond the double range", "%SFA1e999*%\n" + head + "X0Y0D03*\n",
         reader(SF_BAD, 1, 'A')},
        {"%SFAnan*%", "%SFAnan*%\n" + head + "X0Y0D03*\n", reader(SF_BAD, 1, 'A')},
        {"%SFAinf*%", "%SFAinf*%\n" + head + "X0Y0D03*\n", reader(SF_BAD, 1, 'A')},
        {"%SFB-infinity*%", "%SFB-infinity*%\n", reader(SF_BAD, 1, 'B')},
        {"a hexadecimal scale factor", "%SFA0x10*%\n",
         reader("A fájl %d. sorában hibás az <SF> paramétere: '%c'\\n", 1, 'x')},
        /* X mirrored: flashes at -1 and -2 mm land on 1 and 0. */
        {"a negative scale", "%FSLAX24Y24*%\n%MOMM*%\n%SFA-1B1*%\nD10*\nX10000Y0D03*\nX20000Y0D03*\nM02*\n",
         holes(2, "G90\r\nG21\r\nF400.00000\r\nG0 Z2.00000\r\nS1000\r\nM3\r\nX0.00000 Y0.00000\r\n"
                  "G1 Z-2.00000\r\nG0 Z2.00000\r\nX1.00000 Y0.00000\r\nG1 Z-2.00000\r\nG0 Z2.00000\r\n"
                  "X0.00000 Y0.00000\r\nM5\r\nM2\r\n")},
        {"a negative coordinate", head + "X-100Y0D03*\n", reader(BAD_X, 4)},
        {"unterminated format block at the end", head + "X0Y0D03*\n%FSLAX24Y24*", reader(UNCLOSED, 5)},
        {"a lone '%' at the end", head + "X0Y0D03*\n%", reader(UNCLOSED, 5)},
        {"a block opened after the last flash", head + "X0Y0D03*\n%\nM02*\n", reader(UNCLOSED, 5)},
        {"unterminated aperture at the end", head + "X0Y0D03*\n%ADD10C,0.8",
         reader("A fájl %d. sorában a(z) <%c%c> utasítás végén nincs '%c' karakter.\\n", 5, 'A', 'D', '*')},
        {"unterminated macro body at the end", head + "X0Y0D03*\n%AMOC8*\n5,1,8,0,0,1.08239X$1,22.5",
         reader("A fájl %d. sorának végén nincs '%c' karakter.\\n", 6, '*')},
        {"unit block cut after one letter", head + "X0Y0D03*\n%MOM",
         reader("A fájl %d. sorában az <MO> utasításnak kevés a paramétere.\\n", 5)},
        {"scale block cut after its letter", head + "X0Y0D03*\n%SFA",
         reader("A fájl %d. sorában az <SF> utasítás '%c' paraméterének nincs értéke.\\n", 5, 'A')},
        {"offset block cut after its letter", head + "X0Y0D03*\n%OFA",
         reader("A fájl %d. sorában hibás az 'A' értéke.\\n", 5)},
        {"axis block cut after its letter", head + "X0Y0D03*\n%ASA",
         reader("A fájl %d. sorában az <AS> utasítás 'A' paraméterének nincs értéke.\\n", 5)},
        {"flash without its '*' at the end", head + "X0Y0D03*\nX100Y100D03",
         reader(NO_STAR, 5, '0', '*')},
    };

    /* A NUL or 0xFF byte ends its line for the reader's commands; the next
     * line is read as usual. A number, though, swallows a 0xFF that ends it,
     * and the block goes on after it. Inserted before character k of
     * "X100Y200D03*" on line 4, followed by a flash on line 5. */
    const std::string block = "X100Y200D03*";
    const std::string next = "X30000Y40000D03*\nM02*\n";
    for (char stop : {'\0', '\xff'}) {
        for (size_t k = 0; k <= block.size(); k++) {
            expect e = holes(1);
            if (k == 1)
                e = reader(BAD_X, 4);
            else if (k == 5)
                e = reader(BAD_Y, 4);
            else if (k == 9)
                e = reader("A fájl %d. sorában hibás a 'D' paramétere.\\n", 4);
            else if (k == 10 || k == 11)
                e = reader(NO_STAR, 4, '0', '*');
            else if (k == 12 || (stop == '\xff' && (k == 4 || k == 8)))
                e = holes(2);
            std::string line = block;
            line.insert(k, 1, stop);
            cases.push_back({std::string(stop ? "0xFF" : "NUL") + " before character " + std::to_string(k),
                             head + line + "\n" + next, e});
        }
    }
    return cases;
}

TEST(BadInput, GerberContent)
{
    for (const content_case &c : content_cases()) {
        SCOPED_TRACE(c.name);
        temp_dir dir;
        write_file(dir.file("in.gbr"), c.content);
        check_run(dir.path, {"in.gbr"}, "in.gbr", c.outcome);
    }
}

const std::string board = head + "X0Y0D03*\nX10000Y0D03*\nM02*\n";

/* A relative name of exactly `length` characters through directories of
 * short names, with a board in it; returns the name. */
std::string long_name(const std::string &dir, size_t length)
{
    std::string name;
    while (length - name.size() > 101) {
        name += std::string(99, 'd') + "/";
        fs::create_directory(dir + "/" + name);
    }
    name += std::string(length - name.size(), 'f');
    write_file(dir + "/" + name, board);
    return name;
}

struct file_case {
    std::string name;
    /* Prepares the directory; returns the input name for the command line. */
    std::string (*prepare)(const std::string &dir);
    expect (*outcome)(const std::string &input);
};

std::vector<file_case> file_cases()
{
    return {
        /* Only a regular file is read; nothing is created for anything else. */
        {"a directory",
         [](const std::string &dir) { fs::create_directory(dir + "/folder.gbr"); return std::string("folder.gbr"); },
         [](const std::string &in) { return on_stderr(piped("Nem sikerült megnyitni a fájlt: %s\n", in.c_str())); }},
        /* Opening a pipe must not wait for a writer; it cannot be read
         * line by line with seeks anyway. */
        {"a FIFO",
         [](const std::string &dir) { mkfifo((dir + "/pipe.gbr").c_str(), 0644); return std::string("pipe.gbr"); },
         [](const std::string &in) { return on_stderr(piped("Nem sikerült megnyitni a fájlt: %s\n", in.c_str())); }},
        /* Root reads any file, but nobody reads /proc/self/mem at offset 0. */
        {"a file whose read fails",
         [](const std::string &dir) {
             fs::create_symlink("/proc/self/mem", dir + "/mem.gbr");
             return std::string("mem.gbr");
         },
         [](const std::string &) { return reader("A fájl %d. sorát nem sikerült beolvasni.\\n", 1); }},
        {"a device without line ends",
         [](const std::string &dir) {
             fs::create_symlink("/dev/zero", dir + "/zero.gbr");
             return std::string("zero.gbr");
         },
         [](const std::string &in) { return on_stderr(piped("Nem sikerült megnyitni a fájlt: %s\n", in.c_str())); }},
        /* A terminal's reading would wait for ever. */
        {"a terminal device",
         [](const std::string &dir) {
             fs::create_symlink("/dev/ptmx", dir + "/tty.gbr");
             return std::string("tty.gbr");
         },
         [](const std::string &in) { return on_stderr(piped("Nem sikerült megnyitni a fájlt: %s\n", in.c_str())); }},
        {"a symbolic link to itself",
         [](const std::string &dir) {
             fs::create_symlink("loop.gbr", dir + "/loop.gbr");
             return std::string("loop.gbr");
         },
         [](const std::string &in) { return on_stderr(piped("Nem sikerült megnyitni a fájlt: %s\n", in.c_str())); }},
        {"a missing file", [](const std::string &) { return std::string("nincs.gbr"); },
         [](const std::string &in) { return on_stderr(piped("Nem sikerült megnyitni a fájlt: %s\n", in.c_str())); }},
        {"a path through a regular file",
         [](const std::string &dir) { write_file(dir + "/plain.gbr", board); return std::string("plain.gbr/x.gbr"); },
         [](const std::string &in) { return on_stderr(piped("Nem sikerült megnyitni a fájlt: %s\n", in.c_str())); }},
        {"an output name taken by a directory",
         [](const std::string &dir) {
             write_file(dir + "/in.gbr", board);
             fs::create_directory(dir + "/in.gbr.tap");
             return std::string("in.gbr");
         },
         [](const std::string &in) {
             return on_stderr(piped("Nem sikerült elkészíteni a fájlt: %s.tap\n", in.c_str()));
         }},
        {"a name of 255 characters", [](const std::string &dir) { return long_name(dir, 255); },
         [](const std::string &) { return holes(2); }},
        {"a name of 256 characters", [](const std::string &dir) { return long_name(dir, 256); },
         [](const std::string &in) {
             return on_stderr(piped("Nem sikerült elkészíteni a fájl nevét: %s.tap\n", in.c_str()));
         }},
        {"a name of 259 characters", [](const std::string &dir) { return long_name(dir, 259); },
         [](const std::string &in) {
             return on_stderr(piped("Nem sikerült elkészíteni a fájl nevét: %s.tap\n", in.c_str()));
         }},
        {"a name of 4,000 characters", [](const std::string &dir) { return long_name(dir, 4000); },
         [](const std::string &in) {
             return on_stderr(piped("A fájl neve túl hosszú, legföljebb %d karakter lehet: %s\n", 259, in.c_str()));
         }},
        /* The name fits the record, but the file system takes no 259-byte name. */
        {"a single name of 255 characters",
         [](const std::string &dir) {
             std::string name(255, 'n');
             write_file(dir + "/" + name, board);
             return name;
         },
         [](const std::string &in) {
             return on_stderr(piped("Nem sikerült elkészíteni a fájlt: %s.tap\n", in.c_str()));
         }},
    };
}

TEST(BadInput, InputAndOutputFiles)
{
    for (const file_case &c : file_cases()) {
        SCOPED_TRACE(c.name);
        temp_dir dir;
        std::string input = c.prepare(dir.path);
        check_run(dir.path, {input}, input, c.outcome(input));
    }
}

/* Permissions stop nobody running as root. Then these rows run the
 * converter as the user nobody instead; the command that does so, or an
 * empty one when permissions bind anyway. Skips when neither works. */
struct permission_runner {
    bool usable = true;
    std::vector<std::string> prefix;
};

permission_runner runner_for(const std::string &dir)
{
    std::string probe = dir + "/probe";
    write_file(probe, "x");
    chmod(probe.c_str(), 0);
    int fd = open(probe.c_str(), O_RDONLY);
    unlink(probe.c_str());
    if (fd < 0)
        return {};
    close(fd);
    permission_runner nobody{true, {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"}};
    chmod(dir.c_str(), 0777);
    std::vector<std::string> usage = nobody.prefix;
    usage.push_back(drelvo_path());
    usage.push_back("-s");
    nobody.usable = access(usage[0].c_str(), X_OK) == 0 && run_program(usage, dir).status == 0;
    return nobody;
}

TEST(BadInput, UnreadableInput)
{
    temp_dir dir;
    permission_runner runner = runner_for(dir.path);
    if (!runner.usable)
        GTEST_SKIP() << "running as root, and the converter cannot be run as nobody";
    write_file(dir.file("locked.gbr"), board);
    chmod(dir.file("locked.gbr").c_str(), 0);
    check_run(dir.path, {"locked.gbr"}, "locked.gbr",
              on_stderr(piped("Nem sikerült megnyitni a fájlt: %s\n", "locked.gbr")), runner.prefix);
}

TEST(BadInput, OutputInReadOnlyDirectory)
{
    temp_dir dir;
    permission_runner runner = runner_for(dir.path);
    if (!runner.usable)
        GTEST_SKIP() << "running as root, and the converter cannot be run as nobody";
    fs::create_directory(dir.file("ro"));
    write_file(dir.file("ro/in.gbr"), board);
    chmod(dir.file("ro").c_str(), 0555);
    check_run(dir.path, {"ro/in.gbr"}, "ro/in.gbr",
              on_stderr(piped("Nem sikerült elkészíteni a fájlt: %s\n", "ro/in.gbr.tap")), runner.prefix);
}

TEST(BadInput, Arguments)
{
    struct arg_case {
        std::vector<std::string> args;
        expect outcome;
    };
    std::vector<arg_case> cases;
    const char *const MISSING = "Hiányzik a(z) \"%s\" kapcsoló értéke.\n";
    for (const char *option : {"-i", "-m", "-f", "-p", "-e", "-a", "-h", "-x", "-y", "--egészrész",
                               "--mértékegység", "--forgásirány", "--fordulatszám", "--előtolás",
                               "--alaphelyzet", "--mélység", "--x-koordináta", "--y-koordináta"})
        cases.push_back({{"in.gbr", option}, on_stderr(piped(MISSING, option))});
    cases.push_back({{"-e"}, on_stderr(piped(MISSING, "-e"))});
    for (const char *value : {"nan", "NaN", "-nan", "nan(0x1)"})
        cases.push_back({{"in.gbr", "-e", value}, on_stderr(piped("Hibás paraméter: \"%s\"\n", value))});
    cases.push_back({{"in.gbr", "-x", "nan"}, on_stderr(piped("Hibás paraméter: \"%s\"\n", "nan"))});
    cases.push_back({{"in.gbr", "-e", "inf"},
                     on_stdout(piped("Az előtolás túlságosan sok, legföljebb %0.*lf mm/perc lehet.\n", 5, 1000.0))});
    cases.push_back({{"in.gbr", "-a", "1e400"},
                     on_stdout(piped("Az alaphelyzet sok, legföljebb %0.*lf mm lehet.\n", 5, 10.0))});
    cases.push_back({{"in.gbr", "-x", "-inf"},
                     on_stdout(piped("Az X koordináta kicsi, legalább %0.*lf mm legyen.\n", 5, 0.0))});
    cases.push_back({{"in.gbr", "-m", std::string(4000, 'm')},
                     on_stdout(piped("Ismeretlen mértékegység: \"%s\"\n", std::string(15, 'm').c_str()))});

    for (const arg_case &c : cases) {
        std::string trace;
        for (const std::string &a : c.args)
            trace += a.substr(0, 40) + " ";
        SCOPED_TRACE(trace);
        temp_dir dir;
        write_file(dir.file("in.gbr"), board);
        check_run(dir.path, c.args, "in.gbr", c.outcome);
    }
}

/* Inputs that once broke a promise, found by fuzzing. gerber-*: a Gerber
 * file; args-*: an argument vector split at NUL bytes, run where "g" is a
 * board, "e" an empty file and "d" a directory. Either way the run ends
 * with status 0 and a complete program, or status 1 and a message, and
 * creates nothing but "<argument>.tap". */
TEST(BadInput, FuzzRegressions)
{
    const std::string regress = std::string(TESTS_DIR) + "/regress";
    int replayed = 0;
    for (const auto &entry : fs::directory_iterator(regress)) {
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        std::string content = read_file(entry.path().string());
        temp_dir dir;
        std::vector<std::string> args;
        std::set<std::string> before;
        if (name.rfind("gerber-", 0) == 0) {
            write_file(dir.file("in.gbr"), content);
            args = {"in.gbr"};
        } else if (name.rfind("args-", 0) == 0) {
            write_file(dir.file("g"), board);
            write_file(dir.file("e"), "");
            fs::create_directory(dir.file("d"));
            std::string arg;
            for (size_t i = 0; i <= content.size(); i++) {
                if (i == content.size() || content[i] == '\0') {
                    args.push_back(arg);
                    arg.clear();
                } else {
                    arg += content[i] == '/' ? '_' : content[i];
                }
            }
        } else {
            continue;
        }
        before = listing(dir.path);
        run_result r = run_drelvo(args, dir.path, 10);
        ASSERT_FALSE(r.timed_out);
        EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
        ASSERT_TRUE(r.status == 0 || r.status == 1) << r.status;
        for (const std::string &made : listing(dir.path)) {
            if (before.count(made))
                continue;
            bool named = false;
            for (const std::string &a : args)
                named = named || made == a + ".tap";
            EXPECT_TRUE(named) << "created " << made;
        }
        if (name.rfind("gerber-", 0) == 0) {
            std::string program = read_file(dir.file("in.gbr.tap"));
            if (r.status == 0) {
                EXPECT_GT(count_plunges(program), 0) << program.substr(0, 2000);
            } else {
                EXPECT_NE(r.err, "");
                EXPECT_EQ(program, "") << "a failed conversion leaves no program behind";
            }
        }
        replayed++;
    }
    EXPECT_GT(replayed, 0) << "no regression input under " << regress;
}

}  // namespace
