#include "app/widgets/typed_length.h"

#include <QLineEdit>
#include <QValidator>

namespace vt {

namespace {

class TTypedLengthValidator final : public QValidator {
public:
    TTypedLengthValidator(int maxLength, QObject* parent) : QValidator(parent), max_(maxLength) {}
    State validate(QString& input, int&) const override
    {
        return input.size() > max_ ? Invalid : Acceptable;
    }
    int Max() const { return max_; }

private:
    int max_;
};

}  // namespace

void LimitTypedLength(QLineEdit* edit, int maxLength)
{
    edit->setValidator(new TTypedLengthValidator(maxLength, edit));
}

int TypedLengthLimit(const QLineEdit* edit)
{
    const auto* v = dynamic_cast<const TTypedLengthValidator*>(edit->validator());
    return v ? v->Max() : 0;
}

}  // namespace vt
