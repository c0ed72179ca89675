/* driver.h - the converter's run, from the command line to the exit status.
 *
 * It reads and checks the options, opens the input and hands it to the drill
 * file's run (Excellon) or to the Gerber run, which start "<input>.tap" and
 * convert: read, centre, move, order, write. main() only calls it; tests and
 * fuzzers run it in-process. */
#ifndef DRIVER_H
#define DRIVER_H

/* The whole run; the exit status. */
int drelvo_main(int argc, char **argv);

#endif
