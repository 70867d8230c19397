#include "app/widgets/filename_edit.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

#include "app/dialogs.h"

namespace vt {

TFilenameEdit::TFilenameEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this))
{
    button_->setText(QStringLiteral("..."));
    button_->setFocusPolicy(Qt::NoFocus);
    connect(button_, &QToolButton::clicked, this, [this] { Browse(); });
}

QString TFilenameEdit::Text() const { return edit_->text(); }

void TFilenameEdit::SetText(const QString& text) { edit_->setText(text); }

QString TFilenameEdit::FileName() const
{
    const QString text = edit_->text();
    if (QFileInfo(text).isFile()) return text;
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('"'))) {
        const int end = t.indexOf(QLatin1Char('"'), 1);
        return end < 0 ? t.mid(1) : t.mid(1, end - 1);
    }
    const int blank = t.indexOf(QLatin1Char(' '));
    return blank < 0 ? t : t.left(blank);
}

void TFilenameEdit::Browse()
{
    const auto chosen = Dialogs().OpenFileName(this, FileName());
    QString name = chosen.value_or(FileName());
    bool action = chosen.has_value();
    if (chosen) SetText(name.contains(QLatin1Char(' ')) ? QLatin1Char('"') + name + QLatin1Char('"') : name);
    if (AfterDialog) AfterDialog(name, action);
}


void TFilenameEdit::resizeEvent(QResizeEvent*)
{
    const int buttonWidth = height();
    edit_->setGeometry(0, 0, width() - buttonWidth, height());
    button_->setGeometry(width() - buttonWidth, 0, buttonWidth, height());
}

}  // namespace vt
