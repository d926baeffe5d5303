#pragma once
#include <QString>
#include <memory>

// Every message box of the tool goes through this interface, so tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void error(const QString& caption, const QString& text) = 0;
    virtual void information(const QString& caption, const QString& text) = 0;
    // true for Yes
    virtual bool question(const QString& caption, const QString& text) = 0;
};

// The installed dialogs; a silent recorder until the window installs the real ones.
Dialogs& dialogs();
// Installs d (takes ownership); returns the previous one.
std::unique_ptr<Dialogs> installDialogs(std::unique_ptr<Dialogs> d);

// The application title, caption of the catch-all error box and of the tool's own boxes.
inline const QString kApplicationTitle = QStringLiteral("CORVANE : Program Version Control");

// Error box with the application title as caption (error icon, OK button).
inline void ShowErrorBox(const QString& text) { dialogs().error(kApplicationTitle, text); }
