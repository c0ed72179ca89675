/* Gyerek.h - the worker thread of a run: starts the converter with the
 * shell's settings, waits for its end and then raises ConversionDone. */
#ifndef GYEREK_H
#define GYEREK_H

#include <QThread>

class gyerek : public QThread {
public:
    /* Destroying the worker waits for its thread to end. */
    ~gyerek() override;

protected:
    void run() override;
};

#endif
