#include "app/widgets/panel_canvas.h"

#include <QAbstractButton>

#include "app/look.h"
#include "app/widgets/ellipse_shape.h"

namespace vt {

TPanelCanvas::TPanelCanvas(QWidget* panel, const QAbstractButton* destroyBox)
    : panel_(panel), destroyBox_(destroyBox)
{
}

void TPanelCanvas::NewShape()
{
    shape_ = new TEllipseShape(panel_);
}

void TPanelCanvas::SetHeight(std::int32_t height)
{
    shape_->resize(shape_->width(), height);
}

void TPanelCanvas::SetWidth(std::int32_t width)
{
    shape_->resize(width, shape_->height());
}

void TPanelCanvas::SetShapeEllipse()
{
    shape_->SetShape(TEllipseShape::TShapeType::Ellipse);
}

void TPanelCanvas::SetBrushColor(std::uint32_t color)
{
    shape_->SetBrushColor(Bgr(color));
}

void TPanelCanvas::SetLeft(std::int32_t left)
{
    shape_->move(left, shape_->y());
}

void TPanelCanvas::SetTop(std::int32_t top)
{
    shape_->move(shape_->x(), top);
}

void TPanelCanvas::ShowShape()
{
    shape_->setVisible(true);
    if (shape_->width() > 0 && shape_->height() > 0) ++paintableShown_;
}

void TPanelCanvas::RepaintPanel()
{
    panel_->repaint();
}

bool TPanelCanvas::DestroysShapes()
{
    return destroyBox_ == nullptr || destroyBox_->isChecked();
}

void TPanelCanvas::DestroyShape()
{
    delete shape_;
    shape_ = nullptr;
}

}  // namespace vt
