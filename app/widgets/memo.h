// A multi-line text box holding Windows-1251 lines (the results memo, the
// About text, the HDD test's record). Lines are added at the end, one
// paragraph each. A memo holds no lines until one is added (an empty line is a
// line) and again once it is cleared or the user has deleted all its text.
#pragma once

#include <QPlainTextEdit>
#include <string>
#include <vector>

namespace vt {

class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMemo(QWidget* parent = nullptr);

    void AddLine(const std::string& ansi);
    void SetLines(const std::vector<std::string>& lines);
    std::vector<std::string> Lines() const;
    int LineCount() const;
    void ClearLines();
};

}  // namespace vt
