// The name rule of the file test over arbitrary text: the first command-line
// item never crashes and is part of the text; a name the edit writes (quoted
// when it has a blank) always reads back as that name; and the edit's file
// name is the text itself or its first item.
#include <QApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/widgets/filename_edit.h"

namespace {
vt::TFilenameEdit* edit = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    edit = new vt::TFilenameEdit;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString item = vt::TFilenameEdit::FirstCommandLineItem(text);
    if (!text.contains(item)) std::abort();
    if (item.size() > text.size()) std::abort();

    // A chosen name never holds a double quote; with that, what the edit
    // writes gives the name back.
    if (!text.contains(QLatin1Char('"'))) {
        const QString quoted = vt::TFilenameEdit::QuotedName(text);
        if (vt::TFilenameEdit::FirstCommandLineItem(quoted) != text) std::abort();
    }

    edit->SetText(text);
    const QString name = edit->FileName();
    if (name != edit->Text() && name != vt::TFilenameEdit::FirstCommandLineItem(edit->Text()))
        std::abort();
    return 0;
}
