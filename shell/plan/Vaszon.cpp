/* Vaszon.cpp - the canvas of the drilling plan. */
#include "plan/Vaszon.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

/* A press and release closer than this is a click, not a drag. */
constexpr double ClickSlack = 4.0;
/* One notch of the wheel zooms by this factor. */
constexpr double WheelZoom = 1.25;

} // namespace

TVaszon::TVaszon(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(200, 150);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
}

void TVaszon::SetProgram(const TDrillProgram *program, bool fit)
{
    Program = program;
    ++Generation;
    if (fit)
        Fitted = true;
    if (Fitted)
        Viewport = FitViewport(*Program, size());
    update();
}

void TVaszon::SetHighlighted(int hole)
{
    if (hole == Highlighted)
        return;
    Highlighted = hole;
    update();
}

void TVaszon::Fit()
{
    Fitted = true;
    if (Program)
        Viewport = FitViewport(*Program, size());
    update();
}

TDrawing TVaszon::Drawing() const
{
    TDrawing drawing;
    drawing.Program = Program;
    drawing.Viewport = Viewport;
    drawing.Size = size();
    drawing.Highlighted = Highlighted;
    return drawing;
}

int TVaszon::HoleAt(const QPointF &point) const
{
    if (!Program)
        return -1;
    /* A hole is hit within its radius, a small one a little beyond; of
     * holes hit, the nearest centre wins. */
    const TDrawing drawing = Drawing();
    std::vector<double> reach(Program->Bits.size());
    for (size_t bit = 0; bit < reach.size(); ++bit)
        reach[bit] = std::pow(std::max(HoleRadiusOf(drawing, int(bit)), HoleRadius) + 3, 2);
    int found = -1;
    double nearest = INFINITY;
    for (size_t i = 0; i < Program->Holes.size(); ++i) {
        const THole &hole = Program->Holes[i];
        const QPointF d = Viewport.ToScreen(hole.X, hole.Y) - point;
        const double squared = QPointF::dotProduct(d, d);
        if (squared <= reach[size_t(hole.Bit)] && squared < nearest) {
            nearest = squared;
            found = int(i);
        }
    }
    return found;
}

TVaszon::TCacheKey TVaszon::CacheKey() const
{
    return {Generation, Viewport.Scale, Viewport.Offset, size(), devicePixelRatioF()};
}

void TVaszon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!Program) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    const TDrawing drawing = Drawing();
    const TCacheKey key = CacheKey();
    if (Cache.isNull() || !(key == CachedFor)) {
        Cache = QImage(size() * key.Ratio, QImage::Format_ARGB32_Premultiplied);
        Cache.setDevicePixelRatio(key.Ratio);
        QPainter cache(&Cache);
        DrawProgramBase(cache, drawing);
        CachedFor = key;
    }
    painter.drawImage(QPointF(0, 0), Cache);
    DrawHighlight(painter, drawing);
}

void TVaszon::resizeEvent(QResizeEvent *)
{
    if (Fitted && Program)
        Viewport = FitViewport(*Program, size());
}

void TVaszon::wheelEvent(QWheelEvent *event)
{
    const double factor = std::pow(WheelZoom, event->angleDelta().y() / 120.0);
    const QPointF pointer = event->position();
    const QPointF under = Viewport.ToProgram(pointer);
    /* Held to sizes where a micrometre and a kilometre both stay drawable. */
    Viewport.Scale = std::clamp(Viewport.Scale * factor, 1e-4, 1e5);
    /* The point under the pointer stays where it is. */
    Viewport.Offset = pointer - QPointF(under.x() * Viewport.Scale, -under.y() * Viewport.Scale);
    Fitted = false;
    update();
}

void TVaszon::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    PressedAt = DraggedFrom = event->position();
    Dragging = false;
}

void TVaszon::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    if (!(event->buttons() & Qt::LeftButton)) {
        emit PointerMoved(Viewport.ToProgram(at), HoleAt(at));
        return;
    }
    if (!Dragging && (at - PressedAt).manhattanLength() < ClickSlack)
        return;
    Dragging = true;
    Viewport.Offset += at - DraggedFrom;
    DraggedFrom = at;
    Fitted = false;
    update();
}

void TVaszon::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || Dragging)
        return;
    const int hole = HoleAt(event->position());
    if (hole >= 0)
        emit HoleClicked(hole);
}

void TVaszon::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Fit();
}
