/* read_line_fuzz.cpp - read_line and the cursor on arbitrary bytes.
 *
 * The input's first bytes choose a sequence of destination capacities, the
 * rest is the file. The file is read back line by line, each call with the
 * next capacity into a heap block of exactly that size, and every result
 * and file position is compared with a plain model of the line rules: the
 * first CR or LF ends the line, a CR LF pair is one line end wherever the
 * 256-byte chunks of the reads happen to split it, and no byte after a line
 * end is lost. The file is then read again with load_line, which must give
 * the same lines, and each is walked with the cursor operations, which must
 * keep the cursor within the line. */
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include "harness.h"
#include "reading/line_input.h"

namespace {

struct model_line {
    int result;        /* length, or a LINE_ status */
    size_t next;       /* file position after a successful read */
};

model_line model_read(const std::string &file, size_t pos, unsigned capacity)
{
    if (capacity < 2)
        return {LINE_READ_ERROR, pos};
    if (pos >= file.size())
        return {LINE_EOF, pos};
    size_t end = file.find_first_of("\r\n", pos);
    size_t next = end == std::string::npos ? file.size() : end + 1;
    if (end == std::string::npos)
        end = file.size();
    else if (file[end] == '\r' && next < file.size() && file[next] == '\n')
        next++;
    if (end - pos > capacity - 1)
        return {LINE_TOO_LONG, next};
    return {(int)(end - pos), next};
}

unsigned pick_capacity(FuzzedDataProvider &choices)
{
    static const unsigned edges[] = {0, 1, 2, 3, 255, 256, 257, 258, 512, 513, LINE_BUF_SIZE - 1, LINE_BUF_SIZE};
    uint8_t pick = choices.ConsumeIntegral<uint8_t>();
    if (pick < sizeof edges / sizeof edges[0])
        return edges[pick];
    return pick < 128 ? pick : choices.ConsumeIntegralInRange<unsigned>(0, 1200);
}

void check_cursor(const std::string &line)
{
    for (int step = 0; step < 4 * (int)line.size() + 8; step++) {
        int op = step % 6;
        int value = 0;
        if (op == 0)
            get_char();
        else if (op == 1)
            skip_blanks();
        else if (op == 2)
            peek_int(&value);
        else if (op == 3)
            seek_cursor(step % 5 - 2, 1);
        else if (op == 4 && skip_to_char('*'))
            get_char();
        else
            cursor_ptr();
        if (line_pos < 0 || line_pos > std::max(line_len, 0))
            broken_promise("the cursor left the line", std::to_string(line_pos));
        if (line_pos >= line_len && cursor_ptr() != nullptr)
            broken_promise("cursor_ptr past the end of the line");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string path = scratch_dir() + "/lines";
    FuzzedDataProvider provider(data, size);
    size_t choice_bytes = provider.ConsumeIntegralInRange<size_t>(0, 64);
    std::string choice_data = provider.ConsumeBytesAsString(choice_bytes);
    std::string file = provider.ConsumeRemainingBytesAsString();
    FuzzedDataProvider choices((const uint8_t *)choice_data.data(), choice_data.size());

    write_whole_file(path, file.data(), file.size());
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        broken_promise("cannot open the scratch file");

    size_t pos = 0;
    for (size_t calls = 0; calls <= file.size() + 1; calls++) {
        unsigned capacity = choices.remaining_bytes() ? pick_capacity(choices) : LINE_BUF_SIZE;
        char *dest = (char *)malloc(capacity ? capacity : 1);
        int result = read_line(fd, dest, capacity);
        model_line expected = model_read(file, pos, capacity);
        if (result != expected.result)
            broken_promise("read_line result differs from the line rules",
                           std::to_string(result) + " instead of " + std::to_string(expected.result) + " at " +
                               std::to_string(pos) + " with capacity " + std::to_string(capacity));
        if (result < 0) {
            free(dest);
            break;
        }
        if (dest[result] != '\0' || memcmp(dest, file.data() + pos, (size_t)result) != 0)
            broken_promise("read_line stored other bytes than the line");
        free(dest);
        off_t now = lseek(fd, 0, SEEK_CUR);
        if (now != (off_t)expected.next)
            broken_promise("read_line left the file position elsewhere",
                           std::to_string(now) + " instead of " + std::to_string(expected.next));
        pos = expected.next;
    }
    close(fd);

    /* The same file through the reader's own buffer, which must give the
     * same lines, walked by the cursor. */
    fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        broken_promise("cannot open the scratch file");
    pos = 0;
    for (size_t lines = 0; lines <= file.size() + 1; lines++) {
        int length = load_line(fd);
        model_line expected = model_read(file, pos, LINE_BUF_SIZE);
        if (length != expected.result)
            broken_promise("load_line result differs from the line rules",
                           std::to_string(length) + " instead of " + std::to_string(expected.result));
        if (length < 0)
            break;
        if (memcmp(line_buf, file.data() + pos, (size_t)length) != 0)
            broken_promise("load_line stored other bytes than the line");
        pos = expected.next;
        check_cursor(std::string(line_buf, (size_t)length));
    }
    check_cursor("");
    close(fd);
    return 0;
}
