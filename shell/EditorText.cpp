/* EditorText.cpp - the plain text that follows a document's changes. */
#include "EditorText.h"

#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <vector>

namespace {

/* The characters the document holds that toPlainText() gives as others:
 * the separators of paragraphs, lines and frames as line ends, and the
 * non-breaking space as a space. */
void AsPlainText(QString &text)
{
    for (QChar &c : text) {
        switch (c.unicode()) {
        case 0xfdd0: /* the beginning and the end of a frame */
        case 0xfdd1:
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator: c = u'\n'; break;
        case QChar::Nbsp: c = u' '; break;
        default: break;
        }
    }
}

/* A child of its document, so it goes with it; found again by its name. */
const QString FollowerName = QStringLiteral("PlainTextFollower");

} // namespace

class TTextFollower : public QObject {
public:
    explicit TTextFollower(QTextDocument *document) : QObject(document), Document(document)
    {
        setObjectName(FollowerName);
        /* A document tells its changes only once it has a layout; an editor's has one. */
        document->documentLayout();
        Plain = document->toPlainText();
        connect(document, &QTextDocument::contentsChange, this, &TTextFollower::Follow);
    }
    QString Plain;
    std::vector<std::weak_ptr<TTextHold>> Holds;

private:
    /* The document reports the range it changed, at times including its
     * closing paragraph separator, which the plain text lacks; the lengths
     * before and after tell what was really replaced. A range that does not
     * fit is never guessed at: the text is then copied whole, and a warning
     * tells that this should not have happened. */
    void Follow(int position, int /*removed*/, int added)
    {
        WaitForHolds();
        const qsizetype oldLength = Plain.size(), newLength = Document->characterCount() - 1;
        const qsizetype inserted = std::min<qsizetype>(added, newLength - position);
        const qsizetype removed = inserted + oldLength - newLength;
        if (position < 0 || inserted < 0 || removed < 0 || position + removed > oldLength) {
            qWarning("The editor's plain text lost step with its document at %d; copied whole.", position);
            Plain = Document->toPlainText();
            return;
        }
        QTextCursor cursor(Document);
        cursor.setPosition(position);
        cursor.setPosition(int(position + inserted), QTextCursor::KeepAnchor);
        QString text = cursor.selectedText();
        AsPlainText(text);
        /* Room to grow, or a load by parts would copy the whole text at every part. */
        if (Plain.capacity() < newLength)
            Plain.reserve(newLength + newLength / 2);
        Plain.replace(position, removed, text);
    }

    /* The text changes in place only once no reader holds it. */
    void WaitForHolds()
    {
        for (const std::weak_ptr<TTextHold> &held : Holds)
            if (const std::shared_ptr<TTextHold> hold = held.lock()) {
                hold->WaitForRelease();
                hold->ChangedSince = true;
            }
        Holds.erase(std::remove_if(Holds.begin(), Holds.end(), [](const auto &held) { return held.expired(); }),
                    Holds.end());
    }

    QTextDocument *Document;
};

namespace {

TTextFollower *Follower(QTextDocument *document)
{
    QObject *found = document->findChild<QObject *>(FollowerName, Qt::FindDirectChildrenOnly);
    return found ? static_cast<TTextFollower *>(found) : new TTextFollower(document);
}

} // namespace

void TTextHold::Release()
{
    {
        std::lock_guard<std::mutex> locked(Lock);
        Free = true;
    }
    Released.notify_all();
}

void TTextHold::WaitForRelease()
{
    std::unique_lock<std::mutex> locked(Lock);
    Released.wait(locked, [this] { return Free; });
}

const QString &PlainText(QTextDocument *document) { return Follower(document)->Plain; }

std::shared_ptr<TTextHold> HoldPlainText(QTextDocument *document)
{
    TTextFollower *follower = Follower(document);
    std::shared_ptr<TTextHold> hold(new TTextHold(follower->Plain));
    follower->Holds.push_back(hold);
    return hold;
}
