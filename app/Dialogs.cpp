#include "Dialogs.h"

namespace {
// Until the window installs real dialogs (or a test installs a scripted one), boxes go nowhere.
class SilentDialogs final : public Dialogs {
public:
    void error(const QString&, const QString&) override {}
    void information(const QString&, const QString&) override {}
    bool question(const QString&, const QString&) override { return false; }
};

std::unique_ptr<Dialogs>& slot() {
    static std::unique_ptr<Dialogs> d = std::make_unique<SilentDialogs>();
    return d;
}
} // namespace

Dialogs& dialogs() { return *slot(); }

std::unique_ptr<Dialogs> installDialogs(std::unique_ptr<Dialogs> d) {
    std::unique_ptr<Dialogs> old = std::move(slot());
    slot() = d ? std::move(d) : std::make_unique<SilentDialogs>();
    return old;
}
