/* gerber_run.h - the run of a Gerber file: read, centre, move, order, write. */
#ifndef GERBER_RUN_H
#define GERBER_RUN_H

#include "app/settings.h"

/* Converts the Gerber file open on `in` into "<input>.tap" as the settings say; the exit status. */
int convert_gerber(int in, settings_t &s);

#endif
