/* Rajz.h - draws a drilling program as a plan of the machine's table: the
 * holes at their bit's size in its colour, the moves in drilling order with
 * those made inside the board marked, the origin and axes with a scale, the
 * rectangle around the holes and the legend of the bits. The same drawing
 * serves the window, the saved pictures and the benchmarks. */
#ifndef PLAN_RAJZ_H
#define PLAN_RAJZ_H

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <cstddef>

#include "plan/Olvaso.h"

class QPainter;

/* Where the program's coordinates land on the picture: a point (x, y) is
 * drawn at (Offset.x + x * Scale, Offset.y - y * Scale), Y pointing up. */
struct TViewport {
    double Scale = 1.0;
    QPointF Offset;

    QPointF ToScreen(double x, double y) const { return {Offset.x() + x * Scale, Offset.y() - y * Scale}; }
    QPointF ToProgram(const QPointF &screen) const
    {
        return {(screen.x() - Offset.x()) / Scale, (Offset.y() - screen.y()) / Scale};
    }
};

/* Radius of a hole of unknown size on the picture, in pixels: a Gerber
 * program names no bit. */
inline constexpr double HoleRadius = 4.0;
/* A hole of known size is drawn at its size; on the screen never smaller
 * than this, so that it stays in sight. */
inline constexpr double SmallestHoleRadius = 1.5;

/* The box around the holes, empty without holes. */
QRectF HoleBounds(const TDrillProgram &program);

/* The width of the legend's strip at the right of a picture `height`
 * pixels high, 0 when the program has no legend. The plan is drawn left of
 * it, so that the legend never covers a hole. */
double LegendWidth(const TDrillProgram &program, double height);

/* The viewport that shows the holes, every move and the origin inside
 * `size`, left of the legend. */
TViewport FitViewport(const TDrillProgram &program, QSize size);

/* The colour of the holes of bit `bit`, one that no other bit has. */
QColor BitColor(int bit);

/* The bit as the operator knows it: its place and its diameter, or its name. */
QString BitName(const TDrillProgram &program, int bit);

/* The bit's row in the legend. */
QString BitLabel(const TDrillProgram &program, int bit);

/* A point of the program, "X1.000 Y2.000", in its unit. */
QString Coordinates(const TDrillProgram &program, double x, double y);

/* The unit's name as the window writes it: "mm" or "coll". */
QString UnitName(TProgramUnit unit);

struct TDrawing {
    const TDrillProgram *Program = nullptr;
    TViewport Viewport;
    QSize Size;           /* in pixels of 1/96 inch where the picture has a size on paper */
    int Highlighted = -1; /* the index of the hole to stand out, or -1 */
    /* For pictures: each hole a circle of its own at its true size; otherwise
     * one stamped image per hole, which the raster engine draws in a batch. */
    bool Vector = false;
};

/* The radius of bit `bit`'s holes on the drawing, in pixels. */
double HoleRadiusOf(const TDrawing &drawing, int bit);

void DrawProgram(QPainter &painter, const TDrawing &drawing);
/* The two layers of DrawProgram: everything but the highlighted hole's
 * ring, which changes with every move of the editor's cursor, and the ring. */
void DrawProgramBase(QPainter &painter, const TDrawing &drawing);
void DrawHighlight(QPainter &painter, const TDrawing &drawing);

/* How far a drawing in parts has got: its layer, the bit whose holes are
 * stamped, the next item. */
struct TDrawingPart {
    int Layer = 0;
    int Bit = 0;
    size_t Next = 0;
};
/* DrawProgramBase in parts: draws the next `items` items (moves or holes,
 * one for a mark drawn whole) after `part` and moves `part` past them; true
 * once the drawing is complete. The parts together draw exactly what one
 * DrawProgramBase draws. */
bool DrawProgramBasePart(QPainter &painter, const TDrawing &drawing, TDrawingPart &part, size_t items);

/* The whole plan at its true size: a millimetre of the program is a
 * millimetre of the picture, with a margin around it. */
TDrawing TrueScaleDrawing(const TDrillProgram &program, int highlighted);

/* Saves the drawing as SVG for a name ending in ".svg", else as PNG at
 * `dpi`, through a file beside it that replaces the old one only once it is
 * complete. Returns why it failed, or an empty text. */
QString SavePicture(const TDrawing &drawing, const QString &path, int dpi);

#endif
