/* Beallitasok.cpp - the panel's rows over the converter's option table. */
#include "Beallitasok.h"

#include <algorithm>

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

/* One program per bit ("fájlonként") leaves no single output to load, so the
 * panel offers the first two ways only. */
const TSettingRow ChangeRow = {OPT_TOOL_CHANGE, TFieldKind::Choice, "Change", "", 0,
                               "Több fúróméretű fúrófájlnál a fúrócsere módja.", &TShellSettings::ChangeChoice,
                               nullptr, false, 2};

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

QStringList ConverterArgs(const TShellSettings &settings, const QString &converter, const QString &input)
{
    QStringList args{converter};
    auto add = [&](const TSettingRow &row) {
        args << QString::fromLatin1(option_row(row.Option).short_name) << ValueText(row, settings);
    };
    for (const TSettingRow &row : PanelRows)
        add(row);
    add(ChangeRow);
    return args << input;
}
