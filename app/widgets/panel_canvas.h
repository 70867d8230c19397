// A panel as the ellipse loop's canvas: each shape is a child of the panel,
// which owns it, and the panel repaints at once, background first and then
// every child, without going through the event queue. The window draws on
// its drawing panel, the batch run on a panel of the same size of its own.
#pragma once

#include <cstdint>

#include "benchmarks/ellipses.h"

class QAbstractButton;
class QWidget;

namespace vt {

class TEllipseShape;

class TPanelCanvas final : public TEllipseCanvas {
public:
    // Each shape is destroyed after its repaint while `destroyBox` is ticked;
    // with no box, always.
    TPanelCanvas(QWidget* panel, const QAbstractButton* destroyBox);

    void NewShape() override;
    void SetHeight(std::int32_t height) override;
    void SetWidth(std::int32_t width) override;
    void SetShapeEllipse() override;
    void SetBrushColor(std::uint32_t color) override;
    void SetLeft(std::int32_t left) override;
    void SetTop(std::int32_t top) override;
    void ShowShape() override;
    void RepaintPanel() override;
    bool DestroysShapes() override;
    void DestroyShape() override;

    // Shapes shown with a width and a height, which a repaint must paint
    // (a shape of no size paints nothing).
    std::int64_t PaintableShown() const { return paintableShown_; }

private:
    QWidget* panel_;
    const QAbstractButton* destroyBox_;
    TEllipseShape* shape_ = nullptr;
    std::int64_t paintableShown_ = 0;
};

}  // namespace vt
