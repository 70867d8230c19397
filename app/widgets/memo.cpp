#include "app/widgets/memo.h"

#include <QTextBlock>
#include <QTextDocument>

#include "app/qt_text.h"

namespace vt {

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    // A memo the user has emptied holds no lines. AddLine and SetLines mark
    // an empty first line after this has run.
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (document()->isEmpty()) setProperty("vtHasLines", false);
    });
}

void TMemo::AddLine(const std::string& ansi)
{
    if (LineCount() == 0) {
        setPlainText(Q(ansi));
        // An empty first line still counts as a line.
        setProperty("vtHasLines", true);
    } else if (document()->isEmpty()) {
        // After one empty line; appending to an empty document would fill
        // that line instead of starting a new one.
        setPlainText(QLatin1Char('\n') + Q(ansi));
    } else {
        appendPlainText(Q(ansi));
    }
}

void TMemo::SetLines(const std::vector<std::string>& lines)
{
    ClearLines();
    QStringList text;
    for (const auto& line : lines) text << Q(line);
    setPlainText(text.join(QLatin1Char('\n')));
    setProperty("vtHasLines", !lines.empty());
}

std::vector<std::string> TMemo::Lines() const
{
    std::vector<std::string> lines;
    if (LineCount() == 0) return lines;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
        lines.push_back(A(b.text()));
    return lines;
}

int TMemo::LineCount() const
{
    if (document()->isEmpty() && !property("vtHasLines").toBool()) return 0;
    return document()->blockCount();
}

void TMemo::ClearLines()
{
    clear();
    setProperty("vtHasLines", false);
}

}  // namespace vt
