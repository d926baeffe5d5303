#include "ScriptedDialogs.h"

ScopedScriptedDialogs::ScopedScriptedDialogs() {
    auto d = std::make_unique<ScriptedDialogs>();
    m_dialogs = d.get();
    m_previous = installDialogs(std::move(d));
}

ScopedScriptedDialogs::~ScopedScriptedDialogs() { installDialogs(std::move(m_previous)); }
