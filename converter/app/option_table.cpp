/* option_table.cpp - the rows of the converter's options. */
#include "app/option_table.h"

/* The real-valued ranges' messages take the output unit's decimals and the limit. */
const option_spec option_table[OPTION_COUNT] = {
    {OPT_INTEGER_DIGITS, "-i", "--egészrész", VALUE_INTEGER, 1, 6, "2", "", nullptr, 0,
     "\t\tA gerber fájlokban a tizedestört számokban ostoba módon\n"
     "\t\tsajnálják kitenni a tizedespontot. Ezért muszáj megadni\n"
     "\t\thogy a számjegyekből mennyi ábrázolja az egész részt.\n"
     "\t\tA lehetséges értékek: 1 ... 6\n"
     "\t\tAz alapérték: 2",
     nullptr, "%d", "Az egészrész értéke kicsi, legalább %d legyen.\n",
     "Az egészrész értéke sok, legföljebb %d lehet.\n", nullptr, nullptr},
    {OPT_UNIT, "-m", "--mértékegység", VALUE_CHOICE, 0, 0, "mm", "", "mm|coll", 0,
     "\t\tLehetővé teszi a kimeneti fájl - G-kód - mértékegységének\n"
     "\t\tbeállítását. A parancssorba beírt egyéb beállításokat viszont\n"
     "\t\tmindig mm-ben értelmezi.\n"
     "\t\tA választék: \"mm\" vagy \"coll\".\n"
     "\t\tAz alapérték a \"mm\".",
     nullptr, "%15s", nullptr, nullptr, "Ismeretlen mértékegység: \"%s\"\n", nullptr},
    {OPT_DIRECTION, "-f", "--forgásirány", VALUE_CHOICE, 0, 0, "jobb", "", "jobb|bal", 0,
     "\t\tBeállítható vele a főorsó forgásiránya.\n"
     "\t\tA választék: \"jobb\" vagy \"bal\"\n"
     "\t\tAz alapérték a \"jobb\".",
     nullptr, "%15s", nullptr, nullptr, "Ismeretlen forgásirány: \"%s\"\n", nullptr},
    {OPT_SPINDLE_SPEED, "-p", "--fordulatszám", VALUE_INTEGER, 1, 30000, "1000", "ford/perc", nullptr, 0,
     "\t\tA főorsó fordulatszámát lehet beállítani.\n"
     "\t\tA lehetséges értékek: 1 ... 30000 ford/perc\n"
     "\t\tAz alapérték: 1000 ford/perc",
     nullptr, "%u", "A fordulatszám túlságosan alacsony, legalább %d/perc legyen.\n",
     "A fordulatszám túlságosan magas, legföljebb %d/perc lehet.\n", nullptr, nullptr},
    {OPT_FEED, "-e", "--előtolás", VALUE_REAL, 1, 1000, "400", "mm/perc", nullptr, 0,
     "\t\tA fúró előtolását állítja be.\n"
     "\t\tA lehetséges értékek: 1 ... 1000 mm/perc\n"
     "\t\tAz alapérték: 400 mm/perc",
     nullptr, "%lf", "A előtolás túlságosan kicsi, legalább %0.*lf mm/perc legyen.\n",
     "Az előtolás túlságosan sok, legföljebb %0.*lf mm/perc lehet.\n", nullptr, "az előtolás"},
    {OPT_SAFE_HEIGHT, "-a", "--alaphelyzet", VALUE_REAL, 1, 10, "2", "mm", nullptr, 0,
     "\t\tA fúró munkaütemen kívüli alaphelyzetét állítja be.\n"
     "\t\tA lehetséges értékek: 1 ... 10 mm\n"
     "\t\tAz alapérték: 2 mm",
     "Megadja hogy a fúró hegye a pozícióra állás\n"
     "közben milyen messze legyen a panel felületétől.\n"
     "A lehetséges értékek: 1 ... 10 mm\n"
     "Az alapérték: 2 mm",
     "%lf", "Az alaphelyzet kevés, legalább %0.*lf mm legyen.\n", "Az alaphelyzet sok, legföljebb %0.*lf mm lehet.\n",
     nullptr, "az alaphelyzet"},
    {OPT_DEPTH, "-h", "--mélység", VALUE_REAL, 1, 10, "2", "mm", nullptr, 0,
     "\t\tA fúrás mélysége.\n"
     "\t\tA lehetséges értékek: 1 ... 10 mm\n"
     "\t\tAz alapérték: 2 mm",
     "A fúrás mélységét lehet beállítani.\n"
     "A lehetséges értékek: 1 ... 10 mm\n"
     "Az alapérték: 2 mm",
     "%lf", "A fúrás mélysége kevés, legalább %0.*lf mm legyen.\n",
     "A fúrás mélysége sok, legföljebb %0.*lf mm lehet.\n", nullptr, "a mélység"},
    {OPT_X_OFFSET, "-x", "--x-koordináta", VALUE_REAL, 0, 1000, "0", "mm", nullptr, 0,
     "\t\tA furatcsoport bal alsó x koordinátájának beállítására szolgál.\n"
     "\t\tA lehetséges értékek: 1 ... 1000 mm\n"
     "\t\tAz alapérték: 0 mm",
     "A furatcsoport bal alsó X koordinátájának beállítására szolgál.\n"
     "A lehetséges értékek: 1 ... 1000 mm\n"
     "Az alapérték: 0 mm",
     "%lf", "Az X koordináta kicsi, legalább %0.*lf mm legyen.\n", "Az X koordináta nagy, legföljebb %0.*lf mm lehet.\n",
     nullptr, "az X koordináta"},
    {OPT_Y_OFFSET, "-y", "--y-koordináta", VALUE_REAL, 0, 1000, "0", "mm", nullptr, 0,
     "\t\tA furatcsoport bal alsó y koordinátájának beállítására szolgál.\n"
     "\t\tA lehetséges értékek: 1 ... 1000 mm\n"
     "\t\tAz alapérték: 0 mm",
     "A furatcsoport bal alsó Y koordinátájának beállítására szolgál.\n"
     "A lehetséges értékek: 1 ... 1000 mm\n"
     "Az alapérték: 0 mm",
     "%lf", "Az Y koordináta kicsi, legalább %0.*lf mm legyen.\n", "Az Y koordináta nagy, legföljebb %0.*lf mm lehet.\n",
     nullptr, "az Y koordináta"},
    {OPT_HELP, "-s", "--súgó", VALUE_NONE, 0, 0, "", "", nullptr, 0, "\t\tEzt a szöveget jeleníti meg.", nullptr,
     nullptr, nullptr, nullptr, nullptr, nullptr},
    {OPT_NUMBER_FORMAT, "-n", "--számformátum", VALUE_TEXT, 0, 0, "", "", nullptr, 1,
     "\t\tAz Excellon fúrófájl számainak egész és tizedes számjegyei,\n"
     "\t\tpéldául 2.4, ha a fájl nem adja meg, vagy rosszul adja meg.\n"
     "\t\tGerber fájlra nem hat.\n"
     "\t\tA lehetséges értékek: 1 ... 6 egész, 1 ... 6 tizedes jegy\n"
     "\t\tAz alapérték: a fájl megadása, ennek híján hüvelykben 2.4,\n"
     "\t\tmm-ben 3.3",
     nullptr, "%15s", nullptr, nullptr, nullptr, nullptr},
    {OPT_TOOL_CHANGE, "-t", "--szerszámcsere", VALUE_CHOICE, 0, 0, "szünet", "", "szünet|m6|fájlonként", 1,
     "\t\tTöbb fúróméretű fúrófájlnál a fúrócsere módja.\n"
     "\t\t\"szünet\": egy program, minden fúró előtt megáll (M0);\n"
     "\t\t\"m6\": ugyanez, a megállás előtt T<n> M6 szerszámcserével;\n"
     "\t\t\"fájlonként\": fúrónként külön program, <fájlnév>.T1.tap, ...\n"
     "\t\tGerber fájlra nem hat.\n"
     "\t\tAz alapérték a \"szünet\".",
     "Több fúróméretű fúrófájlnál (Excellon) a fúrócsere módja.\n"
     "\"szünet\": minden fúró előtt a gép X0 Y0 fölé áll, leállítja\n"
     "a főorsót, kiírja a következő fúró méretét, és megáll (M0).\n"
     "\"m6\": ugyanez, a megállás előtt T<n> M6 szerszámcserével.\n"
     "Gerber fájlra és egyetlen fúróra nem hat.\n"
     "Az alapérték a \"szünet\".",
     "%15s", nullptr, nullptr, "Ismeretlen szerszámcsere: \"%s\"\n", nullptr},
    /* Its lower limit is the safe height, 1 at the least; no default: the safe height. */
    {OPT_CHANGE_HEIGHT, "-c", "--cseremagasság", VALUE_REAL, 1, 100, "", "mm", nullptr, 1,
     "\t\tA fúrócsere előtt ide emelkedik a fúró, ha az alaphelyzetnél\n"
     "\t\tmagasabbra kell.\n"
     "\t\tA lehetséges értékek: az alaphelyzet ... 100 mm\n"
     "\t\tAz alapérték: az alaphelyzet",
     nullptr, "%lf", "A cseremagasság kevés, legalább az alaphelyzet, %0.*lf mm legyen.\n",
     "A cseremagasság sok, legföljebb %0.*lf mm lehet.\n", nullptr, "a cseremagasság"},
    /* Seconds, written with at most one decimal. */
    {OPT_WARMUP, "-w", "--felfutás", VALUE_REAL, 0, 60, "0", "s", nullptr, 0,
     "\t\tEnnyi másodpercig vár a főorsó minden indítása után (G4 P<s>),\n"
     "\t\thogy a fúró felpörögjön, mielőtt a panelhez ér.\n"
     "\t\tA lehetséges értékek: 0 ... 60 s, tizedmásodpercre fölfelé kerekítve\n"
     "\t\tAz alapérték: 0 s (nem vár)",
     nullptr, "%lf", "A felfutás ideje kevés, legalább %0.*lf s legyen.\n",
     "A felfutás ideje sok, legföljebb %0.*lf s lehet.\n", nullptr, nullptr},
    /* A list: its sizes' range is low ... high, their count at most BIT_SET_MAX. */
    {OPT_BIT_SET, "-b", "--fúrókészlet", VALUE_TEXT, 0.1, 10, "", "mm", nullptr, 1,
     "\t\tA kéznél levő fúrók mérete mm-ben, vesszővel elválasztva,\n"
     "\t\tpéldául 0.6,0.8,1.0,3.0. A fúrófájl minden méretét a\n"
     "\t\tlegközelebbi fúró fúrja (egyenlő távolságnál a nagyobb);\n"
     "\t\tamelyik méret 0.1 mm-nél és 10 %-nál is messzebb van\n"
     "\t\tminden fúrótól, azt nem fúrja, hanem hibát jelez.\n"
     "\t\tGerber fájlra nem hat.\n"
     "\t\tA lehetséges értékek: legföljebb 32 fúró, 0.1 ... 10 mm\n"
     "\t\tAz alapérték: a fájl minden mérete külön fúró",
     nullptr, "%511[^\n]", "A fúrókészlet egyik fúrója kicsi, legalább %0.*lf mm legyen.\n",
     "A fúrókészlet egyik fúrója nagy, legföljebb %0.*lf mm lehet.\n", nullptr, nullptr},
    {OPT_MIRROR, "-k", "--tükrözés", VALUE_CHOICE, 0, 0, "nincs", "", "nincs|x|y", 0,
     "\t\tTükrözi a furatokat, például a panel hátoldaláról fúráshoz.\n"
     "\t\t\"x\": az X koordináták előjelét fordítja (balról jobbra),\n"
     "\t\t\"y\": az Y koordinátákét (alulról felfelé); a furatcsoport\n"
     "\t\tbal alsó sarka ezután is a -x, -y helyére kerül.\n"
     "\t\tA választék: \"nincs\", \"x\" vagy \"y\"\n"
     "\t\tAz alapérték a \"nincs\".",
     nullptr, "%15s", nullptr, nullptr, "Ismeretlen tükrözés: \"%s\"\n", nullptr},
#ifdef DRELVO_EXTRA_OPTION
    {OPT_EXTRA, "-q", "--próba", VALUE_INTEGER, 3, 5, "4", "", nullptr, 0,
     "\t\tKitalált kapcsoló a próbákhoz.", nullptr, "%d", "A próba kicsi: %d.\n", "A próba nagy: %d.\n", nullptr, nullptr},
#endif
};

const option_spec &option_row(option_id id)
{
    return option_table[id];
}
