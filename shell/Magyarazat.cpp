/* Magyarazat.cpp - the converter's messages in plain words.
 *
 * Rows are keyed on the text of a message, never on where the converter
 * prints it from: a fragment that stays when the message's numbers and
 * names change, with the numbers the explanation repeats captured. The
 * first row that matches a line explains it, so narrower rows come first. */
#include "Magyarazat.h"

#include <QRegularExpression>
#include <QStringList>
#include <vector>

namespace {

struct TExplanation {
    const char *pattern; /* matched anywhere in the line; its captures fill %1, %2, ... */
    const char *text;
};

const TExplanation Explanations[] = {
    {"A fájl (\\d+)\\. sorában hibás az '([XY])' koordináta",
     "A fájl %1. sorában az %2 koordináta hibás. Gerber fájlban ez többnyire negatív szám: a tervezőprogram a "
     "rajzlap origójától mér, és így a panel egy része negatív helyre kerül.\n"
     "Tegye a fúrási (segéd-) origót a panel bal alsó sarkára, és kérje, hogy a kimenet ehhez mérjen: "
     "KiCadben Place → Drill/Place File Origin a sarokra, majd a Plot ablakban „Use drill/place file origin”; "
     "Altiumban a Gerber Setup „Reference to relative origin” beállítása. A panel helyét a gépen az X és Y "
     "koordináta mező adja meg."},
    {"utáni szám (\\d+) számjegyű, ez nem illik a\\(z\\) (\\d+\\.\\d+) számformátumhoz",
     "A fúrófájl számai nem illenek a(z) %2 számformátumhoz: a fájlban %1 számjegyű szám is áll. Írja be a fájl "
     "számformátumát (egész és tizedes jegyek, például 2.4) a „további beállítások” ablak „számformátum” "
     "mezőjébe; a fájlt készítő program kimeneti beállításai között megtalálja (Allegro: többnyire 3.5, gEDA: 2.3)."},
    {"Hibás számformátum|A számformátum egész és tizedes része|Hibás a megadott számformátum",
     "A „számformátum” mezőbe az egész és a tizedes jegyek számát kell írni ponttal elválasztva, mindkettőt 1 és 6 "
     "között, például 2.4 vagy 3.5; üresen hagyva a fájl saját megadása számít."},
    {"\\(feltételezve\\)",
     "A fúrófájl nem adja meg minden jellemzőjét, ezért az átalakító feltételezett (lásd a „feltételezve” "
     "részeket). Ha a fúrási terven a panel mérete nem stimmel (például tizedakkora), írja be a fájl "
     "számformátumát a „további beállítások” ablak „számformátum” mezőjébe."},
    {"first_bore=NULL|A fájlban nincs furat",
     "A fájlban nincs egyetlen furat sem: lehet, hogy nem a fúrási réteget vagy nem a fúrófájlt választotta ki. "
     "Válassza ki a „megnyit” gombbal a furatokat tartalmazó fájlt."},
    {"A fájl (\\d+)\\. sora túl hosszú",
     "A fájl %1. sora túl hosszú: valószínűleg nem Gerber és nem fúrófájl (hanem például kép vagy tömörített "
     "fájl). Válassza ki a „megnyit” gombbal a panel Gerber vagy fúrófájlját."},
    {"A fájl 1\\. sor(?:ában|ának)",
     "A fájl már az első sorában sem értelmezhető: valószínűleg nem Gerber (RS-274X) és nem Excellon fúrófájl. "
     "Válassza ki a „megnyit” gombbal a panel Gerber vagy fúrófájlját."},
    {"lehet, hogy csonka",
     "A fájl vége hiányzik, lehet, hogy nem teljes (megszakadt letöltés vagy másolás, megtelt lemez). Készítse el "
     "vagy másolja át újra, és a fúrási terven nézze meg, megvan-e minden furat."},
    {"A fájl (\\d+)\\. sorát nem sikerült beolvasni",
     "A fájl olvasása a %1. sornál megszakadt (például kihúzták a pendrive-ot). Másolja a fájlt a gépre, és "
     "indítsa újra az átalakítást."},
    {"A fájl (\\d+)\\. sor(?:ában|ának)",
     "A fájl %1. sorában olyan utasítás vagy érték áll, amelyet az átalakító nem ismer vagy hibásnak talál. Nézze "
     "meg ezt a sort egy szövegszerkesztőben; ha a fájl egy tervezőprogram kimenete, készítse el újra Gerber "
     "(RS-274X), illetve Excellon formában."},
    {"Nem sikerült megnyitni a fájlt",
     "A kiválasztott fájl nem nyitható meg: nincs meg (áthelyezték vagy törölték), vagy nincs joga olvasni. "
     "Válassza ki újra a „megnyit” gombbal."},
    {"Nem sikerült elkészíteni a fájlt|Nem sikerült kiírni|Nem sikerült törölni a fájlt|"
     "Nem sikerült lezárni a fájlt|Nem sikerült megnyitni a könyvtárat",
     "A program nem írható a bemenő fájl mellé: a mappa írásvédett, megtelt a lemez, vagy nincs hozzá joga. "
     "Másolja a bemenő fájlt egy írható mappába (például a saját mappájába), és onnan alakítsa át."},
    {"A fájl neve túl hosszú|Nem sikerült elkészíteni a fájl nevét",
     "A fájl útvonala túl hosszú: tegye a fájlt egy rövidebb nevű mappába."},
    {"egész \\S+-re vágva",
     "Az átalakító egész milliméterekkel dolgozik: a tört részt elhagyta, a program a kisebb, egész értéket "
     "használja. Ha ez nem jó, írjon egész értéket a mezőbe."},
    {"tizedmásodpercre kerekítve",
     "A várakozást a gép tizedmásodpercekben kapja: a program a kerekített értéket használja."},
    {"nincs fúró a készletben: ([0-9.]+) mm; a legközelebbi, ([0-9.]+) mm",
     "A fájlban %1 mm-es furat is van, és a fúrókészlet legközelebbi fúrója (%2 mm) túl messze van tőle "
     "(legföljebb 0,1 mm-re vagy 10 %-ra lehet). Vegye föl a %1 mm-t a „fúrókészlet” mezőbe a további "
     "beállítások ablakában, vagy hagyja üresen a mezőt: akkor minden méret a saját fúróját kapja."},
    {"fúrókészlet",
     "A „fúrókészlet” mezőbe a fúrók méreteit kell írni mm-ben, vesszővel elválasztva, például 0.8, 1.0, 3.2 "
     "(legföljebb 32 fúrót, mindegyiket 0.1 és 10 mm között)."},
    {"furatot marni szokás",
     "Ekkora furatot ritkán fúrnak: ellenőrizze a fúrási terven, hogy a fúrófájl mértékegysége és számformátuma "
     "jó-e. Ha a méret valódi, ezt a furatot marni kell; a program ettől még elkészült."},
    {"cseremagasság kevés",
     "A cseremagasság nem lehet kisebb az alaphelyzetnél: emelje meg a „további beállítások” ablakban, vagy "
     "hagyja üresen, akkor az alaphelyzet számít."},
    {"Kevés a memória",
     "Nincs elég memória az átalakításhoz: zárjon be más programokat, vagy ossza a panelt kisebb részekre."},
};

/* The explanation of one line with its captures put in; empty when no row knows it. */
QString Explain(const QString &line)
{
    static const std::vector<QRegularExpression> patterns = [] {
        std::vector<QRegularExpression> compiled;
        for (const TExplanation &row : Explanations)
            compiled.emplace_back(QString::fromUtf8(row.pattern));
        return compiled;
    }();
    for (size_t i = 0; i < patterns.size(); ++i) {
        const QRegularExpressionMatch match = patterns[i].match(line);
        if (!match.hasMatch())
            continue;
        QString text = QString::fromUtf8(Explanations[i].text);
        for (int k = match.lastCapturedIndex(); k >= 1; --k)
            text.replace(QLatin1Char('%') + QString::number(k), match.captured(k));
        return text;
    }
    return QString();
}

} // namespace

QString ExplainConverterText(const QString &text)
{
    QStringList paragraphs, plain;
    auto flushPlain = [&] {
        if (!plain.isEmpty())
            paragraphs << plain.join(QLatin1Char('\n'));
        plain.clear();
    };
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString explanation = Explain(line);
        if (explanation.isEmpty()) {
            plain << line;
            continue;
        }
        flushPlain();
        paragraphs << explanation + QStringLiteral("\n(Az átalakító üzenete: ") + line + QLatin1Char(')');
    }
    flushPlain();
    return paragraphs.join(QStringLiteral("\n\n"));
}
