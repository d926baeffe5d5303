// Placeholder until the upload, the cloud release browser and the test download land.
#include "MAIN000.h"
void TfrmMAIN000::setupCloudGrid() {}
void TfrmMAIN000::btnUploadLIVEClick() {}
void TfrmMAIN000::DeleteCloudProgram(const QString&) {}
void TfrmMAIN000::UploadZIPFile(int) {}
void TfrmMAIN000::LoadCloudGrid() {}
void TfrmMAIN000::dxRefreshClick() { LoadCloudGrid(); }
void TfrmMAIN000::dxDeleteClick() {}
QString TfrmMAIN000::cxGrid1DBTableView1VersionGetDisplayText(const QString& text) const { return text; }
void TfrmMAIN000::btnDownloadClick() {}
