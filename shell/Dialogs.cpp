/* Dialogs.cpp - the modal boxes and file dialogs as the user sees them. */
#include "Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

void TDialogs::MessageBox(QWidget *owner, const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

QString TDialogs::OpenDialog(QWidget *owner, const QString &title, const QString &directory)
{
    /* Qt's own dialog, which speaks Hungarian; a desktop's native one would not. */
    return QFileDialog::getOpenFileName(owner, title, directory, QString(), nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

QString TDialogs::SaveDialog(QWidget *owner, const QString &title, const QString &suggested,
                             const QString &filters, QString &filter)
{
    return QFileDialog::getSaveFileName(owner, title, suggested, filters, &filter);
}

QMessageBox::StandardButton TDialogs::Question(QWidget *owner, const QString &caption, const QString &text,
                                               QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, buttons, owner);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    return buttons.testFlag(QMessageBox::StandardButton(answer)) ? QMessageBox::StandardButton(answer)
                                                                 : QMessageBox::Cancel;
}
