/* Dialogs.h - every modal box and file dialog of kemlor's windows goes
 * through TDialogs, so that tests can answer them. */
#ifndef DIALOGS_H
#define DIALOGS_H

#include <QMessageBox>
#include <QString>

class QWidget;

/* The program's name, the caption of the help boxes. */
inline constexpr char ApplicationTitle[] = "kemlor";

class TDialogs {
public:
    virtual ~TDialogs() = default;
    /* A box with caption, text, one OK button and no icon; returns once it is closed. */
    virtual void MessageBox(QWidget *owner, const QString &caption, const QString &text);
    /* The full path of the chosen file, or an empty text when cancelled. */
    virtual QString OpenDialog(QWidget *owner, const QString &title, const QString &directory);
    /* The path to save under, or an empty text when cancelled; `suggested`
     * is the name offered, `filter` the filter offered first and comes back
     * as the one chosen. */
    virtual QString SaveDialog(QWidget *owner, const QString &title, const QString &suggested,
                               const QString &filters, QString &filter);
    /* A box with caption, text and `buttons`, no icon; the button chosen,
     * Cancel when the box is closed otherwise. */
    virtual QMessageBox::StandardButton Question(QWidget *owner, const QString &caption, const QString &text,
                                                 QMessageBox::StandardButtons buttons);
};

#endif
