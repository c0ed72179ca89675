/* Mentes.h - saving a file whole or not at all, a long one in a thread of its own,
 * and why a file operation failed. */
#ifndef MENTES_H
#define MENTES_H

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QThread;

/* Writes one piece of a file; returns 0 or the errno of the failure. */
using TPieceWriter = std::function<int(QByteArrayView piece)>;

/* Writes the bytes that `produce` hands to its writer, piece by piece, into
 * a new file beside `path` and renames it over `path`, so the file either
 * holds all of them or stays as it was. A file that exists keeps its
 * permissions; a new one gets 0644. Returns 0 or the errno of the step that
 * failed, a write's as `produce` returns it. */
int SaveWhole(const QString &path, const std::function<int(const TPieceWriter &write)> &produce);

/* Saves one at a time in a thread of their own, so that writing a long
 * program does not hold up the window. Each reports its result (0 or an
 * errno) to its `done` in the thread that started it, from the event loop
 * or from Finish. */
class TBackgroundSave {
public:
    TBackgroundSave() = default;
    TBackgroundSave(const TBackgroundSave &) = delete;
    TBackgroundSave &operator=(const TBackgroundSave &) = delete;
    /* Waits for a save under way; its report is dropped with its window. */
    ~TBackgroundSave();

    /* Starts `save` once the save under way is finished and reported. */
    void Start(std::function<int()> save, std::function<void(int error)> done);
    /* A save has started and is not reported yet. */
    bool Running() const { return Thread != nullptr; }
    /* Waits for the save under way, if any, and reports it now. */
    void Finish();

private:
    QThread *Thread = nullptr;
    int Error = 0;
    std::function<void(int error)> Done;
    QObject Reports; /* where a finished thread's report waits for the event loop */
    unsigned Started = 0; /* tells a late report of a save finished meanwhile from the running one's */
};

/* Why a file could not be written, deleted or started, in Hungarian, from the errno. */
QString FileErrorText(int error);

#endif
