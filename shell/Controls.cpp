/* Controls.cpp - the small controls of the window. */
#include "Controls.h"

#include <QFocusEvent>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>

TEdit::TEdit(QWidget *parent) : QLineEdit(parent) {}

void TEdit::keyPressEvent(QKeyEvent *event)
{
    emit KeyDown(event->key(), event->modifiers());
    QLineEdit::keyPressEvent(event);
}

void TEdit::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        emit KeyUp(event->key(), event->modifiers());
    QLineEdit::keyReleaseEvent(event);
}

void TEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    emit Exit();
}

TComboBox::TComboBox(QWidget *parent) : QComboBox(parent) {}

void TComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        emit Exit();
}

TCSpinButton::TCSpinButton(QWidget *parent)
    : QWidget(parent), UpButton(new QToolButton(this)), DownButton(new QToolButton(this))
{
    setFocusPolicy(Qt::TabFocus);
    for (QToolButton *button : {UpButton, DownButton}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
    }
    UpButton->setArrowType(Qt::UpArrow);
    DownButton->setArrowType(Qt::DownArrow);
    connect(UpButton, &QToolButton::clicked, this, &TCSpinButton::UpClick);
    connect(DownButton, &QToolButton::clicked, this, &TCSpinButton::DownClick);
}

void TCSpinButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        emit UpClick();
        break;
    case Qt::Key_Down:
        emit DownClick();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TCSpinButton::resizeEvent(QResizeEvent *)
{
    int upper = height() / 2;
    UpButton->setGeometry(0, 0, width(), upper);
    DownButton->setGeometry(0, upper, width(), height() - upper);
}

TCSpinEdit::TCSpinEdit(int32_t minValue, int32_t maxValue, int32_t value, QWidget *parent)
    : TEdit(parent), Button(new TCSpinButton(this)), Min(minValue), Max(maxValue)
{
    /* Nine digits always fit the 32-bit value, whatever is typed. */
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,9}")), this));
    Button->setFocusPolicy(Qt::NoFocus);
    Button->setCursor(Qt::ArrowCursor);
    connect(Button, &TCSpinButton::UpClick, this, [this] { Step(1); });
    connect(Button, &TCSpinButton::DownClick, this, [this] { Step(-1); });
    SetValue(value);
}

int32_t TCSpinEdit::Value() const
{
    bool ok = false;
    int32_t value = text().toInt(&ok);
    return ok ? value : Min;
}

void TCSpinEdit::SetValue(int32_t value)
{
    setText(QString::number(Held(value)));
}

int32_t TCSpinEdit::Held(int32_t value) const
{
    return value < Min ? Min : value > Max ? Max : value;
}

void TCSpinEdit::Step(int32_t delta)
{
    SetValue(Held(Value()) + delta);
}

/* A decimal mark, and the digits after it, never reach the text: 1.8 typed
 * would read 18 there. The edit keeps its value and says why. */
bool TCSpinEdit::RefusesFraction(const QString &typed)
{
    const bool mark = typed == QLatin1String(".") || typed == QLatin1String(",");
    const bool fraction = mark || (InFraction && typed.size() == 1 && typed[0].isDigit());
    InFraction = fraction;
    if (fraction)
        QToolTip::showText(mapToGlobal(QPoint(0, height())), FractionNote, this);
    return fraction;
}

void TCSpinEdit::keyPressEvent(QKeyEvent *event)
{
    if (RefusesFraction(event->text()))
        return;
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        emit KeyDown(event->key(), event->modifiers());
        Step(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    }
    TEdit::keyPressEvent(event);
}

void TCSpinEdit::HoldToLimits()
{
    if (text() != QString::number(Held(Value())))
        SetValue(Value());
}

void TCSpinEdit::focusOutEvent(QFocusEvent *event)
{
    InFraction = false;
    HoldToLimits();
    TEdit::focusOutEvent(event);
}

void TCSpinEdit::resizeEvent(QResizeEvent *event)
{
    TEdit::resizeEvent(event);
    int width = 15;
    Button->setGeometry(this->width() - width - 2, 2, width, height() - 4);
    setTextMargins(0, 0, width, 0);
}

TBevel::TBevel(TShape shape, TStyle style, QWidget *parent) : QWidget(parent), Shape(shape), Style(style)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TBevel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QColor light = palette().color(QPalette::Light);
    QColor dark = palette().color(QPalette::Dark);
    QColor first = Style == Raised ? light : dark;
    QColor second = Style == Raised ? dark : light;
    if (Shape == TopLine) {
        painter.setPen(first);
        painter.drawLine(0, 0, width() - 1, 0);
        painter.setPen(second);
        painter.drawLine(0, 1, width() - 1, 1);
        return;
    }
    /* Two offset rectangles give the embossed (raised) or etched (lowered) edge. */
    painter.setPen(second);
    painter.drawRect(1, 1, width() - 2, height() - 2);
    painter.setPen(first);
    painter.drawRect(0, 0, width() - 2, height() - 2);
}

QFont MakeFont(const char *family, int pixels, bool bold)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    /* The stand-in runs wider than the fonts the layout was drawn for; its
     * semi-condensed face keeps the captions within their places. */
    if (QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) != 0)
        font.setStretch(QFont::SemiCondensed);
    return font;
}

void SetColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

QLabel *MakeLabel(QWidget *parent, const QString &caption, const QRect &place, const QFont &font)
{
    QLabel *label = new QLabel(caption, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    /* Labels take the width of their caption, never less than planned. */
    label->setGeometry(place.x(), place.y(), std::max(place.width(), label->sizeHint().width()), place.height());
    return label;
}

QPushButton *MakeButton(QWidget *parent, const QString &name, const QString &caption, const QFont &font,
                        const QRect &place)
{
    QPushButton *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFont(font);
    SetColor(button, QPalette::ButtonText, QColor(128, 0, 0)); /* maroon */
    button->setGeometry(place);
    return button;
}

QWidget *Place(QWidget *control, const QString &name, const QRect &place)
{
    control->setObjectName(name);
    control->setGeometry(place);
    return control;
}
