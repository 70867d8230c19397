// A file-name edit: a line edit with a browse button that opens the
// file-open dialog (through the dialog seam). Each time the dialog closes,
// chosen or cancelled, AfterDialog is called with the name (the chosen file,
// or on cancel the name the edit already held) and whether the user confirmed.
// A chosen name with a blank in it is written into the edit in double quotes.
#pragma once

#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

namespace vt {

class TFilenameEdit : public QWidget {
    Q_OBJECT
public:
    explicit TFilenameEdit(QWidget* parent = nullptr);

    QLineEdit* Edit() const { return edit_; }
    QToolButton* Button() const { return button_; }

    QString Text() const;
    void SetText(const QString& text);

    // The name the edit yields: its text when that names an existing file,
    // otherwise the first item of the text read as a command line.
    QString FileName() const;

    // Opens the dialog, as the browse button does.
    void Browse();

    // The first item of `text` read as a command line: the name between the
    // first pair of double quotes when it starts with one (to the end when
    // the quote is not closed), otherwise the first blank-delimited word; a
    // blank is any character up to the space.
    static QString FirstCommandLineItem(const QString& text);
    // A name as the edit writes it: in double quotes when it has a blank.
    static QString QuotedName(const QString& name);

    std::function<void(QString& name, bool& action)> AfterDialog;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* edit_;
    QToolButton* button_;
};

}  // namespace vt
