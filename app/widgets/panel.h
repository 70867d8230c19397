// A panel with a lowered inner bevel, the frame of the status labels, the
// figure box and the drawing area.
#pragma once

#include <QFrame>

namespace vt {

class TPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr) : QFrame(parent)
    {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(1);
    }
};

}  // namespace vt
