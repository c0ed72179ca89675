/* Mentes.h - saving a file whole or not at all, and why a file operation failed. */
#ifndef MENTES_H
#define MENTES_H

#include <QByteArray>
#include <QString>

/* Writes `bytes` into a new file beside `path` and renames it over `path`, so
 * the file either holds all of `bytes` or stays as it was. A file that exists
 * keeps its permissions; a new one gets 0644. Returns 0 or the errno of the
 * step that failed. */
int SaveWhole(const QString &path, const QByteArray &bytes);

/* Why a file could not be written, deleted or started, in Hungarian, from the errno. */
QString FileErrorText(int error);

#endif
