#include "app/widgets/filename_edit.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "app/dialogs.h"

namespace vt {

TFilenameEdit::TFilenameEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this))
{
    button_->setText(QStringLiteral("..."));
    button_->setFocusPolicy(Qt::NoFocus);
    connect(button_, &QToolButton::clicked, this, [this] { Browse(); });
}

QString TFilenameEdit::Text() const
{
    return edit_->text();
}

void TFilenameEdit::SetText(const QString& text)
{
    edit_->setText(text);
}

namespace {
bool IsBlank(QChar c)
{
    return c.unicode() <= ' ';
}
}  // namespace

QString TFilenameEdit::FirstCommandLineItem(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i < text.size() && text[i] == QLatin1Char('"')) {
        const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
        return close < 0 ? text.mid(i + 1) : text.mid(i + 1, close - i - 1);
    }
    qsizetype end = i;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    return text.mid(i, end - i);
}

QString TFilenameEdit::QuotedName(const QString& name)
{
    return std::any_of(name.begin(), name.end(), IsBlank)
               ? QLatin1Char('"') + name + QLatin1Char('"')
               : name;
}

QString TFilenameEdit::FileName() const
{
    const QString text = edit_->text();
    if (QFileInfo(text).isFile()) return text;
    return FirstCommandLineItem(text);
}

void TFilenameEdit::Browse()
{
    const QString held = FileName();
    const std::optional<QString> chosen = Dialogs().OpenFileName(this, held);
    if (chosen) SetText(QuotedName(*chosen));
    // Raised on both outcomes: the chosen name, or on cancel the one held.
    QString name = chosen.value_or(held);
    bool action = chosen.has_value();
    if (AfterDialog) AfterDialog(name, action);
}

void TFilenameEdit::resizeEvent(QResizeEvent*)
{
    const int buttonWidth = height();
    edit_->setGeometry(0, 0, width() - buttonWidth, height());
    button_->setGeometry(width() - buttonWidth, 0, buttonWidth, height());
}

}  // namespace vt
