#pragma once
#include "Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

// Records every box and answers questions from a script (Yes when the script is empty).
class ScriptedDialogs final : public Dialogs {
public:
    struct Box {
        QString kind; // "error", "information", "question"
        QString caption;
        QString text;
    };
    void error(const QString& caption, const QString& text) override {
        boxes.append({QStringLiteral("error"), caption, text});
    }
    void information(const QString& caption, const QString& text) override {
        boxes.append({QStringLiteral("information"), caption, text});
    }
    bool question(const QString& caption, const QString& text) override {
        boxes.append({QStringLiteral("question"), caption, text});
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    QStringList texts() const {
        QStringList r;
        for (const Box& b : boxes)
            r << b.text;
        return r;
    }
    QList<Box> boxes;
    QList<bool> answers;
};

// Installs a ScriptedDialogs for the lifetime of the object and puts the old ones back after.
class ScopedScriptedDialogs {
public:
    ScopedScriptedDialogs();
    ~ScopedScriptedDialogs();
    ScriptedDialogs* operator->() { return m_dialogs; }
    ScriptedDialogs& operator*() { return *m_dialogs; }

private:
    ScriptedDialogs* m_dialogs;
    std::unique_ptr<Dialogs> m_previous;
};
