/* EditorText.h - the editor's text as plain text, kept up to date.
 *
 * Taking a long program out of the editor's document (toPlainText) costs
 * nearly a second at three million lines, and saving and the plan's reading
 * need it after every edit. So each document keeps a copy of its plain text
 * that follows the document's changes: an edit replaces only the characters
 * it changed. The copy equals toPlainText() at every moment. */
#ifndef EDITORTEXT_H
#define EDITORTEXT_H

#include <QString>
#include <QStringView>
#include <condition_variable>
#include <memory>
#include <mutex>

class QTextDocument;

/* The plain text of `document`, exactly as toPlainText() gives it. The
 * first call for a document copies its text once; from then on the copy
 * follows the document's changes. */
const QString &PlainText(QTextDocument *document);

/* The plain text held for a reader in another thread. It stays as it was
 * until the reader lets go: an edit meanwhile waits for that, where it
 * would otherwise copy the whole text (at three million lines, a quarter
 * of a second in fresh memory). The document must outlive the reading. */
class TTextHold {
public:
    /* The text as it was when held; read it until Release. */
    QStringView Text() const { return Held; }
    /* From any thread, once; later calls do nothing. */
    void Release();
    /* In the document's thread: the text has changed since it was held. */
    bool Changed() const { return ChangedSince; }

private:
    friend class TTextFollower;
    friend std::shared_ptr<TTextHold> HoldPlainText(QTextDocument *document);
    explicit TTextHold(QStringView held) : Held(held) {}
    void WaitForRelease();

    QStringView Held;
    std::mutex Lock;
    std::condition_variable Released;
    bool Free = false;
    bool ChangedSince = false;
};

/* Holds the plain text of `document` until the hold is released. */
std::shared_ptr<TTextHold> HoldPlainText(QTextDocument *document);

#endif
