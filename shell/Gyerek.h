/* Gyerek.h - the worker thread of a run: starts the converter with the
 * argument vector it was given, collects what it prints, waits for its end
 * and then raises the window's completion flag. */
#ifndef GYEREK_H
#define GYEREK_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>

/* How the converter's run ended. */
struct TRunResult {
    int StartError = 0;  /* errno when the converter could not be started, else 0 */
    int ExitStatus = -1; /* its exit status when it ended by itself */
    int Signal = 0;      /* the signal that ended it, else 0 */
    QByteArray Output;   /* its standard output and error, in the order written */

    bool Succeeded() const { return StartError == 0 && Signal == 0 && ExitStatus == 0; }
};

class gyerek : public QThread {
public:
    /* `arguments`: the program's path, its arguments. `done` is set to 1 once
     * the converter has ended; it must outlive the thread. */
    gyerek(QStringList arguments, std::atomic<int> &done);
    /* Destroying the worker waits for its thread to end. */
    ~gyerek() override;

    /* Valid once the thread has ended. */
    TRunResult Result;

protected:
    void run() override;

private:
    const QStringList Arguments;
    std::atomic<int> &Done;
};

/* The converter's console text: its fixed texts come in code page 1250, the
 * input path as the bytes it was given, so the path is cut out and kept as
 * `inputPath` and the rest is decoded. */
QString DecodeConverterText(const QByteArray &bytes, const QString &inputPath);

#endif
