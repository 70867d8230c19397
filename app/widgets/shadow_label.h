// A label drawn with a drop shadow: the caption once in the shadow colour,
// offset by the shadow size, then in the font colour on top. By default a
// 1-pixel shadow in the highlight colour to the upper left.
#pragma once

#include <QColor>
#include <QWidget>

namespace vt {

class TShadowLabel : public QWidget {
    Q_OBJECT
public:
    enum class ShadowPos { UpperLeft, UpperRight };

    explicit TShadowLabel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& color);

    void SetShadow(int size, const QColor& color, ShadowPos pos);
    int ShadowSize() const { return shadowSize_; }
    QColor ShadowColor() const { return shadowColor_; }
    ShadowPos ShadowPosition() const { return shadowPos_; }

    void SetAlignment(Qt::Alignment alignment);
    Qt::Alignment Alignment() const { return alignment_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    QColor fontColor_;
    QColor shadowColor_;
    int shadowSize_ = 1;
    ShadowPos shadowPos_ = ShadowPos::UpperLeft;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
};

}  // namespace vt
