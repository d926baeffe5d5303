#pragma once
#include "Dialogs.h"

// The real message boxes, on QMessageBox, parented to the main window when there is one.
class MessageBoxDialogs final : public Dialogs {
public:
    void error(const QString& caption, const QString& text) override;
    void information(const QString& caption, const QString& text) override;
    bool question(const QString& caption, const QString& text) override;
};
