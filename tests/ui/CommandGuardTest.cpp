// The guard every command runs through: the catch-all error box and the re-entry rule.
#include "AppError.h"
#include "WindowFixture.h"

#include <stdexcept>

using CommandGuard = WindowFixture;

TEST_F(CommandGuard, CatchAllBoxAddsAFullStopAfterALetterOrDigit) {
    struct Case {
        const char* message;
        const char* shown;
    };
    const Case cases[] = {
        {"Cannot open file", "Cannot open file."},
        {"Error 5", "Error 5."},
        {"Already stopped.", "Already stopped."},
        {"Stop!", "Stop!"},
        {"Archive not written (disk full)", "Archive not written (disk full)"},
        {"Path C:\\ZIPFiles\\", "Path C:\\ZIPFiles\\."}, // '\' is above '.'
        {"Written: 100%", "Written: 100%"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        boxes->boxes.clear();
        EXPECT_TRUE(window->RunCommand([&] { throw AppError(QString::fromUtf8(c.message)); }));
        ASSERT_EQ(boxes->boxes.size(), 1);
        EXPECT_EQ(boxes->boxes[0].kind, "error");
        EXPECT_EQ(boxes->boxes[0].caption, "CORVANE : Program Version Control");
        EXPECT_EQ(boxes->boxes[0].text, QString::fromUtf8(c.shown));
    }

    // Not only our own errors: anything escaping a command is reported the same way.
    boxes->boxes.clear();
    window->RunCommand([] { throw std::runtime_error("Stream read error"); });
    window->RunCommand([] { throw 42; });
    ASSERT_EQ(boxes->boxes.size(), 2);
    EXPECT_EQ(boxes->boxes[0].text, "Stream read error.");
    EXPECT_EQ(boxes->boxes[1].text, "Unknown error.");
    EXPECT_FALSE(window->commandRunning());
}

TEST_F(CommandGuard, CommandStartedWhileAnotherRunsIsIgnored) {
    TfrmMAIN000& w = *window;
    int inner = 0;
    bool accepted = true;
    EXPECT_TRUE(w.RunCommand([&] {
        EXPECT_TRUE(w.commandRunning());
        accepted = w.RunCommand([&] { ++inner; });
        // So is a key or click that reaches a command meanwhile.
        w.pgMain->setCurrentIndex(1);
        w.acClose->trigger();
    }));
    EXPECT_FALSE(accepted);
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(w.pgMain->currentIndex(), 1);
    EXPECT_FALSE(w.commandRunning());

    // Once the first has ended, the next one runs.
    EXPECT_TRUE(w.RunCommand([&] { ++inner; }));
    EXPECT_EQ(inner, 1);
    w.acClose->trigger();
    EXPECT_EQ(w.pgMain->currentIndex(), 0);

    // A command that failed does not leave the guard closed.
    w.RunCommand([] { throw AppError("failed"); });
    EXPECT_TRUE(w.RunCommand([&] { ++inner; }));
    EXPECT_EQ(inner, 2);
}
