/* output_name.cpp - "<input>.tap". */
#include "app/output_name.h"

#include <cstdio>

#include "system/console_text.h"
#include "writing/program_file.h"

int open_output(settings_t &s)
{
    int length = snprintf(s.output_name, sizeof s.output_name, "%s.tap", s.input_name);
    if (length < 0 || (size_t)length >= sizeof s.output_name) {
        s.output_name[0] = '\0';
        print_text(stderr, "Nem sikerült elkészíteni a fájl nevét: %s.tap\n", s.input_name);
        return -1;
    }
    int out = open_program_file(s.output_name);
    if (out < 0)
        print_text(stderr, "Nem sikerült elkészíteni a fájlt: %s\n", s.output_name);
    return out;
}
