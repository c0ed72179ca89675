/* Vaszon.h - the canvas of the drilling plan: draws the program and lets the
 * user zoom with the wheel about the pointer, pan by dragging, fit the plan
 * with a double click and pick a hole with a click; tells where the pointer
 * is and which hole is under it. */
#ifndef PLAN_VASZON_H
#define PLAN_VASZON_H

#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include "plan/Rajz.h"

class TVaszon : public QWidget {
    Q_OBJECT
public:
    explicit TVaszon(QWidget *parent = nullptr);

    /* The program must outlive its use here; `fit` fits it to the canvas. */
    void SetProgram(const TDrillProgram *program, bool fit);
    void SetHighlighted(int hole);
    void Fit();
    /* The drawing as the canvas shows it now. */
    TDrawing Drawing() const;
    /* Whether the picture shown is the whole drawing of the state now. */
    bool Drawn() const;
    /* Draws a large program `items` items a turn of the event loop, not
     * for a time; for the tests. */
    void SetSliceItems(size_t items) { SliceItems = items; }
    /* While a newer program is being read, the picture of the one set is
     * not drawn on: it would be thrown away. The last complete one shows. */
    void HoldPictures(bool hold);
    /* The index of the hole drawn under `point`, or -1. */
    int HoleAt(const QPointF &point) const;

signals:
    void HoleClicked(int hole);
    /* The pointer is at `at` in the program's coordinates, over `hole` or -1. */
    void PointerMoved(const QPointF &at, int hole);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    /* What the cached picture was drawn for; any other state draws it anew. */
    struct TCacheKey {
        quint64 Generation;
        double Scale;
        QPointF Offset;
        QSize Size;
        qreal Ratio;
        bool operator==(const TCacheKey &other) const
        {
            return Generation == other.Generation && Scale == other.Scale && Offset == other.Offset &&
                   Size == other.Size && Ratio == other.Ratio;
        }
    };
    TCacheKey CacheKey() const;

    const TDrillProgram *Program = nullptr;
    quint64 Generation = 0; /* counts the programs set, which may be one record read again */
    void StartPicture();
    void DrawSlice();
    void ContinuePicture();

    /* The plan without the highlighted hole's ring: an expose or a move of
     * the editor's cursor then only copies it, a million holes are not
     * drawn again. */
    QImage Cache;
    TCacheKey CachedFor{};
    /* The picture being drawn a slice a turn, so that a large program does
     * not hold up the window; shown only while no complete one is. */
    QImage Pending;
    TCacheKey PendingFor{};
    TDrawingPart Part;
    bool Pictures = false; /* a picture is being drawn */
    bool Held = false;
    QTimer Slices;
    size_t SliceItems = 0;
    TViewport Viewport;
    bool Fitted = true; /* the plan follows the canvas's size until the user moves it */
    int Highlighted = -1;
    QPointF PressedAt, DraggedFrom;
    bool Dragging = false;
};

#endif
