#include "app/widgets/shadow_label.h"

#include <QPainter>
#include <QPalette>

#include "app/look.h"

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
    const int flags = static_cast<int>(alignment_);
    // The caption keeps clear of the edge the shadow falls towards, so the
    // shadow stays inside the label.
    const int s = shadowSize_ > 0 ? shadowSize_ : 0;
    p.setFont(FitFontToWidth(font(), caption_, width() - s));
    QRect text = rect();
    QRect shadow;
    if (shadowPos_ == ShadowPos::UpperLeft) {
        text.adjust(s, s, 0, 0);
        shadow = text.translated(-s, -s);
    } else {
        text.adjust(0, s, -s, 0);
        shadow = text.translated(s, -s);
    }
    if (s > 0) {
        p.setPen(shadowColor_);
        p.drawText(shadow, flags, caption_);
    }
    p.setPen(fontColor_);
    p.drawText(text, flags, caption_);
}

}  // namespace vt
