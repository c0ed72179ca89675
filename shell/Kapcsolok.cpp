/* Kapcsolok.cpp - the options window, built from the option table. */
#include "Kapcsolok.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Beallitasok.h"
#include "Dialogs.h"

TKapcsoloAblak::TKapcsoloAblak(TDialogs *dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), Dialogs(dialogs), Note(new QLabel(this))
{
    setObjectName(QStringLiteral("OptionsWindow"));
    setWindowTitle(QStringLiteral("További beállítások"));
    auto *grid = new QGridLayout(this);
    for (const option_spec *option : WindowOptions())
        Fields.push_back({option});
    for (size_t i = 0; i < Fields.size(); ++i)
        AddRow(Fields[i], int(i));
    Note->setObjectName(QStringLiteral("OptionsNote"));
    Note->setStyleSheet(QStringLiteral("color: #a00000"));
    Note->setWordWrap(true);
    grid->addWidget(Note, int(Fields.size()), 0, 1, 3);
    auto *close = new QPushButton(QStringLiteral("bezár"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    grid->addWidget(close, int(Fields.size()) + 1, 2);
}

/* The fields go before their controls: a control that loses the focus
 * while it is destroyed must not reach its field any more. */
TKapcsoloAblak::~TKapcsoloAblak()
{
    for (const TField &field : Fields)
        (field.Choice ? static_cast<QWidget *>(field.Choice) : field.Edit)->disconnect(this);
}

/* The option's name and unit, its control, its help button. The field
 * carries the option's short name ("-n") as its object name, its help
 * button that name followed by "Help". */
void TKapcsoloAblak::AddRow(TField &field, int line)
{
    const option_spec &option = *field.Option;
    auto *grid = static_cast<QGridLayout *>(layout());
    const QString unit = QString::fromUtf8(option.unit);
    grid->addWidget(new QLabel(OptionName(option) + (unit.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(unit)),
                               this),
                    line, 0);
    QWidget *control;
    if (option.kind == VALUE_CHOICE) {
        field.Choice = new QComboBox(this);
        field.Choice->addItems(QString::fromUtf8(option.choices).split(QLatin1Char('|')));
        connect(field.Choice, &QComboBox::currentIndexChanged, this, [this, &field] { FieldChanged(field); });
        control = field.Choice;
    } else {
        field.Edit = new QLineEdit(this);
        field.Edit->setPlaceholderText(QStringLiteral("alapérték"));
        connect(field.Edit, &QLineEdit::textChanged, this, [this, &field] { FieldChanged(field); });
        connect(field.Edit, &QLineEdit::editingFinished, this, [this, &field] { ShowValueUsed(field); });
        control = field.Edit;
    }
    control->setObjectName(QString::fromLatin1(option.short_name));
    control->setToolTip(QString::fromUtf8(option.help).split(QLatin1Char('\n')).first().trimmed());
    grid->addWidget(control, line, 1);
    ShowValueUsed(field);
    auto *help = new QPushButton(QStringLiteral("súgó"), this);
    help->setObjectName(QString::fromLatin1(option.short_name) + QLatin1String("Help"));
    connect(help, &QPushButton::clicked, this, [this, id = option.id] {
        Dialogs->MessageBox(this, QString::fromLatin1(ApplicationTitle), HelpText(id));
    });
    grid->addWidget(help, line, 2);
}

/* A value reaches the settings at once; a text that is none keeps the
 * setting as it was and says why. */
void TKapcsoloAblak::FieldChanged(const TField &field)
{
    QString &setting = ShellSettings.OptionTexts[field.Option->id];
    if (field.Choice) {
        const QString word = field.Choice->currentText();
        setting = word == QString::fromUtf8(field.Option->default_text) ? QString() : word;
    } else {
        QString value;
        const QString refusal = CheckOptionText(*field.Option, field.Edit->text(), value);
        Note->setText(refusal);
        if (!refusal.isEmpty())
            return;
        setting = value;
    }
    emit Changed();
}

void TKapcsoloAblak::ShowValueUsed(const TField &field)
{
    const QString &setting = ShellSettings.OptionTexts[field.Option->id];
    const QString shown = setting.isEmpty() ? QString::fromUtf8(field.Option->default_text) : setting;
    if (field.Choice)
        field.Choice->setCurrentText(shown);
    else if (QString value; !CheckOptionText(*field.Option, field.Edit->text(), value).isEmpty() ||
                            value != setting)
        field.Edit->setText(shown);
}

void TKapcsoloAblak::ShowValuesUsed()
{
    for (const TField &field : Fields)
        ShowValueUsed(field);
}
