/* ProgramLoader.h - a G-code program into the editor without a long wait.
 *
 * A program of a few thousand lines goes into the editor at once. A longer
 * one (a panel of 100,000 holes is 300,000 lines, and the editor needs about
 * three microseconds a line) goes in by parts: the first at once, so that the
 * editor shows, scrolls and takes typing straight away, the others from the
 * event loop, each short enough not to stall the window. Undo starts when the
 * whole program is in. The editor then holds exactly what setPlainText would
 * have put there, and a load leaves the editor marked unmodified: what it
 * shows is what the file holds. */
#ifndef PROGRAMLOADER_H
#define PROGRAMLOADER_H

#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <functional>
#include <memory>

class QPlainTextEdit;

/* Lines put into the editor at a time. */
enum { ProgramLinesAtOnce = 5000 };

/* Characters of the editor's text turned into stored bytes at a time. */
enum { StoredPieceCharacters = 1 << 16 };

/* A stored program (CR LF line ends) as the editor's text, and back (every
 * line, the last included, ended by CR LF). One pass each over the text:
 * replacing the line ends in place takes time that grows with the square of
 * a long program's length. */
QString ProgramText(QByteArrayView stored);
QByteArray StoredProgram(const QString &text);
/* The same bytes as StoredProgram, handed to `take` piece by piece, so that
 * a long program is saved without a copy of it whole; stops at the first
 * non-zero `take` returns, and returns it. */
int StoredPieces(QStringView text, const std::function<int(QByteArrayView)> &take);

/* Large blocks of memory each mapped on its own, so that a table grown
 * past them (the editor's, at a million lines, is hundreds of MB) is
 * remapped, not copied. The C library would raise that size after large
 * frees and copy a grown table once across it: 160 ms in one turn of a
 * load. Called once, before the window. */
void KeepLargeBlocksMapped();

/* Bytes of a program file read ahead of the part being put in. */
enum { ProgramBytesAhead = 1 << 20 };

/* Replaces the editor's text with a program as stored in a file (CR LF line
 * ends), stopping a load still going on: `stored`, then what `rest` (an open
 * file, which the load then owns) still holds. */
void LoadProgram(QPlainTextEdit *editor, QByteArray stored, std::unique_ptr<QIODevice> rest = nullptr);
/* Puts the rest of a load still going on into its editor now. */
void FinishLoading();

#endif
