/* ProgramLoader.cpp - the program into the editor by parts. */
#include "ProgramLoader.h"

#include <QBasicTimer>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimerEvent>

namespace {

/* Where the part that starts at `from` ends: at a line end, ProgramLinesAtOnce
 * lines on, or at the end of the text. A part never ends between a CR and an
 * LF, which the editor takes together as one line end. */
qsizetype PartEnd(const QString &text, qsizetype from)
{
    qsizetype end = from;
    for (int lines = 0; lines < ProgramLinesAtOnce || (end > 0 && text.at(end - 1) == QLatin1Char('\r')); lines++) {
        end = text.indexOf(QLatin1Char('\n'), end + 1);
        if (end < 0)
            return text.size();
    }
    return end;
}

/* The parts still to come, appended from the event loop; a child of its editor. */
class TProgramLoader : public QObject {
public:
    TProgramLoader(QPlainTextEdit *editor, const QString &text, qsizetype from)
        : QObject(editor), Document(editor->document()), Text(text), From(from)
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
        while (From < Text.size())
            AppendPart();
        Done();
    }

protected:
    void timerEvent(QTimerEvent *) override
    {
        AppendPart();
        if (From >= Text.size())
            Done();
    }

private:
    /* Each part begins with the line end that closes the text before it.
     * With undo off the document does not count it as a modification. */
    void AppendPart()
    {
        const qsizetype end = PartEnd(Text, From);
        QTextCursor cursor(Document);
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(Text.mid(From, end - From));
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
    QString Text;
    qsizetype From;
    QBasicTimer Timer;
};

QPointer<TProgramLoader> Pending;

} // namespace

QString ProgramText(const QByteArray &stored)
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

QByteArray StoredProgram(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray stored(utf8.size() + utf8.count('\n') + 2, Qt::Uninitialized);
    char *const begin = stored.data();
    char *out = begin;
    for (char c : utf8) {
        if (c == '\n')
            *out++ = '\r';
        *out++ = c;
    }
    if (out - begin < 2 || out[-2] != '\r' || out[-1] != '\n') {
        *out++ = '\r';
        *out++ = '\n';
    }
    stored.truncate(out - begin);
    return stored;
}

void LoadProgram(QPlainTextEdit *editor, const QByteArray &stored)
{
    delete Pending.data();
    const QString text = ProgramText(stored);
    const qsizetype first = PartEnd(text, -1);
    if (first == text.size()) {
        editor->setPlainText(text);
        editor->document()->setModified(false);
        return;
    }
    /* The parts to come must not become steps that undo could take away. */
    editor->document()->setUndoRedoEnabled(false);
    editor->setPlainText(text.left(first));
    editor->document()->setModified(false);
    Pending = new TProgramLoader(editor, text, first);
}

void FinishLoading()
{
    if (Pending)
        Pending->Finish();
}
