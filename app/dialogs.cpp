#include "app/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace vt {

namespace {
TDialogs* installed = nullptr;

void Box(QWidget* parent, QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok, parent);
    box.exec();
}
}  // namespace

void TDialogs::ShowMessage(QWidget* parent, const QString& text)
{
    Box(parent, QMessageBox::NoIcon, text);
}

void TDialogs::ShowError(QWidget* parent, const QString& text)
{
    Box(parent, QMessageBox::Critical, text);
}

std::optional<QString> TDialogs::OpenFileName(QWidget* parent, const QString& current)
{
    const QString dir = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QString name = QFileDialog::getOpenFileName(parent, QString(), dir);
    if (name.isEmpty()) return std::nullopt;
    return name;
}

TDialogs& Dialogs()
{
    static TDialogs qtDialogs;
    return installed ? *installed : qtDialogs;
}

void SetDialogs(TDialogs* dialogs) { installed = dialogs; }

}  // namespace vt
