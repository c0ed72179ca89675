/* Kapcsolok.h - the window of the converter's options that the main
 * window's panel has no room for (number format, bit change, ...). Its rows
 * are the option table's: every option with a value that the panel does not
 * show, with the table's words, limits and help texts. A change reaches the
 * settings at once, as on the panel. */
#ifndef KAPCSOLOK_H
#define KAPCSOLOK_H

#include <QWidget>
#include <vector>

#include "app/option_table.h"

class QComboBox;
class QLabel;
class QLineEdit;
class TDialogs;

class TKapcsoloAblak : public QWidget {
    Q_OBJECT
public:
    /* `dialogs` shows the help boxes; it must outlive the window. */
    TKapcsoloAblak(TDialogs *dialogs, QWidget *parent);
    ~TKapcsoloAblak() override;
    void SetDialogs(TDialogs *dialogs) { Dialogs = dialogs; }

    /* Every field shows the value that a run passes on. */
    void ShowValuesUsed();

signals:
    /* A setting of the window changed. */
    void Changed();

private:
    /* A row's value control: a list of the option's words, or an edit. */
    struct TField {
        const option_spec *Option;
        QComboBox *Choice = nullptr;
        QLineEdit *Edit = nullptr;
    };

    void AddRow(TField &field, int line);
    void FieldChanged(const TField &field);
    void ShowValueUsed(const TField &field);

    TDialogs *Dialogs;
    std::vector<TField> Fields;
    QLabel *Note; /* why the latest text typed was refused */
};

#endif
