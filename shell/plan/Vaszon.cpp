/* Vaszon.cpp - the canvas of the drilling plan. */
#include "plan/Vaszon.h"

#include <QElapsedTimer>
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
/* A program of up to this many holes and moves is drawn at once; a larger
 * one in slices of about this many milliseconds, of parts this large. */
constexpr size_t AtOnce = 50000;
constexpr qint64 SliceMs = 25;
constexpr size_t PartItems = 8192;

} // namespace

TVaszon::TVaszon(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(200, 150);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    Slices.setSingleShot(true);
    Slices.setInterval(0);
    connect(&Slices, &QTimer::timeout, this, &TVaszon::ContinuePicture);
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

void TVaszon::HoldPictures(bool hold)
{
    Held = hold;
    if (!hold && Pictures)
        Slices.start();
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

bool TVaszon::Drawn() const { return Program && !Cache.isNull() && CachedFor == CacheKey(); }

void TVaszon::StartPicture()
{
    PendingFor = CacheKey();
    Pending = QImage(size() * PendingFor.Ratio, QImage::Format_ARGB32_Premultiplied);
    Pending.setDevicePixelRatio(PendingFor.Ratio);
    Part = TDrawingPart();
    Pictures = true;
    DrawSlice();
}

/* One slice of the picture; the complete one replaces the one shown. */
void TVaszon::DrawSlice()
{
    const TDrawing drawing = Drawing();
    const bool atOnce = Program->Holes.size() + Program->Moves.size() <= AtOnce;
    QElapsedTimer clock;
    clock.start();
    QPainter painter(&Pending);
    bool complete = false;
    if (SliceItems > 0)
        complete = DrawProgramBasePart(painter, drawing, Part, SliceItems);
    else if (atOnce)
        complete = DrawProgramBasePart(painter, drawing, Part, SIZE_MAX);
    else
        while (!complete && clock.elapsed() < SliceMs)
            complete = DrawProgramBasePart(painter, drawing, Part, PartItems);
    painter.end();
    if (!complete) {
        Slices.start();
        return;
    }
    Cache = std::move(Pending);
    Pending = QImage();
    CachedFor = PendingFor;
    Pictures = false;
}

/* The next slice, or a new picture when the program or the view changed
 * meanwhile. */
void TVaszon::ContinuePicture()
{
    if (!Pictures || !Program || Held)
        return;
    if (PendingFor == CacheKey())
        DrawSlice();
    else
        StartPicture();
    update();
}

void TVaszon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!Program) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    if (!Drawn() && !Held && !(Pictures && PendingFor == CacheKey()))
        StartPicture();
    if (Drawn()) {
        painter.drawImage(QPointF(0, 0), Cache);
        DrawHighlight(painter, Drawing());
        return;
    }
    /* Until the new picture is complete: the last one, or the part done. */
    const QImage &shown = Cache.isNull() ? Pending : Cache;
    if (shown.deviceIndependentSize() != QSizeF(size()))
        painter.fillRect(rect(), Qt::white);
    painter.drawImage(QPointF(0, 0), shown);
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
