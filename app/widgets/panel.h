// A panel: the frame of the status labels, the figure box, the drawing area
// and the Test2 tool strip. It shows a raised outer bevel with a lowered inner
// bevel inside it, one pixel each, around its own background.
#pragma once

#include <qdrawutil.h>
#include <QFrame>
#include <QPainter>

namespace vt {

class TPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr) : QFrame(parent)
    {
        // Two pixels of bevel; children keep their own positions.
        setFrameStyle(QFrame::NoFrame);
        setContentsMargins(0, 0, 0, 0);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QPalette& pal = palette();
        const QRect outer = rect();
        qDrawShadePanel(&p, outer, pal, false, 1);
        qDrawShadePanel(&p, outer.adjusted(1, 1, -1, -1), pal, true, 1);
    }
};

}  // namespace vt
