/* Olvaso.cpp - the drilling program reader. */
#include "plan/Olvaso.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace {

/* Numbers beyond this are no coordinate of a drilling machine; they would
 * only overflow the drawing and the sums. */
constexpr double LargestValue = 1e6;

/* G words, in tenths (G59.1 is 591), that move the tool or change what the
 * coordinates mean in ways the reader does not follow. */
bool MovesUnfollowed(int tenths)
{
    static const int codes[] = {20,  30,  100, 280, 281, 300, 301, 380, 382, 383, 384, 385, 430,
                                520, 530, 540, 550, 560, 570, 580, 590, 591, 592, 593, 910, 920,
                                921, 922, 923};
    return std::find(std::begin(codes), std::end(codes), tenths) != std::end(codes);
}

/* What one line asks for, gathered before any of it is carried out, since
 * the order of the words on a line does not matter. */
struct TLineWords {
    std::optional<TProgramUnit> Unit;
    std::optional<int> Motion; /* 0 rapid, 1 feed */
    std::optional<double> X, Y, Z, F, P;
    bool Dwell = false; /* G4, for P seconds */
    bool BitChange = false;
    bool End = false;
    QString Message; /* of a "(MSG, ...)" comment */
    double Diameter = 0.0; /* of the bit the message names, in mm */
    QString Slot;    /* "T<n>" */
    bool Unread = false;
    bool Unfollowed = false; /* its X, Y and Z are no plain move then */
};

/* The machine as the program leaves it after each line. */
class TReader {
public:
    TDrillProgram Program;

    void ReadLine(const char16_t *begin, const char16_t *end, int line);
    bool Ended() const { return End; }

private:
    void Word(char letter, double value, TLineWords &words);
    void GWord(double value, TLineWords &words);
    void MWord(int code, TLineWords &words);
    void Comment(const char16_t *begin, const char16_t *end, TLineWords &words);
    void Carry(const TLineWords &words, int line);
    void Move(const TLineWords &words, int line);
    void Plunge(double x, double y, int line);

    bool UnitSet = false;
    double Scale = 1.0; /* program units in one unit of the words being read */
    int Motion = 0;
    double X = 0.0, Y = 0.0, Z = 0.0;
    bool ZKnown = false; /* where the tool stands in height is unknown until the first Z */
    double Feed = 0.0;
    bool BitChangePending = false;
    QString PendingMessage, PendingSlot; /* what names the bit that drills next */
    double PendingDiameter = 0.0;
    bool End = false;
};

bool IsBlank(char16_t c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsLetter(char16_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsNumeral(char16_t c) { return (c >= '0' && c <= '9') || c == '.'; }

/* The number after a word's letter: an optional sign, digits and a point.
 * The text is read where the editor holds it, so the number's few
 * characters are narrowed for the conversion. */
const char16_t *ReadNumber(const char16_t *p, const char16_t *end, double &value)
{
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    char digits[64];
    size_t count = 0;
    for (; p + count < end && IsNumeral(p[count]); ++count) {
        if (count == sizeof digits)
            return nullptr;
        digits[count] = char(p[count]);
    }
    if (count == 0)
        return nullptr;
    auto [next, error] = std::from_chars(digits, digits + count, value, std::chars_format::fixed);
    if (error != std::errc() || !std::isfinite(value) || std::fabs(value) > LargestValue)
        return nullptr;
    if (negative)
        value = -value;
    return p + (next - digits);
}

void TReader::ReadLine(const char16_t *p, const char16_t *end, int line)
{
    TLineWords words;
    while (p < end) {
        const char16_t c = *p;
        if (IsBlank(c)) {
            ++p;
        } else if (c == ';') {
            break;
        } else if (c == '(') {
            const char16_t *close = std::find(p + 1, end, u')');
            Comment(p + 1, close, words);
            p = close == end ? end : close + 1;
        } else if (IsLetter(c)) {
            double value = 0.0;
            const char16_t *next = ReadNumber(p + 1, end, value);
            if (next)
                Word(char(c & ~0x20), value, words);
            else
                words.Unread = true;
            p = next ? next : p + 1;
        } else {
            /* Anything else, the rest of "X1.2.3" too, is skipped a character at a time. */
            words.Unread = true;
            ++p;
        }
    }
    if (words.P && !words.Dwell)
        words.Unread = true;
    if (words.Unread)
        ++Program.UnreadLines;
    Carry(words, line);
}

void TReader::Word(char letter, double value, TLineWords &words)
{
    switch (letter) {
    case 'G': GWord(value, words); break;
    case 'M':
        if (value == std::floor(value))
            MWord(int(value), words);
        else
            words.Unread = true;
        break;
    case 'X': words.X = value; break;
    case 'Y': words.Y = value; break;
    case 'Z': words.Z = value; break;
    case 'F': words.F = value; break;
    case 'P': words.P = value; break;
    case 'T':
        words.BitChange = true;
        words.Slot = QStringLiteral("T%1").arg(value);
        break;
    case 'S':
    case 'N': break; /* the spindle speed and line numbers leave the path alone */
    default: words.Unread = true; break;
    }
}

void TReader::GWord(double value, TLineWords &words)
{
    const int tenths = int(std::lround(value * 10.0));
    switch (tenths) {
    case 0: words.Motion = 0; break;
    case 10: words.Motion = 1; break;
    case 40: words.Dwell = true; break;
    case 200: words.Unit = TProgramUnit::Inch; break;
    case 210: words.Unit = TProgramUnit::Millimetre; break;
    case 900: break;
    default:
        words.Unread = true;
        if (MovesUnfollowed(tenths)) {
            words.Unfollowed = true;
            const QString name = QStringLiteral("G%1").arg(value);
            if (!Program.Unfollowed.contains(name))
                Program.Unfollowed.append(name);
        }
        break;
    }
}

void TReader::MWord(int code, TLineWords &words)
{
    switch (code) {
    case 0:
    case 6: words.BitChange = true; break;
    case 2:
    case 30: words.End = true; break;
    case 3:
    case 4:
    case 5: break; /* the spindle: started or stopped, the path is the same */
    default: words.Unread = true; break;
    }
}

/* The diameter in "<k>. furo <d> mm <n> furat", the converter's message at
 * a bit change; 0 for any other text. */
double MessageDiameter(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d+\\. f[uú]r[oó] (\\d+(?:\\.\\d*)?) mm\\b"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

/* "(MSG, text)" shows the operator a text at the next pause; the converter
 * names the bit to put in there. */
void TReader::Comment(const char16_t *begin, const char16_t *end, TLineWords &words)
{
    QString text = QString(reinterpret_cast<const QChar *>(begin), end - begin).trimmed();
    if (!text.startsWith(QLatin1String("MSG,"), Qt::CaseInsensitive))
        return;
    words.BitChange = true;
    words.Message = text.mid(4).trimmed();
    words.Diameter = MessageDiameter(words.Message);
}

void TReader::Carry(const TLineWords &words, int line)
{
    if (words.Unit) {
        if (!UnitSet) {
            Program.Unit = *words.Unit;
            UnitSet = true;
        }
        Scale = *words.Unit == Program.Unit ? 1.0
                                            : UnitInMillimetres(*words.Unit) / UnitInMillimetres(Program.Unit);
    }
    if (words.Motion)
        Motion = *words.Motion;
    if (words.F) {
        Feed = *words.F * Scale;
        if (Program.Feed == 0.0)
            Program.Feed = Feed;
    }
    if ((words.X || words.Y || words.Z) && !words.Unfollowed)
        Move(words, line);
    if (words.Dwell) {
        ++Program.Dwells;
        Program.DwellSeconds += std::max(words.P.value_or(0.0), 0.0);
    }
    if (words.BitChange) {
        BitChangePending = true;
        if (!words.Message.isEmpty()) {
            PendingMessage = words.Message;
            PendingDiameter = words.Diameter;
        }
        if (!words.Slot.isEmpty())
            PendingSlot = words.Slot;
    }
    End = words.End;
}

void TReader::Move(const TLineWords &words, int line)
{
    const double x = words.X ? *words.X * Scale : X;
    const double y = words.Y ? *words.Y * Scale : Y;
    const double z = words.Z ? *words.Z * Scale : Z;
    const double across = std::hypot(x - X, y - Y);
    const double down = words.Z && ZKnown ? z - Z : 0.0;
    const double length = std::hypot(across, down);
    const bool rapid = Motion == 0;
    if (rapid) {
        Program.RapidTravel += length;
    } else {
        Program.FeedTravel += length;
        if (Feed > 0.0)
            Program.FeedMinutes += length / Feed;
        else if (length > 0.0)
            Program.FeedMissing = true;
    }
    /* Z stays 0 until the program sets it, so the bit is in the board only
     * below a Z that was set. */
    const bool inBefore = Z < 0.0, inAfter = z < 0.0;
    const bool belowZero = across > 0.0 && (inBefore || inAfter);
    if (across > 0.0)
        Program.Moves.push_back({QLineF(X, Y, x, y), rapid, belowZero});
    if (belowZero)
        Program.BelowZeroLines.push_back(line);
    if (inAfter && (!inBefore || across > 0.0))
        Plunge(x, y, line);
    if (words.Z) {
        Program.SafeHeight = std::max(Program.SafeHeight, z);
        Program.Depth = std::max(Program.Depth, -z);
        ZKnown = true;
    }
    X = x;
    Y = y;
    Z = z;
}

/* The bit goes into the board. After a bit change the holes count to a new
 * bit, once the bit before has drilled any. */
void TReader::Plunge(double x, double y, int line)
{
    std::vector<TBit> &bits = Program.Bits;
    if (bits.empty() || (BitChangePending && bits.back().Holes > 0)) {
        /* A message names the bit better than its slot number does. */
        bits.push_back({PendingMessage.isEmpty() ? PendingSlot : PendingMessage, PendingDiameter, 0});
        Program.BitChanges += BitChangePending;
        BitChangePending = false;
        PendingDiameter = 0.0;
        PendingMessage.clear();
        PendingSlot.clear();
    }
    ++bits.back().Holes;
    Program.Holes.push_back({x, y, line, int(bits.size()) - 1});
}

} // namespace

void ReadDrillProgram(const QString &text, TDrillProgram &program)
{
    const char16_t *p = reinterpret_cast<const char16_t *>(text.utf16());
    const char16_t *const end = p + text.size();
    TReader reader;
    /* The long lists keep the room they had. Room for a hole and a move in
     * every 32 characters, the converter's programs take about 45 a hole;
     * pages not filled cost nothing, and growing the lists by copying cost a
     * third of the reading, pages filled anew nearly a fifth. */
    std::swap(reader.Program.Holes, program.Holes);
    std::swap(reader.Program.Moves, program.Moves);
    reader.Program.Holes.clear();
    reader.Program.Moves.clear();
    reader.Program.Holes.reserve(size_t(text.size() / 32));
    reader.Program.Moves.reserve(size_t(text.size() / 32));
    for (int line = 0; p < end && !reader.Ended(); ++line) {
        const char16_t *lineEnd = std::find(p, end, u'\n');
        reader.ReadLine(p, lineEnd, line);
        p = lineEnd == end ? end : lineEnd + 1;
    }
    program = std::move(reader.Program);
}

TDrillProgram ReadDrillProgram(const QString &text)
{
    TDrillProgram program;
    ReadDrillProgram(text, program);
    return program;
}

double UnitInMillimetres(TProgramUnit unit) { return unit == TProgramUnit::Inch ? 25.4 : 1.0; }

double EstimatedMinutes(const TDrillProgram &program, double rapidPerMinute)
{
    const double rapid = rapidPerMinute / UnitInMillimetres(program.Unit);
    return program.FeedMinutes + (rapid > 0.0 ? program.RapidTravel / rapid : 0.0) + program.DwellSeconds / 60.0;
}

int HoleOnLine(const TDrillProgram &program, int line)
{
    const auto &holes = program.Holes;
    auto found = std::lower_bound(holes.begin(), holes.end(), line,
                                  [](const THole &hole, int wanted) { return hole.Line < wanted; });
    return found != holes.end() && found->Line == line ? int(found - holes.begin()) : -1;
}
