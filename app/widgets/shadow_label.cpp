#include "app/widgets/shadow_label.h"

#include <QPainter>
#include <QPalette>

namespace vt {

TShadowLabel::TShadowLabel(QWidget* parent)
    : QWidget(parent),
      fontColor_(palette().color(QPalette::WindowText)),
      shadowColor_(palette().color(QPalette::Highlight))
{
}

void TShadowLabel::SetCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void TShadowLabel::SetFontColor(const QColor& color)
{
    fontColor_ = color;
    update();
}

void TShadowLabel::SetShadow(int size, const QColor& color, ShadowPos pos)
{
    shadowSize_ = size;
    shadowColor_ = color;
    shadowPos_ = pos;
    update();
}

void TShadowLabel::SetAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    update();
}

void TShadowLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(font());
    const int dx = shadowPos_ == ShadowPos::UpperLeft ? -shadowSize_ : shadowSize_;
    const int dy = -shadowSize_;
    const int flags = static_cast<int>(alignment_) | Qt::TextDontClip;
    // Leave room for the shadow so that it is not cut at the top edge.
    const QRect text = rect().adjusted(shadowSize_, shadowSize_, -shadowSize_, 0);
    if (shadowSize_ > 0) {
        p.setPen(shadowColor_);
        p.drawText(text.translated(dx, dy), flags, caption_);
    }
    p.setPen(fontColor_);
    p.drawText(text, flags, caption_);
}

}  // namespace vt
