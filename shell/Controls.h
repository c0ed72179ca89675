/* Controls.h - the small controls of the window that Qt has no exact match for:
 * a line edit that reports key-down, key-up and leaving, an editable
 * drop-down list that reports leaving, the numeric spin edit, the up/down
 * button pair and the bevel frame; and how the window makes its controls. */
#ifndef CONTROLS_H
#define CONTROLS_H

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <cstdint>

class QLabel;
class QPushButton;
class QToolButton;

/* A font of the window: family, character height in pixels, bold or regular. */
QFont MakeFont(const char *family, int pixels, bool bold);
void SetColor(QWidget *widget, QPalette::ColorRole role, const QColor &color);
/* A label at `place` that widens to a longer caption. */
QLabel *MakeLabel(QWidget *parent, const QString &caption, const QRect &place, const QFont &font);
/* A push button with a maroon caption, named `name`, at `place`. */
QPushButton *MakeButton(QWidget *parent, const QString &name, const QString &caption, const QFont &font,
                        const QRect &place);
/* Names `control` and puts it at `place`. */
QWidget *Place(QWidget *control, const QString &name, const QRect &place);

/* A single-line edit whose key presses and releases are reported before the
 * edit acts on them. Key-up is reported once per physical release; Exit when
 * the edit loses the focus. */
class TEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TEdit(QWidget *parent = nullptr);

signals:
    void KeyDown(int key, Qt::KeyboardModifiers shift);
    void KeyUp(int key, Qt::KeyboardModifiers shift);
    void Exit();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

/* An editable drop-down list that raises Exit when it loses the focus to
 * another control (not when its own list opens). */
class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget *parent = nullptr);

signals:
    void Exit();

protected:
    void focusOutEvent(QFocusEvent *event) override;
};

/* Two stacked arrow buttons raising an "up" and a "down" click. Holding a
 * button repeats its click; with the focus, the arrow keys click too. */
class TCSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TCSpinButton(QWidget *parent = nullptr);

signals:
    void UpClick();
    void DownClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *UpButton;
    QToolButton *DownButton;
};

/* An edit for a whole number between two limits, with its own arrows.
 * Value() reads the text as it stands, also outside the limits (a text that is
 * no number reads as the lower limit); SetValue() shows the value held to the
 * limits. The arrows and the arrow keys step by one within the limits, and
 * leaving the control holds its text to the limits, as HoldToLimits() does. Every change of the text,
 * the program's own included, raises textChanged. */
class TCSpinEdit : public TEdit {
    Q_OBJECT
public:
    TCSpinEdit(int32_t minValue, int32_t maxValue, int32_t value, QWidget *parent = nullptr);

    int32_t Value() const;
    void SetValue(int32_t value);
    void HoldToLimits();
    int32_t MinValue() const { return Min; }
    int32_t MaxValue() const { return Max; }
    /* What a decimal mark typed into the edit is answered with, beside the edit. */
    void SetFractionNote(const QString &note) { FractionNote = note; }

    TCSpinButton *Button;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int32_t Held(int32_t value) const;
    void Step(int32_t delta);
    bool RefusesFraction(const QString &typed);

    int32_t Min;
    int32_t Max;
    QString FractionNote;
    /* A decimal mark was refused: the digits typed next are its fraction. */
    bool InFraction = false;
};

/* A frame that draws a rectangle or only its top edge, raised or lowered,
 * and nothing else; it takes no input. */
class TBevel : public QWidget {
public:
    enum TShape { Frame, TopLine };
    enum TStyle { Raised, Lowered };
    TBevel(TShape shape, TStyle style, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TShape Shape;
    TStyle Style;
};

#endif
