#pragma once
// The main window, the resources module and the database module of one run: created in that
// order, reachable through frmMAIN000, sData and cData, and released in reverse order, so an
// open connection closes with its module.
#include "DataCMN.h"
#include "MAIN000.h"
#include "TsData.h"

class AppModules final {
public:
    AppModules() {
        frmMAIN000 = &window;
        sData = &resources;
        cData = &database;
    }
    ~AppModules() {
        cData = nullptr;
        sData = nullptr;
        frmMAIN000 = nullptr;
    }
    AppModules(const AppModules&) = delete;
    AppModules& operator=(const AppModules&) = delete;

    TfrmMAIN000 window;
    TsData resources;
    TcData database;
};
