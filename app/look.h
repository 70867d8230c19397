// Colours and fonts of the window's design.
#pragma once

#include <QColor>
#include <QFont>
#include <cstdint>

class QLabel;
class QWidget;

namespace vt {

// A colour written as a blue-green-red value 0xBBGGRR.
inline QColor Bgr(std::uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

inline const QColor kLightGreen = Bgr(0xC0DCC0);         // editable fields, lists and memos
inline const QColor kLightBlue = QColor(166, 202, 240);  // computed projection fields
inline const QColor kStatusRed = Bgr(0x0000FF);
inline const QColor kStatusGreen = Bgr(0x008000);

// A font by family and height in pixels (the design's negative heights).
QFont DesignFont(const char* family, int pixelHeight, bool bold = false, bool italic = false);

// Sets the background of an edit, list or memo (its Base colour) or of a
// plain widget (its Window colour).
void SetBackground(QWidget* widget, const QColor& color);

// The font narrowed just enough (its stretch lowered, down to half width) for
// every line of `text` to fit `width` pixels. The design's sizes were laid out
// for narrower system fonts than the substitutes found here; narrowing keeps
// both the control's size and its whole caption. Family, height and weight
// stay as requested.
QFont FitFontToWidth(const QFont& font, const QString& text, int width);

// Narrows a fixed-size label's font so that its caption fits its width.
void FitCaption(QLabel* label);

}  // namespace vt
