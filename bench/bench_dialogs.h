// Boxes a benchmark would show are printed to standard error instead, so that
// an unattended run never waits for a click.
#pragma once

#include <cstdio>

#include "app/dialogs.h"

namespace vt::bench {

class PrintedDialogs : public TDialogs {
public:
    void ShowMessage(QWidget*, const QString& text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void ShowError(QWidget*, const QString& text) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
    }
};

}  // namespace vt::bench
