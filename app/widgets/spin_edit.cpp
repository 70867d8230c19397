#include "app/widgets/spin_edit.h"

#include <QLineEdit>

#include "app/qt_text.h"
#include "platform/convert.h"

namespace vt {

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {}

int TSpinEdit::Value() const
{
    std::int32_t v = 0;
    if (!TryStrToInt(A(lineEdit()->text()), v)) return minimum();
    return std::clamp(v, minimum(), maximum());
}

}  // namespace vt
