#include "app/look.h"

#include <QPalette>
#include <QWidget>

namespace vt {

QFont DesignFont(const char* family, int pixelHeight, bool bold, bool italic)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void SetBackground(QWidget* widget, const QColor& color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, color);
    p.setColor(QPalette::Window, color);
    widget->setPalette(p);
}

}  // namespace vt
