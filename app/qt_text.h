// The window's edge between the core's Windows-1251 texts and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/cp1251.h"

namespace vt {

inline QString Q(std::string_view ansi) { return QString::fromStdString(Cp1251ToUtf8(ansi)); }

inline std::string A(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

}  // namespace vt
