/* Line reading across chunk boundaries and the cursor operations. */
#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "reading/line_input.h"
#include "test_support.h"

namespace {

/* One result of read_line: a line, or a negative status. */
struct read_result {
    int status;          /* length or LINE_ status */
    std::string line;    /* the line when status >= 0 */
    bool operator==(const read_result &o) const { return status == o.status && line == o.line; }
};

std::ostream &operator<<(std::ostream &os, const read_result &r)
{
    if (r.status < 0)
        return os << "status " << r.status;
    return os << "line of " << r.status << " bytes \"" << r.line.substr(0, 40) << "\"";
}

read_result line(const std::string &text) { return {(int)text.size(), text}; }
const read_result eof = {LINE_EOF, ""};

/* Reads with read_line until the first negative status. */
std::vector<read_result> read_all(int fd, unsigned capacity = LINE_BUF_SIZE)
{
    std::vector<char> dest(capacity + 1);
    std::vector<read_result> results;
    for (;;) {
        int status = read_line(fd, dest.data(), capacity);
        if (status < 0) {
            results.push_back({status, ""});
            return results;
        }
        EXPECT_EQ(dest[status], '\0');
        results.push_back({status, std::string(dest.data(), (size_t)status)});
    }
}

std::vector<read_result> read_text(const std::string &content, unsigned capacity = LINE_BUF_SIZE)
{
    temp_dir dir;
    write_file(dir.file("in"), content);
    int fd = open(dir.file("in").c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    std::vector<read_result> results = read_all(fd, capacity);
    close(fd);
    return results;
}

/* What the lines of a text are: LF, CR LF and a lone CR each end one line,
 * and a last line without a terminator still counts. */
std::vector<read_result> reference_lines(const std::string &content)
{
    std::vector<read_result> lines;
    std::string current;
    for (size_t i = 0; i < content.size(); i++) {
        char c = content[i];
        if (c == '\n' || c == '\r') {
            lines.push_back(line(current));
            current.clear();
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                i++;
        } else {
            current += c;
        }
    }
    if (!current.empty())
        lines.push_back(line(current));
    lines.push_back(eof);
    return lines;
}

std::string a(size_t n) { return std::string(n, 'a'); }

TEST(ReadLine, LinesAndTerminators)
{
    struct {
        const char *name;
        std::string content;
        std::vector<read_result> expected;
    } cases[] = {
        {"empty file", "", {eof}},
        {"LF", "abc\ndef\n", {line("abc"), line("def"), eof}},
        {"CR LF", "abc\r\ndef\r\n", {line("abc"), line("def"), eof}},
        {"no final terminator", "abc\ndef", {line("abc"), line("def"), eof}},
        {"empty lines count", "\n\nabc\n\r\n\n", {line(""), line(""), line("abc"), line(""), line(""), eof}},
        {"lone CR keeps the next byte", "abc\rdef\rghi", {line("abc"), line("def"), line("ghi"), eof}},
        {"LF CR is a line end and an empty line", "abc\n\rdef\n", {line("abc"), line(""), line("def"), eof}},
        {"CR CR LF", "x\r\r\ny", {line("x"), line(""), line("y"), eof}},
        {"NUL and 0xFF are line bytes", std::string("a\0b\xff" "c\n", 6), {line(std::string("a\0b\xff" "c", 5)), eof}},
        {"line of 256 then LF", a(256) + "\nnext\n", {line(a(256)), line("next"), eof}},
        {"line of 255 then LF", a(255) + "\nnext\n", {line(a(255)), line("next"), eof}},
        {"CR LF split after 255", a(255) + "\r\nnext\r\n", {line(a(255)), line("next"), eof}},
        {"CR LF split after 511", a(511) + "\r\nnext\r\n", {line(a(511)), line("next"), eof}},
        {"CR LF split after 1023", a(1023) + "\r\nnext", {line(a(1023)), line("next"), eof}},
        {"lone CR ends a chunk", a(255) + "\rnext\n", {line(a(255)), line("next"), eof}},
        {"CR ends a chunk and the file", a(255) + "\r", {line(a(255)), eof}},
        {"CR LF split after a short line", "ab\n" + a(252) + "\r\nz", {line("ab"), line(a(252)), line("z"), eof}},
        {"longest line fits", a(65535) + "\nz\n", {line(a(65535)), line("z"), eof}},
        {"longest line without terminator", a(65535), {line(a(65535)), eof}},
        {"longest line before a split CR LF", a(65535) + "\r\n", {line(a(65535)), eof}},
        {"one byte too long", a(65536) + "\n", {{LINE_TOO_LONG, ""}}},
        {"too long without terminator", a(65536), {{LINE_TOO_LONG, ""}}},
        {"too long after a good line", "ok\n" + a(70000), {line("ok"), {LINE_TOO_LONG, ""}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(read_text(c.content), c.expected) << c.name;
}

TEST(ReadLine, CapacityLimits)
{
    struct {
        std::string content;
        unsigned capacity;
        std::vector<read_result> expected;
    } cases[] = {
        {"abc\n", 4, {line("abc"), eof}},
        {"abcd\n", 4, {{LINE_TOO_LONG, ""}}},
        {"abcd", 4, {{LINE_TOO_LONG, ""}}},
        {"a\n", 2, {line("a"), eof}},
        {"a\n", 1, {{LINE_READ_ERROR, ""}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(read_text(c.content, c.capacity), c.expected) << c.content << " in " << c.capacity;
}

/* Random lines around the chunk size, with every kind of terminator, read as
 * the reference splitter sees them. */
TEST(ReadLine, RandomTextsAcrossChunks)
{
    std::mt19937 rng(12345);
    const char *terminators[] = {"\n", "\r\n", "\r", ""};
    for (int round = 0; round < 60; round++) {
        std::string content;
        int lines = 1 + (int)(rng() % 12);
        for (int i = 0; i < lines; i++) {
            /* Each read starts at a line start, so lengths near 255 + k * 256 put the terminator on a chunk edge. */
            size_t length = rng() % 5 == 0 ? 0 : (rng() % 4) * 256 + 250 + rng() % 11;
            for (size_t k = 0; k < length; k++)
                content += (char)('A' + rng() % 26);
            content += terminators[rng() % (i + 1 == lines ? 4 : 3)];
        }
        ASSERT_EQ(read_text(content), reference_lines(content)) << "round " << round;
    }
}

TEST(ReadLine, UnreadableInputIsAnErrorNotTheEnd)
{
    temp_dir dir;
    int fd = open(dir.path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(read_all(fd), (std::vector<read_result>{{LINE_READ_ERROR, ""}}));
    close(fd);
}

/* A descriptor that cannot seek back would lose the bytes after the line end. */
TEST(ReadLine, UnseekableInputFailsInsteadOfLosingBytes)
{
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
    ASSERT_EQ(write(fds[1], "one\n", 4), 4);          /* exactly one line: nothing to give back */
    ASSERT_EQ(write(fds[1], "two\nthree\n", 10), 10);   /* would need a seek */
    close(fds[1]);
    EXPECT_EQ(read_all(fds[0]), (std::vector<read_result>{line("one"), {LINE_READ_ERROR, ""}}));
    close(fds[0]);
}

/* Reads with load_line until the first negative status. */
std::vector<read_result> load_from(int fd)
{
    std::vector<read_result> results;
    for (;;) {
        int status = load_line(fd);
        results.push_back(status < 0 ? read_result{status, ""} : line(std::string(line_buf, (size_t)status)));
        if (status < 0)
            break;
    }
    return results;
}

std::vector<read_result> load_all(const std::string &content)
{
    temp_dir dir;
    write_file(dir.file("in"), content);
    int fd = open(dir.file("in").c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    std::vector<read_result> results = load_from(fd);
    close(fd);
    return results;
}

/* A descriptor other than the last one read from its start, without
 * forget_input: the other still open, or closed after its end and its number
 * taken again. */
TEST(LoadLine, ANewDescriptorReadsFromItsStart)
{
    struct {
        std::string first;
        int reads;            /* load_line calls on the first file */
        bool close_first;     /* before the second is opened */
        std::string second;
        std::vector<read_result> expected;
    } cases[] = {
        {"one\ntwo\n", 1, false, "abc\r", {line("abc"), eof}},
        {"one\n", 2, true, "x\r", {line("x"), eof}},
    };
    for (const auto &c : cases) {
        temp_dir dir;
        write_file(dir.file("a"), c.first);
        write_file(dir.file("b"), c.second);
        int first = open(dir.file("a").c_str(), O_RDONLY);
        for (int k = 0; k < c.reads; k++)
            load_line(first);
        if (c.close_first)
            close(first);
        int second = open(dir.file("b").c_str(), O_RDONLY);
        EXPECT_EQ(load_from(second), c.expected) << c.first << " then " << c.second;
        close(second);
        if (!c.close_first)
            close(first);
    }
}

/* load_line reads large blocks and scans them; it must give exactly the lines
 * of read_line, also where a line end, a CR LF pair or the longest line
 * meets the end of a block. */
TEST(LoadLine, SameLinesAsReadLine)
{
    const size_t block = INPUT_BUFFER_SIZE;
    std::vector<std::string> contents = {
        a(block - 1) + "\r\nnext\n", a(block - 1) + "\rnext\n", a(block - 1) + "\r",
        a(block) + "\n",   /* too long, ending after the first block */
        a(100) + "\n" + a(block - 102) + "\r\n" + a(65535) + "\r\n" + a(65535) + "\r" + a(65535),
        "ok\n" + a(65535) + "\n" + a(65536),
    };
    std::mt19937 rng(2024);
    const char *terminators[] = {"\n", "\r\n", "\r", ""};
    for (int round = 0; round < 12; round++) {
        std::string content;
        while (content.size() < 3 * block) {
            size_t length = rng() % 8 == 0 ? 60000 + rng() % 6000 : rng() % 300;
            for (size_t k = 0; k < length; k++)
                content += "ab\0\xff*"[rng() % 5];
            content += terminators[rng() % 4];
        }
        contents.push_back(content);
    }
    for (size_t i = 0; i < contents.size(); i++)
        ASSERT_EQ(load_all(contents[i]), read_text(contents[i])) << "content " << i;
}

/* Puts a text into the line buffer as load_line would. */
void set_line(const std::string &text)
{
    temp_dir dir;
    write_file(dir.file("in"), text + "\n");
    int fd = open(dir.file("in").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(load_line(fd), (int)text.size());
    close(fd);
}

TEST(Cursor, LoadLineReplacesTheLineAndKeepsTheStatus)
{
    temp_dir dir;
    write_file(dir.file("in"), "abc\n" + a(65536));
    int fd = open(dir.file("in").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(load_line(fd), 3);
    EXPECT_EQ(get_char(), 'a');
    EXPECT_EQ(load_line(fd), LINE_TOO_LONG);
    EXPECT_EQ(line_len, LINE_TOO_LONG);
    EXPECT_EQ(line_pos, 0);
    /* After a failed read every operation is at the end of the line. */
    EXPECT_EQ(get_char(), -1);
    EXPECT_EQ(cursor_ptr(), nullptr);
    EXPECT_EQ(skip_blanks(), -1);
    EXPECT_EQ(skip_to_char('a'), 0);
    int value = 7;
    EXPECT_EQ(peek_int(&value), -1);
    EXPECT_EQ(seek_cursor(5, 0), 0);
    close(fd);
}

TEST(Cursor, GetCharStopsAtNulAndConsumesFF)
{
    set_line(std::string("ab\x80\xfe\xff" "c\0d", 8));
    std::vector<int> got;
    for (int i = 0; i < 5; i++)
        got.push_back(get_char());
    EXPECT_EQ(got, (std::vector<int>{'a', 'b', -128, -2, -1}));   /* 0xFF read and consumed */
    EXPECT_EQ(line_pos, 5);
    EXPECT_EQ(get_char(), 'c');
    EXPECT_EQ(get_char(), -1);   /* the NUL stays */
    EXPECT_EQ(get_char(), -1);
    EXPECT_EQ(line_pos, 6);
    ASSERT_NE(cursor_ptr(), nullptr);
    EXPECT_EQ(*cursor_ptr(), '\0');
    seek_cursor(0, 2);
    EXPECT_EQ(*cursor_ptr(), 'd');
    EXPECT_EQ(get_char(), 'd');
    EXPECT_EQ(cursor_ptr(), nullptr);
}

TEST(Cursor, SeekClamps)
{
    set_line("abcdef");   /* line_len 6 */
    struct {
        int start, offset, whence, expected;
    } cases[] = {
        {0, -1, 1, 0}, {4, 2, 1, 6}, {4, 1, 1, 5}, {4, 9, 1, 6}, {2, 0, 2, 5},
        {2, -2, 2, 3}, {2, 1, 2, 6}, {2, -9, 2, 0}, {2, 3, 0, 3}, {2, 7, 0, 6}, {2, -1, 5, 0},
    };
    for (const auto &c : cases) {
        line_pos = c.start;
        EXPECT_EQ(seek_cursor(c.offset, c.whence), c.expected) << c.start << " " << c.offset << " " << c.whence;
        EXPECT_EQ(line_pos, c.expected);
    }
}

TEST(Cursor, SkipBlanksAndSkipToChar)
{
    struct {
        std::string text;
        int blanks_result, pos_after_blanks;
        int star_result, pos_after_star;   /* from the start of the line; -1: position not relied on */
    } cases[] = {
        {"X1*", 0, 0, 1, 2},
        {std::string(" \t\v\f\b X*", 8), 0, 6, 1, 7},
        {"   ", -1, 3, 0, -1},
        {std::string("  \0 *", 5), -1, 2, 0, -1},   /* NUL ends the line */
        {"  \xff *", -1, 3, 0, -1},                 /* 0xFF ends it too, consumed */
        {"*", 0, 0, 1, 0},                          /* found under the cursor */
        {"ab", 0, 0, 0, -1},
    };
    for (const auto &c : cases) {
        set_line(c.text);
        EXPECT_EQ(skip_blanks(), c.blanks_result) << c.text;
        EXPECT_EQ(line_pos, c.pos_after_blanks) << c.text;
        line_pos = 0;
        EXPECT_EQ(skip_to_char('*'), c.star_result) << c.text;
        if (c.pos_after_star >= 0) {
            EXPECT_EQ(line_pos, c.pos_after_star) << c.text;
            EXPECT_EQ(get_char(), '*');
        }
    }
}

TEST(Cursor, PeekInt)
{
    struct {
        std::string text;
        int start, result, value;
    } cases[] = {
        {"12X", 0, 0, 12},
        {"D01*", 1, 0, 1},
        {"  -7*", 0, 0, -7},
        {"+42", 0, 0, 42},
        {"\t9", 0, 0, 9},
        {"2147483647", 0, 0, INT_MAX},
        {"2147483648", 0, 0, INT_MAX},
        {"99999999999999999999", 0, 0, INT_MAX},
        {"-2147483648", 0, 0, INT_MIN},
        {"-99999999999999999999", 0, 0, INT_MIN},
        {"X", 0, -1, 0},
        {"-", 0, -1, 0},
        {"- 1", 0, -1, 0},
        {"*", 0, -1, 0},
        {"12", 2, -1, 0},   /* end of the line */
    };
    for (const auto &c : cases) {
        set_line(c.text);
        line_pos = c.start;
        int value = 12345;
        EXPECT_EQ(peek_int(&value), c.result) << c.text;
        if (c.result == 0) {
            EXPECT_EQ(value, c.value) << c.text;
        }
        EXPECT_EQ(line_pos, c.start) << c.text;
    }
}

}  // namespace
