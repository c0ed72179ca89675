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

class QTextDocument;

/* The plain text of `document`, exactly as toPlainText() gives it. The
 * first call for a document copies its text once; from then on the copy
 * follows the document's changes. */
const QString &PlainText(QTextDocument *document);

#endif
