/* output_name.h - the program file named after the input. */
#ifndef OUTPUT_NAME_H
#define OUTPUT_NAME_H

#include "app/settings.h"

/* Starts "<input>.tap", its name in s.output_name. Its descriptor, or -1 after the message. */
int open_output(settings_t &s);

#endif
