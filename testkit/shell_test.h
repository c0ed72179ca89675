/* shell_test.h - helpers shared by the kemlor tests: dialogs that record
 * instead of waiting for a user, and a fresh shell state per test. */
#ifndef SHELL_TEST_H
#define SHELL_TEST_H

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <memory>
#include <vector>

#include "Ablak.h"
#include "Controls.h"

struct TShownBox {
    QString caption;
    QString text;
};

/* Records every box and question; answers the open dialog with `Answer`. */
class TFakeDialogs : public TDialogs {
public:
    std::vector<TShownBox> Boxes;
    QString Answer;
    int OpenCount = 0;
    QString OpenTitle;
    QString OpenDirectory;

    void MessageBox(QWidget *, const QString &caption, const QString &text) override
    {
        Boxes.push_back({caption, text});
    }
    QString OpenDialog(QWidget *, const QString &title, const QString &directory) override
    {
        ++OpenCount;
        OpenTitle = title;
        OpenDirectory = directory;
        return Answer;
    }
    /* Questions asked, answered in turn from `Answers`; Discard when none is left. */
    std::vector<TShownBox> Questions;
    std::vector<QMessageBox::StandardButton> Answers;
    QMessageBox::StandardButton Question(QWidget *, const QString &caption, const QString &text,
                                         QMessageBox::StandardButtons) override
    {
        Questions.push_back({caption, text});
        if (Answers.empty())
            return QMessageBox::Discard;
        const QMessageBox::StandardButton answer = Answers.front();
        Answers.erase(Answers.begin());
        return answer;
    }
    /* The save dialog answers with `SaveAnswer` and keeps the name it offered. */
    QString SaveAnswer, Suggested;
    QString SaveDialog(QWidget *, const QString &, const QString &suggested, const QString &, QString &) override
    {
        Suggested = suggested;
        return SaveAnswer;
    }
};

/* Puts recording dialogs into `form` and returns them (owned by the form). */
inline TFakeDialogs *InstallFakeDialogs(TForm1 &form)
{
    auto dialogs = std::make_unique<TFakeDialogs>();
    TFakeDialogs *raw = dialogs.get();
    form.SetDialogs(std::move(dialogs));
    return raw;
}

/* The control of `form` that bears the design name `name`; a missing one ends the test program. */
template <class T>
T *Control(const QWidget &form, const char *name)
{
    T *control = form.findChild<T *>(QString::fromLatin1(name));
    if (!control)
        qFatal("No control named %s", name);
    return control;
}

/* The module-wide state as it is at program start. */
inline void ResetShellState()
{
    ShellSettings = TShellSettings();
    InputFileName.clear();
    OutputFileName.clear();
    LastRunSucceeded = false;
}

#endif
