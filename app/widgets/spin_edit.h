// An integer spin edit with bounds (the year fields of the projection page).
// The control keeps its value within the bounds; Value() reads the text as the
// user left it and reports the lower bound when it is not a whole number.
#pragma once

#include <QSpinBox>

namespace vt {

class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    int Value() const;
};

}  // namespace vt
