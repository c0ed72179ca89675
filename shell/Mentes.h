/* Mentes.h - saving a file whole or not at all, and why a file operation failed. */
#ifndef MENTES_H
#define MENTES_H

#include <QByteArray>
#include <QString>
#include <functional>

/* Writes one piece of a file; returns 0 or the errno of the failure. */
using TPieceWriter = std::function<int(QByteArrayView piece)>;

/* Writes the bytes that `produce` hands to its writer, piece by piece, into
 * a new file beside `path` and renames it over `path`, so the file either
 * holds all of them or stays as it was. A file that exists keeps its
 * permissions; a new one gets 0644. Returns 0 or the errno of the step that
 * failed, a write's as `produce` returns it. */
int SaveWhole(const QString &path, const std::function<int(const TPieceWriter &write)> &produce);

/* Why a file could not be written, deleted or started, in Hungarian, from the errno. */
QString FileErrorText(int error);

#endif
