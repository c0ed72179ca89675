/* gerber_gen.cpp - writes a synthetic Gerber board for the converter's benchmarks.
 *
 *   gerber_gen [-s flash|outline4|outline16|mix] [-u mm|inch] [-r seed] [-o file] holes
 *   gerber_gen -d slots [-r seed] [-o file] holes
 *
 * Without -o the board goes to standard output. With -d it is an Excellon drill
 * file of 10 bits in which `slots` of the holes are slots. */
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "board.h"

namespace {

[[noreturn]] void usage(const char *program)
{
    std::fprintf(stderr,
                 "usage: %s [-s flash|outline4|outline16|mix] [-u mm|inch] [-r seed] [-o file] holes\n"
                 "       %s -d slots [-r seed] [-o file] holes\n",
                 program, program);
    std::exit(2);
}

bool parse_count(const char *text, long low, long high, long *out)
{
    char *end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < low || value > high)
        return false;
    *out = value;
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    board_spec spec;
    const char *output = nullptr;
    long number = 0, slots = -1;
    int opt;
    while ((opt = getopt(argc, argv, "s:u:r:o:d:")) != -1) {
        switch (opt) {
        case 's':
            if (!parse_shape(optarg, &spec.shape))
                usage(argv[0]);
            break;
        case 'u':
            if (std::strcmp(optarg, "mm") == 0)
                spec.unit = board_unit::mm;
            else if (std::strcmp(optarg, "inch") == 0)
                spec.unit = board_unit::inch;
            else
                usage(argv[0]);
            break;
        case 'r':
            if (!parse_count(optarg, 0, 4294967295L, &number))
                usage(argv[0]);
            spec.seed = static_cast<uint32_t>(number);
            break;
        case 'o':
            output = optarg;
            break;
        case 'd':
            if (!parse_count(optarg, 0, 1000000, &slots))
                usage(argv[0]);
            break;
        default:
            usage(argv[0]);
        }
    }
    /* The grid must stay inside the format's integer digits: 1,000,000 holes
     * span 1,000 pitches, 2.54 m or 100 inches. */
    if (optind != argc - 1 || !parse_count(argv[optind], 1, 1000000, &number))
        usage(argv[0]);
    spec.holes = static_cast<int>(number);

    const int bits = 10;
    const std::string text = slots >= 0 ? drill_board(spec, bits, static_cast<int>(slots)) : gerber_board(spec);
    FILE *file = output ? std::fopen(output, "wb") : stdout;
    if (!file) {
        std::fprintf(stderr, "%s: cannot create %s: %s\n", argv[0], output, std::strerror(errno));
        return 1;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = (output ? std::fclose(file) : std::fflush(file)) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "%s: write failed: %s\n", argv[0], std::strerror(errno));
        return 1;
    }
    return 0;
}
