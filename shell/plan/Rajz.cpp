/* Rajz.cpp - the drawing of a drilling program. */
#include "plan/Rajz.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace {

const QColor Paper(Qt::white);
const QColor AxisColour(150, 150, 150);
const QColor RapidColour(120, 120, 120);
const QColor FeedColour(220, 0, 0);
const QColor BelowZeroColour(230, 0, 200);
const QColor BoundsColour(60, 60, 60);
const QColor FirstColour(0, 160, 0);
const QColor LastColour(200, 0, 0);
const QColor HighlightColour(255, 140, 0);
constexpr double FitMargin = 48.0;
/* Pictures with a size on paper count 96 pixels to the inch, as screens do. */
constexpr double PaperDpi = 96.0;
constexpr double MillimetresPerInch = 25.4;
/* Room around the plan on a picture at true size, for the marks and texts,
 * and the smallest plan, in which a small board's texts still fit. */
constexpr double PictureMarginMm = 8.0;
constexpr double SmallestPictureMm[] = {60.0, 40.0};
/* A hole wider than this on the picture is drawn as a circle, not stamped. */
constexpr double LargestStamp = 64.0;

/* Given in pixels, so that text keeps its size on pictures of any resolution. */
QFont PlanFont()
{
    QFont font;
    font.setPixelSize(12);
    return font;
}

int UnitDecimals(TProgramUnit unit) { return unit == TProgramUnit::Inch ? 4 : 3; }

/* "0.80": two decimals, more where the diameter has them. */
QString Millimetres(double mm)
{
    for (int decimals = 2; decimals < 4; ++decimals)
        if (std::fabs(QString::number(mm, 'f', decimals).toDouble() - mm) < 5e-7)
            return QString::number(mm, 'f', decimals);
    return QString::number(mm, 'f', 4);
}

bool HasLegend(const TDrillProgram &program)
{
    return program.Bits.size() > 1 || (program.Bits.size() == 1 && program.Bits[0].Diameter > 0.0);
}

/* Rows of the legend: a swatch and the bit's label, in as many columns as the height needs. */
struct TLegendLayout {
    double RowHeight, ColumnWidth;
    int Rows, Columns;
};

TLegendLayout LegendLayout(const TDrillProgram &program, double height)
{
    const QFontMetricsF metrics(PlanFont());
    TLegendLayout layout;
    layout.RowHeight = metrics.height() + 4;
    double widest = 0.0;
    for (int bit = 0; bit < int(program.Bits.size()); ++bit)
        widest = std::max(widest, metrics.horizontalAdvance(BitLabel(program, bit)));
    layout.ColumnWidth = widest + 2 * HoleRadius + 20;
    const int count = int(program.Bits.size());
    layout.Rows = std::clamp(int((height - 16) / layout.RowHeight), 1, std::max(count, 1));
    layout.Columns = (count + layout.Rows - 1) / layout.Rows;
    return layout;
}

/* The box that must be seen: the holes, every move and the origin. */
QRectF PlanExtent(const TDrillProgram &program)
{
    double left = 0.0, right = 0.0, bottom = 0.0, top = 0.0;
    auto take = [&](double x, double y) {
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::min(bottom, y);
        top = std::max(top, y);
    };
    for (const THole &hole : program.Holes)
        take(hole.X, hole.Y);
    for (const TMove &move : program.Moves) {
        take(move.Path.x1(), move.Path.y1());
        take(move.Path.x2(), move.Path.y2());
    }
    return QRectF(QPointF(left, bottom), QPointF(right, top));
}

double LargestHoleRadius(const TDrawing &drawing)
{
    double largest = HoleRadius;
    for (int bit = 0; bit < int(drawing.Program->Bits.size()); ++bit)
        largest = std::max(largest, HoleRadiusOf(drawing, bit));
    return largest;
}

/* The largest of 1, 2, 5 times a power of ten that is at most `limit`. */
double RoundLength(double limit)
{
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= limit)
            return step * power;
    return power;
}

void DrawAxes(QPainter &painter, const TDrawing &drawing, const QRectF &area)
{
    const QPointF origin = drawing.Viewport.ToScreen(0.0, 0.0);
    painter.setPen(QPen(AxisColour, 0, Qt::DashLine));
    painter.drawLine(QPointF(0, origin.y()), QPointF(area.width(), origin.y()));
    painter.drawLine(QPointF(origin.x(), 0), QPointF(origin.x(), area.height()));
    painter.setPen(AxisColour);
    painter.drawText(QPointF(area.width() - 14, origin.y() - 4), QStringLiteral("X"));
    painter.drawText(QPointF(origin.x() + 4, 12), QStringLiteral("Y"));
    painter.drawText(origin + QPointF(4, 14), QStringLiteral("0"));
}

/* A bar of a round length in the program's unit, in the lower left corner. */
void DrawScale(QPainter &painter, const TDrawing &drawing, const QRectF &area)
{
    const double length = RoundLength(std::min(120.0, area.width() / 3) / drawing.Viewport.Scale);
    const double pixels = length * drawing.Viewport.Scale;
    const QPointF left(12, area.height() - 12);
    const QPointF right = left + QPointF(pixels, 0);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(left, right);
    painter.drawLine(left, left - QPointF(0, 5));
    painter.drawLine(right, right - QPointF(0, 5));
    painter.drawText(left + QPointF(0, -8),
                     QStringLiteral("%1 %2").arg(length, 0, 'g', 6).arg(UnitName(drawing.Program->Unit)));
}

void DrawBounds(QPainter &painter, const TDrawing &drawing)
{
    const TDrillProgram &program = *drawing.Program;
    const QRectF bounds = HoleBounds(program);
    const QPointF lowerLeft = drawing.Viewport.ToScreen(bounds.left(), bounds.top());
    const QPointF upperRight = drawing.Viewport.ToScreen(bounds.right(), bounds.bottom());
    const double room = LargestHoleRadius(drawing) + 3;
    painter.setPen(QPen(BoundsColour, 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(lowerLeft, upperRight).normalized().adjusted(-room, -room, room, room));
    painter.setPen(BoundsColour);
    painter.drawText(lowerLeft + QPointF(-room, room + 14), Coordinates(program, bounds.left(), bounds.top()));
    const QString upper = Coordinates(program, bounds.right(), bounds.bottom());
    const double width = painter.fontMetrics().horizontalAdvance(upper);
    painter.drawText(upperRight + QPointF(room - width, -room - 5), upper);
}

/* The kinds of moves, each drawn with its pen in a layer of its own. */
enum TMoveKind { RapidMove, FeedMove, BelowZeroMove };

TMoveKind KindOf(const TMove &move) { return move.BelowZero ? BelowZeroMove : move.Rapid ? RapidMove : FeedMove; }

QPen MovePen(TMoveKind kind)
{
    static const QPen pens[] = {QPen(RapidColour, 0), QPen(FeedColour, 2), QPen(BelowZeroColour, 3)};
    return pens[kind];
}

QLineF ScreenLine(const TDrawing &drawing, const TMove &move)
{
    return QLineF(drawing.Viewport.ToScreen(move.Path.x1(), move.Path.y1()),
                  drawing.Viewport.ToScreen(move.Path.x2(), move.Path.y2()));
}

/* The moves [from, to) of one kind, in one call. */
void DrawMoves(QPainter &painter, const TDrawing &drawing, TMoveKind kind, size_t from, size_t to)
{
    /* Kept from one drawing to the next with their room: filling pages anew
     * for a million lines cost a fifth of a drawing, growing by copies more. */
    thread_local QVector<QLineF> lines;
    lines.clear();
    const std::vector<TMove> &moves = drawing.Program->Moves;
    for (size_t i = from; i < to; ++i)
        if (KindOf(moves[i]) == kind)
            lines.append(ScreenLine(drawing, moves[i]));
    painter.setPen(MovePen(kind));
    painter.drawLines(lines);
}

/* The moves [from, to) made inside the board, marked at their middle. */
void MarkBelowZero(QPainter &painter, const TDrawing &drawing, size_t from, size_t to)
{
    painter.setPen(MovePen(BelowZeroMove));
    const std::vector<TMove> &moves = drawing.Program->Moves;
    for (size_t i = from; i < to; ++i)
        if (moves[i].BelowZero) {
            const QLineF line = ScreenLine(drawing, moves[i]);
            painter.drawText(QRectF(line.center() - QPointF(20, 22), QSizeF(40, 16)), Qt::AlignCenter,
                             QStringLiteral("Z0 alatt!"));
        }
}

QPixmap HoleStamp(const QColor &colour, double radius)
{
    const int side = int(std::ceil(2 * radius)) + 2;
    QPixmap stamp(side, side);
    stamp.fill(Qt::transparent);
    QPainter painter(&stamp);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour.darker(150), 1));
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(side / 2.0, side / 2.0), radius, radius);
    return stamp;
}

void Circle(QPainter &painter, const QPointF &at, double radius, const QColor &colour)
{
    painter.setPen(QPen(colour.darker(150), 1));
    painter.setBrush(colour);
    painter.drawEllipse(at, radius, radius);
}

/* Holes [from, to) on pictures at their size to the edge: without an outline. */
void CircleHoles(QPainter &painter, const TDrawing &drawing, size_t from, size_t to)
{
    painter.setPen(Qt::NoPen);
    for (size_t i = from; i < to; ++i) {
        const THole &hole = drawing.Program->Holes[i];
        painter.setBrush(BitColor(hole.Bit));
        const double radius = HoleRadiusOf(drawing, hole.Bit);
        painter.drawEllipse(drawing.Viewport.ToScreen(hole.X, hole.Y), radius, radius);
    }
}

/* The visible holes of bit `bit` among [from, to), a batch of stamps; holes
 * drawn large are circles. */
void StampHoles(QPainter &painter, const TDrawing &drawing, int bit, size_t from, size_t to)
{
    const std::vector<THole> &holes = drawing.Program->Holes;
    const double reach = LargestHoleRadius(drawing);
    const QRectF visible = QRectF(QPointF(0, 0), drawing.Size).adjusted(-reach, -reach, reach, reach);
    /* Kept with their room, as the moves are. */
    thread_local QVector<QPainter::PixmapFragment> batch;
    batch.clear();
    for (size_t i = from; i < to; ++i) {
        const QPointF at = drawing.Viewport.ToScreen(holes[i].X, holes[i].Y);
        if (holes[i].Bit == bit && visible.contains(at))
            batch.append(QPainter::PixmapFragment::create(at, QRectF()));
    }
    const double radius = HoleRadiusOf(drawing, bit);
    if (radius > LargestStamp) {
        for (const QPainter::PixmapFragment &fragment : batch)
            Circle(painter, QPointF(fragment.x, fragment.y), radius, BitColor(bit));
        return;
    }
    const QPixmap stamp = HoleStamp(BitColor(bit), radius);
    for (QPainter::PixmapFragment &fragment : batch) {
        fragment.width = stamp.width();
        fragment.height = stamp.height();
    }
    painter.drawPixmapFragments(batch.constData(), int(batch.size()), stamp);
}

void Ring(QPainter &painter, const TDrawing &drawing, int index, const QColor &colour, double room,
          const QString &label)
{
    const THole &hole = drawing.Program->Holes[size_t(index)];
    const QPointF at = drawing.Viewport.ToScreen(hole.X, hole.Y);
    const double radius = HoleRadiusOf(drawing, hole.Bit) + room;
    painter.setPen(QPen(colour, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(at, radius, radius);
    painter.drawText(at + QPointF(radius + 2, -radius), label);
}

/* The first and the last hole. */
void MarkHoles(QPainter &painter, const TDrawing &drawing)
{
    const int count = int(drawing.Program->Holes.size());
    Ring(painter, drawing, 0, FirstColour, 3, QStringLiteral("első"));
    Ring(painter, drawing, count - 1, LastColour, 3, QStringLiteral("utolsó"));
}

/* The plan's part of the picture: all of it but the legend's strip. */
QRectF PlanArea(const TDrawing &drawing)
{
    const double legend = LegendWidth(*drawing.Program, drawing.Size.height());
    return QRectF(0, 0, drawing.Size.width() - legend, drawing.Size.height());
}

/* Which colour and size is which bit, in the strip `area` beside the plan. */
void DrawLegend(QPainter &painter, const TDrawing &drawing, const QRectF &area)
{
    const TDrillProgram &program = *drawing.Program;
    const TLegendLayout layout = LegendLayout(program, area.height());
    painter.fillRect(area, QColor(245, 245, 245));
    painter.setPen(BoundsColour);
    painter.drawLine(area.topLeft(), area.bottomLeft());
    for (int bit = 0; bit < int(program.Bits.size()); ++bit) {
        const QPointF row(area.left() + 8 + bit / layout.Rows * layout.ColumnWidth,
                          area.top() + 8 + bit % layout.Rows * layout.RowHeight);
        Circle(painter, row + QPointF(HoleRadius + 1, layout.RowHeight / 2.0), HoleRadius, BitColor(bit));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(row + QPointF(2 * HoleRadius + 8, 0),
                                QSizeF(layout.ColumnWidth - 2 * HoleRadius - 8, layout.RowHeight)),
                         Qt::AlignVCenter, BitLabel(program, bit));
    }
}

/* The paper, the axes and the scale; what follows is clipped to the plan's area. */
void DrawFrame(QPainter &painter, const TDrawing &drawing, const QRectF &area)
{
    painter.fillRect(QRectF(QPointF(0, 0), drawing.Size), Paper);
    painter.setClipRect(area);
    DrawAxes(painter, drawing, area);
    DrawScale(painter, drawing, area);
}

/* The layers of the picture without the highlight, in the order drawn. */
enum TLayer { FrameLayer, RapidLayer, FeedLayer, BelowZeroLayer, BelowZeroMarkLayer, BoundsLayer, HolesLayer,
              MarksLayer, LegendLayer, LayerCount };

/* The items that a part of a layer goes through: moves or holes, or one for
 * a layer drawn whole; none for a layer the program has nothing for. */
size_t LayerItems(const TDrawing &drawing, int layer)
{
    const TDrillProgram &program = *drawing.Program;
    switch (layer) {
    case RapidLayer: case FeedLayer: case BelowZeroLayer: case BelowZeroMarkLayer: return program.Moves.size();
    case HolesLayer: return program.Holes.size();
    case BoundsLayer: case MarksLayer: return program.Holes.empty() ? 0 : 1;
    case LegendLayer: return LegendWidth(program, drawing.Size.height()) > 0.0 ? 1 : 0;
    default: return 1;
    }
}

/* The items [part.Next, to) of the part's layer. */
void DrawLayer(QPainter &painter, const TDrawing &drawing, const TDrawingPart &part, size_t to)
{
    const QRectF area = PlanArea(drawing);
    painter.save();
    if (part.Layer != FrameLayer && part.Layer != LegendLayer)
        painter.setClipRect(area);
    switch (part.Layer) {
    case FrameLayer: DrawFrame(painter, drawing, area); break;
    case RapidLayer: DrawMoves(painter, drawing, RapidMove, part.Next, to); break;
    case FeedLayer: DrawMoves(painter, drawing, FeedMove, part.Next, to); break;
    case BelowZeroLayer: DrawMoves(painter, drawing, BelowZeroMove, part.Next, to); break;
    case BelowZeroMarkLayer: MarkBelowZero(painter, drawing, part.Next, to); break;
    case BoundsLayer: DrawBounds(painter, drawing); break;
    case HolesLayer:
        if (drawing.Vector)
            CircleHoles(painter, drawing, part.Next, to);
        else
            StampHoles(painter, drawing, part.Bit, part.Next, to);
        break;
    case MarksLayer: MarkHoles(painter, drawing); break;
    case LegendLayer: DrawLegend(painter, drawing, QRectF(area.topRight(), QSizeF(drawing.Size.width() - area.width(), area.height())));
        break;
    }
    painter.restore();
}

/* Stamped holes go through the holes once for each bit, so that each
 * bit's stamps make one batch. */
void NextLayer(const TDrawing &drawing, TDrawingPart &part)
{
    part.Next = 0;
    if (part.Layer == HolesLayer && !drawing.Vector && ++part.Bit < int(drawing.Program->Bits.size()))
        return;
    part.Bit = 0;
    ++part.Layer;
}

/* An SVG whose width and height are the drawing's size on paper in
 * millimetres, to a hundredth, with the drawing's pixels as its units. */
bool WriteSvg(const TDrawing &drawing, QIODevice &file)
{
    constexpr double hundredthsPerInch = 100 * MillimetresPerInch;
    const double toHundredths = hundredthsPerInch / PaperDpi;
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setResolution(int(hundredthsPerInch));
    generator.setSize(QSize(int(std::lround(drawing.Size.width() * toHundredths)),
                            int(std::lround(drawing.Size.height() * toHundredths))));
    generator.setViewBox(QRectF(QPointF(0, 0), drawing.Size));
    generator.setTitle(QStringLiteral("Fúrási terv"));
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    TDrawing vector = drawing;
    vector.Vector = true;
    DrawProgram(painter, vector);
    return painter.end();
}

/* A PNG of `dpi` dots to the inch, which says so, so that it prints at its size. */
bool WritePng(const TDrawing &drawing, QIODevice &file, int dpi)
{
    const double factor = dpi / PaperDpi;
    QImage image(QSize(int(std::ceil(drawing.Size.width() * factor)), int(std::ceil(drawing.Size.height() * factor))),
                 QImage::Format_RGB32);
    if (image.isNull())
        return false;
    const int dotsPerMetre = int(std::lround(dpi * 1000.0 / MillimetresPerInch));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(factor, factor);
    TDrawing vector = drawing;
    vector.Vector = true;
    DrawProgram(painter, vector);
    painter.end();
    return image.save(&file, "PNG");
}

} // namespace

QRectF HoleBounds(const TDrillProgram &program)
{
    if (program.Holes.empty())
        return QRectF();
    double left = program.Holes[0].X, right = left, bottom = program.Holes[0].Y, top = bottom;
    for (const THole &hole : program.Holes) {
        left = std::min(left, hole.X);
        right = std::max(right, hole.X);
        bottom = std::min(bottom, hole.Y);
        top = std::max(top, hole.Y);
    }
    /* In program coordinates: top() is the lowest Y, bottom() the highest. */
    return QRectF(QPointF(left, bottom), QPointF(right, top));
}

double LegendWidth(const TDrillProgram &program, double height)
{
    if (!HasLegend(program))
        return 0.0;
    const TLegendLayout layout = LegendLayout(program, height);
    return std::ceil(layout.Columns * layout.ColumnWidth + 16);
}

TViewport FitViewport(const TDrillProgram &program, QSize size)
{
    const QRectF extent = PlanExtent(program);
    const double area = size.width() - LegendWidth(program, size.height());
    const double width = std::max(area - 2 * FitMargin, 1.0);
    const double height = std::max(size.height() - 2 * FitMargin, 1.0);
    /* A program that stays on one spot is shown 10 units wide. */
    const double spanX = std::max(extent.width(), 1e-9), spanY = std::max(extent.height(), 1e-9);
    TViewport viewport;
    viewport.Scale = std::max(extent.width(), extent.height()) > 0.0 ? std::min(width / spanX, height / spanY)
                                                                    : width / 10.0;
    const QPointF centre = extent.center();
    viewport.Offset = QPointF(area / 2.0 - centre.x() * viewport.Scale,
                              size.height() / 2.0 + centre.y() * viewport.Scale);
    return viewport;
}

/* Hues a golden angle apart from a blue, so that each new bit falls in the
 * widest gap left, at four lightnesses in turn, so that the bits whose hues
 * come closest (13, 21 and 34 apart) differ in lightness too. */
QColor BitColor(int bit)
{
    static const double lightness[] = {0.42, 0.30, 0.54, 0.36};
    const double hue = std::fmod(215.0 + bit * 137.50776, 360.0) / 360.0;
    return QColor::fromHslF(float(hue), 0.9f, float(lightness[bit % 4]));
}

QString BitName(const TDrillProgram &program, int bit)
{
    const TBit &entry = program.Bits[size_t(bit)];
    if (entry.Diameter > 0.0)
        return QStringLiteral("%1. fúró, Ø %2 mm").arg(bit + 1).arg(Millimetres(entry.Diameter));
    return entry.Name.isEmpty() ? QStringLiteral("%1. fúró").arg(bit + 1) : entry.Name;
}

QString BitLabel(const TDrillProgram &program, int bit)
{
    return QStringLiteral("%1: %2 furat").arg(BitName(program, bit)).arg(program.Bits[size_t(bit)].Holes);
}

QString Coordinates(const TDrillProgram &program, double x, double y)
{
    const int decimals = UnitDecimals(program.Unit);
    return QStringLiteral("X%1 Y%2").arg(x, 0, 'f', decimals).arg(y, 0, 'f', decimals);
}

QString UnitName(TProgramUnit unit)
{
    return unit == TProgramUnit::Inch ? QStringLiteral("coll") : QStringLiteral("mm");
}

double HoleRadiusOf(const TDrawing &drawing, int bit)
{
    const TDrillProgram &program = *drawing.Program;
    const double diameter = program.Bits[size_t(bit)].Diameter;
    if (diameter <= 0.0)
        return HoleRadius;
    const double radius = diameter / 2.0 / UnitInMillimetres(program.Unit) * drawing.Viewport.Scale;
    return drawing.Vector ? radius : std::max(radius, SmallestHoleRadius);
}

void DrawProgram(QPainter &painter, const TDrawing &drawing)
{
    DrawProgramBase(painter, drawing);
    DrawHighlight(painter, drawing);
}

void DrawProgramBase(QPainter &painter, const TDrawing &drawing)
{
    TDrawingPart part;
    DrawProgramBasePart(painter, drawing, part, SIZE_MAX);
}

bool DrawProgramBasePart(QPainter &painter, const TDrawing &drawing, TDrawingPart &part, size_t items)
{
    painter.setFont(PlanFont());
    while (part.Layer < LayerCount && items > 0) {
        const size_t count = LayerItems(drawing, part.Layer);
        const size_t to = items >= count - part.Next ? count : part.Next + items;
        if (to > part.Next)
            DrawLayer(painter, drawing, part, to);
        items -= to - part.Next;
        part.Next = to;
        if (to == count)
            NextLayer(drawing, part);
    }
    return part.Layer == LayerCount;
}

/* Drawn last, over the holes, inside the plan's area, which the legend's
 * strip never overlaps. */
void DrawHighlight(QPainter &painter, const TDrawing &drawing)
{
    if (drawing.Highlighted < 0 || drawing.Highlighted >= int(drawing.Program->Holes.size()))
        return;
    painter.save();
    painter.setFont(PlanFont());
    painter.setClipRect(PlanArea(drawing));
    Ring(painter, drawing, drawing.Highlighted, HighlightColour, 6, QStringLiteral("%1.").arg(drawing.Highlighted + 1));
    painter.restore();
}

TDrawing TrueScaleDrawing(const TDrillProgram &program, int highlighted)
{
    TDrawing drawing;
    drawing.Program = &program;
    drawing.Highlighted = highlighted;
    drawing.Vector = true;
    drawing.Viewport.Scale = PaperDpi / MillimetresPerInch * UnitInMillimetres(program.Unit);
    constexpr double pixelsPerMm = PaperDpi / MillimetresPerInch;
    const QRectF extent = PlanExtent(program);
    const double margin = PictureMarginMm * pixelsPerMm + LargestHoleRadius(drawing);
    const double width = std::max(extent.width() * drawing.Viewport.Scale + 2 * margin,
                                  SmallestPictureMm[0] * pixelsPerMm);
    const double height = std::max(extent.height() * drawing.Viewport.Scale + 2 * margin,
                                   SmallestPictureMm[1] * pixelsPerMm);
    drawing.Size = QSize(int(std::ceil(width + LegendWidth(program, height))), int(std::ceil(height)));
    const QPointF centre = extent.center();
    drawing.Viewport.Offset = QPointF(width / 2 - centre.x() * drawing.Viewport.Scale,
                                      height / 2 + centre.y() * drawing.Viewport.Scale);
    return drawing;
}

QString SavePicture(const TDrawing &drawing, const QString &path, int dpi)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const bool svg = QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
    const bool written = svg ? WriteSvg(drawing, file) : WritePng(drawing, file, dpi);
    /* A write that failed while the buffer was emptied leaves its error in
     * the file but not always in the result of the commit. */
    const bool flushed = file.flush() && file.error() == QFileDevice::NoError;
    if (!written || !flushed) {
        const QString why = flushed ? QStringLiteral("a kép nem készült el")
                                    : QStringLiteral("a fájl írása nem sikerült (%1)").arg(file.errorString());
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return QStringLiteral("a kész fájl nem léphetett a régi helyére (%1)").arg(file.errorString());
    return QString();
}
