/* ProgramLoader.cpp - the program into the editor by parts. */
#include "ProgramLoader.h"

#include <QBasicTimer>
#include <QIODevice>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimerEvent>
#include <algorithm>
#include <memory>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "EditorText.h"

namespace {

/* Where the part of the stored program that starts at `from` (-1 for the
 * first) ends: before the line end of its ProgramLinesAtOnce-th line, a
 * CR LF kept whole, or at the end. A part never ends in a CR either, which
 * the editor would take together with the LF that begins the next part. */
qsizetype PartEnd(QByteArrayView stored, qsizetype from)
{
    qsizetype end = from < 0 ? -1 : from + (stored[from] == '\r' ? 1 : 0);
    for (int lines = 1;; lines++) {
        end = stored.indexOf('\n', end + 1);
        if (end < 0)
            return stored.size();
        const qsizetype boundary = end > 0 && stored[end - 1] == '\r' ? end - 1 : end;
        if (lines >= ProgramLinesAtOnce && !(boundary > 0 && stored[boundary - 1] == '\r'))
            return boundary;
    }
}

/* PartEnd over the whole program, whose bytes after `stored` are still in
 * `rest`: read on until the part ends before the bytes read, or the
 * program does. A file is read a part ahead, not whole at once: 48 MB of
 * fresh memory filled in one turn stalled the window for 180 ms. */
qsizetype WholePartEnd(QByteArray &stored, qsizetype from, std::unique_ptr<QIODevice> &rest)
{
    for (;;) {
        const qsizetype end = PartEnd(stored, from);
        if (end < stored.size() || rest == nullptr)
            return end;
        const QByteArray more = rest->read(ProgramBytesAhead);
        if (more.isEmpty())
            rest.reset();
        stored.append(more);
    }
}

/* The parts still to come, appended from the event loop; a child of its editor. */
class TProgramLoader : public QObject {
public:
    TProgramLoader(QPlainTextEdit *editor, const QByteArray &stored, qsizetype from, std::unique_ptr<QIODevice> rest)
        : QObject(editor), Document(editor->document()), Stored(stored), From(from), Rest(std::move(rest))
    {
        Timer.start(0, this);
    }
    /* However the load ends (finished, replaced by another, its editor
     * closed), undo works again. */
    ~TProgramLoader() override
    {
        if (Document)
            Document->setUndoRedoEnabled(true);
    }

    void Finish()
    {
        while (!Complete())
            AppendPart();
        Done();
    }

protected:
    void timerEvent(QTimerEvent *) override
    {
        AppendPart();
        if (Complete())
            Done();
    }

private:
    bool Complete() const { return From >= Stored.size() && Rest == nullptr; }

    /* Each part begins with the line end that closes the text before it,
     * and is decoded only when its turn comes. With undo off the document
     * does not count it as a modification. */
    void AppendPart()
    {
        const qsizetype end = WholePartEnd(Stored, From, Rest);
        QTextCursor cursor(Document);
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(ProgramText(QByteArrayView(Stored).sliced(From, end - From)));
        /* Only the bytes to come are kept: grown whole, they were copied
         * each time they doubled (90 ms a turn at 64 MiB). */
        Stored.remove(0, end);
        From = 0;
    }

    /* deleteLater: this may run inside the object's own timer event. */
    void Done()
    {
        Timer.stop();
        Document->setUndoRedoEnabled(true);
        deleteLater();
    }

    QPointer<QTextDocument> Document;   /* the editor's; may go before this, with the editor */
    QByteArray Stored;                  /* the program's bytes read and not yet put in */
    qsizetype From;                     /* in bytes; 0 after the first part */
    std::unique_ptr<QIODevice> Rest;    /* the rest of the program, until it ends */
    QBasicTimer Timer;
};

QPointer<TProgramLoader> Pending;

} // namespace

QString ProgramText(QByteArrayView stored)
{
    QString text = QString::fromUtf8(stored);
    QChar *const begin = text.data();
    const QChar *const end = begin + text.size();
    QChar *out = begin;
    for (const QChar *in = begin; in != end; ++in)
        if (*in != u'\r' || in + 1 == end || in[1] != u'\n')
            *out++ = *in;
    text.truncate(out - begin);
    return text;
}

int StoredPieces(QStringView text, const std::function<int(QByteArrayView)> &take)
{
    QByteArray piece, tail; /* the last two bytes given */
    for (qsizetype from = 0, size; from < text.size(); from += size) {
        size = std::min<qsizetype>(StoredPieceCharacters, text.size() - from);
        if (from + size < text.size() && text[from + size - 1].isHighSurrogate())
            --size; /* a pair stays together */
        const QByteArray utf8 = text.sliced(from, size).toUtf8();
        piece.resize(utf8.size() + utf8.count('\n'));
        char *out = piece.data();
        for (char c : utf8) {
            if (c == '\n')
                *out++ = '\r';
            *out++ = c;
        }
        tail = (tail + piece.right(2)).right(2);
        if (int error = take(piece))
            return error;
    }
    return tail == "\r\n" ? 0 : take("\r\n");
}

QByteArray StoredProgram(const QString &text)
{
    QByteArray stored;
    StoredPieces(text, [&stored](QByteArrayView piece) {
        stored += piece;
        return 0;
    });
    return stored;
}

void KeepLargeBlocksMapped()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

void LoadProgram(QPlainTextEdit *editor, QByteArray stored, std::unique_ptr<QIODevice> rest)
{
    delete Pending.data();
    const qsizetype first = WholePartEnd(stored, -1, rest);
    if (first == stored.size() && rest == nullptr) {
        editor->setPlainText(ProgramText(stored));
        editor->document()->setModified(false);
        return;
    }
    /* The parts to come must not become steps that undo could take away. */
    editor->document()->setUndoRedoEnabled(false);
    editor->setPlainText(ProgramText(QByteArrayView(stored).first(first)));
    editor->document()->setModified(false);
    /* Its plain text follows from the first part on: taken whole later, at
     * the plan's first reading or the first save, it would stall the window. */
    PlainText(editor->document());
    Pending = new TProgramLoader(editor, stored, first, std::move(rest));
}

void FinishLoading()
{
    if (Pending)
        Pending->Finish();
}
