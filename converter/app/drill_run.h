/* drill_run.h - the run of a drill file (Excellon): read, say what was read,
 * and write one program for all bits or one program per bit. */
#ifndef DRILL_RUN_H
#define DRILL_RUN_H

#include "app/settings.h"

/* Converts the drill file open on `in` as the settings say; the exit status. */
int convert_excellon(int in, settings_t &s);

#endif
