#include "benchmarks/person.h"

#include "platform/cp1251.h"

namespace vt {

TPerson* TPerson::Create(std::string_view AName)
{
    auto* person = new TPerson();
    person->Name.Assign(AName);
    return person;
}

void TPerson::SetAddress(std::string_view AAddress)
{
    if (Address.Length == 0) Address.Assign(AAddress);
}

std::string TPerson::ShowText() const
{
    std::string text = Ansi("Фамилия: ");
    text += Name.View();
    text += '\r';
    text += Ansi(" Адрес: ");
    text += Address.View();
    return text;
}

TPerson& TPerson::From(TObject* object)
{
    auto* person = dynamic_cast<TPerson*>(object);
    if (person == nullptr) throw EInvalidCast();
    return *person;
}

}  // namespace vt
