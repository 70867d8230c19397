// A lightweight shape control: a child widget without a native window of its
// own, painted by its parent's repaint. It draws its shape inscribed in its
// rectangle with a black one-pixel solid pen and a solid brush; until a shape
// is chosen it is a rectangle. A shape with no width or height paints nothing.
#pragma once

#include <QColor>
#include <QWidget>
#include <cstdint>

namespace vt {

class TEllipseShape : public QWidget {
    Q_OBJECT
public:
    enum class TShapeType { Rectangle, Ellipse };

    explicit TEllipseShape(QWidget* parent);
    ~TEllipseShape() override;

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType shape);

    QColor BrushColor() const { return brush_; }
    void SetBrushColor(const QColor& color);

    // Process-wide tallies, so that tests can count what a run made and
    // painted without hooking into the loop.
    struct TTally {
        std::int64_t Created = 0;
        std::int64_t Destroyed = 0;
        std::int64_t Painted = 0;
    };
    static const TTally& Tally() { return tally_; }
    static void ResetTally() { tally_ = TTally{}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static TTally tally_;
    TShapeType shape_ = TShapeType::Rectangle;
    QColor brush_ = Qt::white;
};

}  // namespace vt
