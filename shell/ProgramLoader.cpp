/* ProgramLoader.cpp - the program into the editor by parts. */
#include "ProgramLoader.h"

#include <QBasicTimer>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimerEvent>
#include <algorithm>

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

/* The parts still to come, appended from the event loop; a child of its editor. */
class TProgramLoader : public QObject {
public:
    TProgramLoader(QPlainTextEdit *editor, const QByteArray &stored, qsizetype from)
        : QObject(editor), Document(editor->document()), Stored(stored), From(from)
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
        while (From < Stored.size())
            AppendPart();
        Done();
    }

protected:
    void timerEvent(QTimerEvent *) override
    {
        AppendPart();
        if (From >= Stored.size())
            Done();
    }

private:
    /* Each part begins with the line end that closes the text before it,
     * and is decoded only when its turn comes. With undo off the document
     * does not count it as a modification. */
    void AppendPart()
    {
        const qsizetype end = PartEnd(Stored, From);
        QTextCursor cursor(Document);
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(ProgramText(QByteArrayView(Stored).sliced(From, end - From)));
        From = end;
    }

    /* deleteLater: this may run inside the object's own timer event. */
    void Done()
    {
        Timer.stop();
        Document->setUndoRedoEnabled(true);
        deleteLater();
    }

    QPointer<QTextDocument> Document;   /* the editor's; may go before this, with the editor */
    QByteArray Stored;
    qsizetype From; /* in bytes */
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

void LoadProgram(QPlainTextEdit *editor, const QByteArray &stored)
{
    delete Pending.data();
    const qsizetype first = PartEnd(stored, -1);
    if (first == stored.size()) {
        editor->setPlainText(ProgramText(stored));
        editor->document()->setModified(false);
        return;
    }
    /* The parts to come must not become steps that undo could take away. */
    editor->document()->setUndoRedoEnabled(false);
    editor->setPlainText(ProgramText(QByteArrayView(stored).first(first)));
    editor->document()->setModified(false);
    Pending = new TProgramLoader(editor, stored, first);
}

void FinishLoading()
{
    if (Pending)
        Pending->Finish();
}
