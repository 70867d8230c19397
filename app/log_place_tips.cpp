#include "app/log_place_tips.h"

#include <QFile>
#include <QWidget>

namespace vt {

void ShowResultsLogPlace(QWidget& memo, QWidget& saveButton, const std::string& logPath)
{
    const QString path = QFile::decodeName(QByteArray::fromStdString(logPath));
    memo.setToolTip(QStringLiteral("Results log: %1").arg(path));
    saveButton.setToolTip(QStringLiteral("Append the current result line to %1").arg(path));
}

}  // namespace vt
