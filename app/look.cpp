#include "app/look.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QWidget>
#include <algorithm>

namespace vt {

namespace {
int TextWidth(const QFont& font, const QString& text)
{
    const QFontMetrics fm(font);
    int width = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        width = std::max(width, fm.horizontalAdvance(line));
    return width;
}
}  // namespace

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

QFont FitFontToWidth(const QFont& font, const QString& text, int width)
{
    const int needed = TextWidth(font, text);
    if (needed <= width || needed <= 0 || width <= 0) return font;
    QFont narrowed = font;
    int stretch = std::max(50, 100 * width / needed);
    narrowed.setStretch(stretch);
    // Hinting rounds the advances; step down until it really fits.
    while (stretch > 50 && TextWidth(narrowed, text) > width) narrowed.setStretch(--stretch);
    return narrowed;
}

void FitCaption(QLabel* label)
{
    label->setFont(FitFontToWidth(label->font(), label->text(), label->contentsRect().width()));
}

}  // namespace vt
