/* Rajz.h - draws a drilling program as a plan of the machine's table: the
 * holes in the colour of their bit, the rapid moves in drilling order, the
 * origin and axes with a scale, and the rectangle around the holes. The same
 * drawing serves the window, the saved pictures and the benchmarks. */
#ifndef PLAN_RAJZ_H
#define PLAN_RAJZ_H

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

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

/* Radius of a hole on the picture, in pixels; the program holds no sizes. */
inline constexpr double HoleRadius = 4.0;

/* The box around the holes, empty without holes. */
QRectF HoleBounds(const TDrillProgram &program);

/* The viewport that shows the holes, every move and the origin inside `size`. */
TViewport FitViewport(const TDrillProgram &program, QSize size);

/* The colour of the holes of bit `bit`. */
QColor BitColor(int bit);

/* The bit's name in the legend. */
QString BitLabel(const TDrillProgram &program, int bit);

/* The unit's name as the window writes it: "mm" or "coll". */
QString UnitName(TProgramUnit unit);

struct TDrawing {
    const TDrillProgram *Program = nullptr;
    TViewport Viewport;
    QSize Size;
    int Highlighted = -1; /* the index of the hole to stand out, or -1 */
    /* Each hole as a circle of its own, for vector pictures; otherwise one
     * stamped image per hole, which the raster engine draws in a batch. */
    bool Vector = false;
};

void DrawProgram(QPainter &painter, const TDrawing &drawing);

/* Saves the drawing as a PNG or, for a name ending in ".svg", as SVG. */
bool SavePicture(const TDrawing &drawing, const QString &path);

#endif
