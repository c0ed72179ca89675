/* Beallitasok.cpp - the panel's rows over the converter's option table. */
#include "Beallitasok.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <iterator>

TShellSettings ShellSettings;

namespace {

QString DefaultText(option_id id) { return QString::fromUtf8(option_row(id).default_text); }

/* A row's value as the converter's command line takes it. */
QString ValueText(const TSettingRow &row, const TShellSettings &settings)
{
    switch (row.Kind) {
    case TFieldKind::Spin:
        return QString::number(settings.*row.Whole);
    case TFieldKind::Choice:
        return ChoiceWords(row).value(settings.*row.Whole);
    case TFieldKind::Coord:
        break;
    }
    return FormatCoord(settings.*row.Real);
}

} // namespace

int32_t DefaultNumber(option_id id) { return DefaultText(id).toInt(); }

int32_t DefaultChoice(option_id id)
{
    const QStringList words = QString::fromUtf8(option_row(id).choices).split(QLatin1Char('|'));
    return std::max<int32_t>(0, words.indexOf(DefaultText(id)));
}

double DefaultReal(option_id id) { return DefaultText(id).toDouble(); }

const TSettingRow PanelRows[PanelRowCount] = {
    {OPT_INTEGER_DIGITS, TFieldKind::Spin, "Integer", "egészrész", 72,
     "A gerber fájl koordinátáinak földolgozásába nyúl bele.", &TShellSettings::IntegerDigits, nullptr, false, 0},
    {OPT_UNIT, TFieldKind::Choice, "Unit", "mértékegység", 100, "A G kódú koordináták mértékegységét választja ki.",
     &TShellSettings::UnitChoice, nullptr, true, 0},
    {OPT_DIRECTION, TFieldKind::Choice, "Spin", "forgásirány", 79, "A főorsó forgásirányát adja meg.",
     &TShellSettings::SpinChoice, nullptr, false, 0},
    {OPT_SPINDLE_SPEED, TFieldKind::Spin, "Turn", "fordulatszám [ford/perc]", 168,
     "A főorsó fordulatszámát állítja be.", &TShellSettings::TurnValue, nullptr, false, 0},
    {OPT_FEED, TFieldKind::Spin, "Feed", "előtolás [mm/perc]", 133, "A fúró előtolását adja meg.",
     &TShellSettings::FeedValue, nullptr, false, 0},
    {OPT_SAFE_HEIGHT, TFieldKind::Spin, "Neutral", "alaphelyzet [mm]", 119,
     "A fúró semleges (fölső) helyzetét állítja.", &TShellSettings::NeutralValue, nullptr, false, 0},
    {OPT_DEPTH, TFieldKind::Spin, "Depth", "mélység [mm]", 98, "A fúrás mélységét határozza meg.",
     &TShellSettings::DepthValue, nullptr, false, 0},
    {OPT_X_OFFSET, TFieldKind::Coord, "XCoord", "X koordináta [mm]", 126,
     "A furatcsoport bal alsó X koordinátáját állítja be.", nullptr, &TShellSettings::XCoordValue, false, 0},
    {OPT_Y_OFFSET, TFieldKind::Coord, "YCoord", "Y koordináta [mm]", 127,
     "A furatcsoport bal alsó Y koordinátáját állítja be.", nullptr, &TShellSettings::YCoordValue, false, 0},
};

QStringList ChoiceWords(const TSettingRow &row)
{
    QStringList words = QString::fromUtf8(option_row(row.Option).choices).split(QLatin1Char('|'));
    return row.OfferedChoices > 0 ? words.mid(0, row.OfferedChoices) : words;
}

int ChoiceIndex(const TSettingRow &row, const QString &word)
{
    const QStringList words = ChoiceWords(row);
    for (int i = 0; i < words.size(); ++i)
        if (word.compare(words[i], Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString HelpText(option_id id)
{
    const option_spec &option = option_row(id);
    if (option.panel_help)
        return QString::fromUtf8(option.panel_help);
    QString text = QString::fromUtf8(option.help);
    text.replace(QLatin1String("\n\t\t"), QLatin1String("\n"));
    return text.startsWith(QLatin1String("\t\t")) ? text.mid(2) : text;
}

QString FormatCoord(double value) { return QString::number(value, 'f', 6); }

std::vector<const option_spec *> WindowOptions()
{
    std::vector<const option_spec *> options;
    for (const option_spec &option : option_table) {
        const bool onPanel = std::any_of(std::begin(PanelRows), std::end(PanelRows),
                                         [&option](const TSettingRow &row) { return row.Option == option.id; });
        if (option.kind != VALUE_NONE && !onPanel)
            options.push_back(&option);
    }
    return options;
}

QString OptionName(const option_spec &option) { return QString::fromUtf8(option.long_name).mid(2); }

QString CheckOptionText(const option_spec &option, const QString &text, QString &value)
{
    value = text.trimmed();
    const bool number = option.kind == VALUE_INTEGER || option.kind == VALUE_REAL;
    if (number)
        value.replace(QLatin1Char(','), QLatin1Char('.'));
    if (value == QString::fromUtf8(option.default_text))
        value.clear();
    if (!number || value.isEmpty())
        return QString();
    bool read = false;
    const double read_value = QLocale::c().toDouble(value, &read);
    if (read && read_value >= option.low && read_value <= option.high &&
        (option.kind == VALUE_REAL || read_value == std::trunc(read_value)))
        return QString();
    return QStringLiteral("A(z) „%1” értéke %2 ... %3 %4 lehet.")
        .arg(OptionName(option), QString::number(option.low), QString::number(option.high),
             QString::fromUtf8(option.unit))
        .replace(QLatin1String("  lehet"), QLatin1String(" lehet"));
}

QString DifferingOptions(const TShellSettings &settings)
{
    QStringList differing;
    for (const option_spec *option : WindowOptions()) {
        const QString &text = settings.OptionTexts[option->id];
        if (!text.isEmpty())
            differing << (OptionName(*option) + QLatin1Char(' ') + text + QLatin1Char(' ') +
                          QString::fromUtf8(option->unit)).trimmed();
    }
    return differing.join(QStringLiteral(", "));
}

/* "fájlonként" is the converter's word for one program per bit. */
bool PerBitPrograms(const TShellSettings &settings)
{
    return settings.OptionTexts[OPT_TOOL_CHANGE] == QStringLiteral("fájlonként");
}

QStringList ConverterArgs(const TShellSettings &settings, const QString &converter, const QString &input)
{
    QStringList args{converter};
    for (const TSettingRow &row : PanelRows)
        args << QString::fromLatin1(option_row(row.Option).short_name) << ValueText(row, settings);
    for (const option_spec *option : WindowOptions())
        if (!settings.OptionTexts[option->id].isEmpty())
            args << QString::fromLatin1(option->short_name) << settings.OptionTexts[option->id];
    return args << input;
}
