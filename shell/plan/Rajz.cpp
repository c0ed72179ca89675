/* Rajz.cpp - the drawing of a drilling program. */
#include "plan/Rajz.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace {

const QColor Paper(Qt::white);
const QColor AxisColour(150, 150, 150);
const QColor RapidColour(120, 120, 120);
const QColor FeedColour(220, 0, 0);
const QColor BoundsColour(60, 60, 60);
const QColor FirstColour(0, 160, 0);
const QColor LastColour(200, 0, 0);
const QColor HighlightColour(255, 140, 0);
constexpr double FitMargin = 48.0;
/* The side of the image stamped for each hole: the dot and its antialiased rim. */
constexpr int StampSide = int(2 * HoleRadius) + 2;

int UnitDecimals(TProgramUnit unit) { return unit == TProgramUnit::Inch ? 4 : 3; }

QString Coordinates(const TDrillProgram &program, double x, double y)
{
    const int decimals = UnitDecimals(program.Unit);
    return QStringLiteral("X%1 Y%2").arg(x, 0, 'f', decimals).arg(y, 0, 'f', decimals);
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

void DrawAxes(QPainter &painter, const TDrawing &drawing)
{
    const QPointF origin = drawing.Viewport.ToScreen(0.0, 0.0);
    painter.setPen(QPen(AxisColour, 0, Qt::DashLine));
    painter.drawLine(QPointF(0, origin.y()), QPointF(drawing.Size.width(), origin.y()));
    painter.drawLine(QPointF(origin.x(), 0), QPointF(origin.x(), drawing.Size.height()));
    painter.setPen(AxisColour);
    painter.drawText(QPointF(drawing.Size.width() - 14, origin.y() - 4), QStringLiteral("X"));
    painter.drawText(QPointF(origin.x() + 4, 12), QStringLiteral("Y"));
    painter.drawText(origin + QPointF(4, 14), QStringLiteral("0"));
}

/* A bar of a round length in the program's unit, in the lower left corner. */
void DrawScale(QPainter &painter, const TDrawing &drawing)
{
    const double length = RoundLength(120.0 / drawing.Viewport.Scale);
    const double pixels = length * drawing.Viewport.Scale;
    const QPointF left(12, drawing.Size.height() - 12);
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
    painter.setPen(QPen(BoundsColour, 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(lowerLeft, upperRight).normalized().adjusted(-HoleRadius - 3, -HoleRadius - 3,
                                                                         HoleRadius + 3, HoleRadius + 3));
    painter.setPen(BoundsColour);
    painter.drawText(lowerLeft + QPointF(-HoleRadius - 3, HoleRadius + 17),
                     Coordinates(program, bounds.left(), bounds.top()));
    const QString upper = Coordinates(program, bounds.right(), bounds.bottom());
    const double width = painter.fontMetrics().horizontalAdvance(upper);
    painter.drawText(upperRight + QPointF(HoleRadius + 3 - width, -HoleRadius - 8), upper);
}

/* All rapid moves in one call and all moves at the feed in another. */
void DrawMoves(QPainter &painter, const TDrawing &drawing)
{
    QVector<QLineF> rapid, feed;
    rapid.reserve(int(drawing.Program->Moves.size()));
    for (const TMove &move : drawing.Program->Moves) {
        const QLineF line(drawing.Viewport.ToScreen(move.Path.x1(), move.Path.y1()),
                          drawing.Viewport.ToScreen(move.Path.x2(), move.Path.y2()));
        (move.Rapid ? rapid : feed).append(line);
    }
    painter.setPen(QPen(RapidColour, 0));
    painter.drawLines(rapid);
    painter.setPen(QPen(FeedColour, 2));
    painter.drawLines(feed);
}

QPixmap HoleStamp(const QColor &colour)
{
    QPixmap stamp(StampSide, StampSide);
    stamp.fill(Qt::transparent);
    QPainter painter(&stamp);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour.darker(150), 1));
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(StampSide / 2.0, StampSide / 2.0), HoleRadius, HoleRadius);
    return stamp;
}

/* Every visible hole, one batch of stamps per bit. */
void StampHoles(QPainter &painter, const TDrawing &drawing)
{
    const TDrillProgram &program = *drawing.Program;
    const QRectF visible =
        QRectF(QPointF(0, 0), drawing.Size).adjusted(-HoleRadius, -HoleRadius, HoleRadius, HoleRadius);
    const QRectF whole(0, 0, StampSide, StampSide);
    std::vector<QVector<QPainter::PixmapFragment>> batches(program.Bits.size());
    for (const THole &hole : program.Holes) {
        const QPointF at = drawing.Viewport.ToScreen(hole.X, hole.Y);
        if (visible.contains(at))
            batches[size_t(hole.Bit)].append(QPainter::PixmapFragment::create(at, whole));
    }
    for (size_t bit = 0; bit < batches.size(); ++bit) {
        const QPixmap stamp = HoleStamp(BitColor(int(bit)));
        painter.drawPixmapFragments(batches[bit].constData(), int(batches[bit].size()), stamp);
    }
}

void CircleHoles(QPainter &painter, const TDrawing &drawing)
{
    for (const THole &hole : drawing.Program->Holes) {
        const QColor colour = BitColor(hole.Bit);
        painter.setPen(QPen(colour.darker(150), 1));
        painter.setBrush(colour);
        painter.drawEllipse(drawing.Viewport.ToScreen(hole.X, hole.Y), HoleRadius, HoleRadius);
    }
}

void Ring(QPainter &painter, const TDrawing &drawing, int index, const QColor &colour, double radius,
          const QString &label)
{
    const THole &hole = drawing.Program->Holes[size_t(index)];
    const QPointF at = drawing.Viewport.ToScreen(hole.X, hole.Y);
    painter.setPen(QPen(colour, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(at, radius, radius);
    painter.drawText(at + QPointF(radius + 2, -radius), label);
}

/* The first and the last hole, and the one the editor's cursor is on. */
void MarkHoles(QPainter &painter, const TDrawing &drawing)
{
    const int count = int(drawing.Program->Holes.size());
    Ring(painter, drawing, 0, FirstColour, HoleRadius + 3, QStringLiteral("első"));
    Ring(painter, drawing, count - 1, LastColour, HoleRadius + 3, QStringLiteral("utolsó"));
    if (drawing.Highlighted >= 0 && drawing.Highlighted < count)
        Ring(painter, drawing, drawing.Highlighted, HighlightColour, HoleRadius + 6,
             QStringLiteral("%1.").arg(drawing.Highlighted + 1));
}

/* Which colour is which bit, where the program changes bits. */
void DrawLegend(QPainter &painter, const TDrawing &drawing)
{
    const TDrillProgram &program = *drawing.Program;
    const int rowHeight = painter.fontMetrics().height() + 4;
    int width = 0;
    for (int bit = 0; bit < int(program.Bits.size()); ++bit)
        width = std::max(width, painter.fontMetrics().horizontalAdvance(BitLabel(program, bit)));
    const QRectF box(8, 8, width + 36, rowHeight * int(program.Bits.size()) + 8);
    painter.setPen(BoundsColour);
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawRect(box);
    for (int bit = 0; bit < int(program.Bits.size()); ++bit) {
        const QPointF row(box.left() + 8, box.top() + 4 + bit * rowHeight);
        painter.setPen(BitColor(bit).darker(150));
        painter.setBrush(BitColor(bit));
        painter.drawEllipse(row + QPointF(HoleRadius + 1, rowHeight / 2.0), HoleRadius, HoleRadius);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(row + QPointF(20, 0), QSizeF(width + 8, rowHeight)), Qt::AlignVCenter,
                         BitLabel(program, bit));
    }
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

TViewport FitViewport(const TDrillProgram &program, QSize size)
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
    const double width = std::max(size.width() - 2 * FitMargin, 1.0);
    const double height = std::max(size.height() - 2 * FitMargin, 1.0);
    /* A program that stays on one spot is shown 10 units wide. */
    const double spanX = std::max(right - left, 1e-9), spanY = std::max(top - bottom, 1e-9);
    TViewport viewport;
    viewport.Scale = std::max(right - left, top - bottom) > 0.0 ? std::min(width / spanX, height / spanY)
                                                                 : width / 10.0;
    const double centreX = (left + right) / 2.0, centreY = (bottom + top) / 2.0;
    viewport.Offset = QPointF(size.width() / 2.0 - centreX * viewport.Scale,
                              size.height() / 2.0 + centreY * viewport.Scale);
    return viewport;
}

QColor BitColor(int bit)
{
    static const QColor colours[] = {QColor(0, 90, 200),   QColor(230, 120, 0), QColor(0, 150, 60),
                                     QColor(170, 0, 170),  QColor(120, 70, 20), QColor(0, 160, 170),
                                     QColor(200, 30, 60),  QColor(90, 90, 90)};
    return colours[size_t(bit) % std::size(colours)];
}

QString BitLabel(const TDrillProgram &program, int bit)
{
    const TBit &entry = program.Bits[size_t(bit)];
    const QString name = entry.Name.isEmpty() ? QStringLiteral("%1. fúró").arg(bit + 1) : entry.Name;
    return QStringLiteral("%1: %2 furat").arg(name).arg(entry.Holes);
}

QString UnitName(TProgramUnit unit)
{
    return unit == TProgramUnit::Inch ? QStringLiteral("coll") : QStringLiteral("mm");
}

void DrawProgram(QPainter &painter, const TDrawing &drawing)
{
    painter.fillRect(QRectF(QPointF(0, 0), drawing.Size), Paper);
    DrawAxes(painter, drawing);
    DrawScale(painter, drawing);
    DrawMoves(painter, drawing);
    if (drawing.Program->Holes.empty())
        return;
    DrawBounds(painter, drawing);
    if (drawing.Vector)
        CircleHoles(painter, drawing);
    else
        StampHoles(painter, drawing);
    MarkHoles(painter, drawing);
    if (drawing.Program->Bits.size() > 1)
        DrawLegend(painter, drawing);
}

bool SavePicture(const TDrawing &drawing, const QString &path)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
        QSvgGenerator generator;
        generator.setFileName(path);
        generator.setSize(drawing.Size);
        generator.setViewBox(QRect(QPoint(0, 0), drawing.Size));
        generator.setTitle(QStringLiteral("Fúrási terv"));
        QPainter painter;
        if (!painter.begin(&generator))
            return false;
        TDrawing vector = drawing;
        vector.Vector = true;
        DrawProgram(painter, vector);
        return painter.end();
    }
    QImage image(drawing.Size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    DrawProgram(painter, drawing);
    painter.end();
    return image.save(path, "PNG");
}
