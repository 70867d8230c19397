// A limit on what the user can type into an edit, and nothing more: the
// program may still set a longer text (the start-up description and disk
// label can be longer; the result line cuts them). QLineEdit's own maximum
// length would cut the program's texts too.
#pragma once

class QLineEdit;

namespace vt {

void LimitTypedLength(QLineEdit* edit, int maxLength);

// The limit set with LimitTypedLength, or 0 for none.
int TypedLengthLimit(const QLineEdit* edit);

}  // namespace vt
