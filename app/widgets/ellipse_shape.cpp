#include "app/widgets/ellipse_shape.h"

#include <QPainter>

namespace vt {

TEllipseShape::TTally TEllipseShape::tally_;

TEllipseShape::TEllipseShape(QWidget* parent) : QWidget(parent)
{
    // Painted into the parent's surface like any alien child; never a window
    // of its own, whatever the platform prefers.
    setAttribute(Qt::WA_NativeWindow, false);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    ++tally_.Created;
}

TEllipseShape::~TEllipseShape()
{
    ++tally_.Destroyed;
}

void TEllipseShape::SetShape(TShapeType shape)
{
    if (shape_ == shape) return;
    shape_ = shape;
    update();
}

void TEllipseShape::SetBrushColor(const QColor& color)
{
    if (brush_ == color) return;
    brush_ = color;
    update();
}

void TEllipseShape::paintEvent(QPaintEvent*)
{
    ++tally_.Painted;
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    painter.setBrush(QBrush(brush_, Qt::SolidPattern));
    // An outline drawn on a rectangle covers one pixel more to the right and
    // below, so the rectangle shrinks by one to keep it inside the control.
    const QRect bounds = rect().adjusted(0, 0, -1, -1);
    if (shape_ == TShapeType::Ellipse)
        painter.drawEllipse(bounds);
    else
        painter.drawRect(bounds);
}

}  // namespace vt
