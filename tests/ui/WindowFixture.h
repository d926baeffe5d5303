#pragma once
// The main window with its two modules, boxes answered by script and no start-up.
#include "DataCMN.h"
#include "DataSYS.h"
#include "MAIN000.h"
#include "ScriptedDialogs.h"
#include "TsData.h"

#include <QLayout>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

class WindowFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearSharedState();
        window = std::make_unique<TfrmMAIN000>();
        resources = std::make_unique<TsData>();
        sData = resources.get();
        database = std::make_unique<TcData>();
        cData = database.get();
    }

    void TearDown() override {
        window.reset();
        cData = nullptr;
        database.reset();
        sData = nullptr;
        resources.reset();
        ClearSharedState();
    }

    // Shows the window and makes it active without running start-up: the first showing queues
    // start-up as a command, and a command that comes while another one runs is ignored.
    void showWithoutStartup() {
        TfrmMAIN000& w = *window;
        bool exposed = false;
        bool startupPassed = false;
        w.RunCommand([&] {
            w.show();
            exposed = QTest::qWaitForWindowExposed(&w);
            startupPassed = QTest::qWaitFor([&] { return w.startupRan(); }, 5000);
        });
        ASSERT_TRUE(exposed);
        ASSERT_TRUE(startupPassed);
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }

    ScopedScriptedDialogs boxes;
    std::unique_ptr<TfrmMAIN000> window;
    std::unique_ptr<TsData> resources;
    std::unique_ptr<TcData> database;
};
