// Placeholder until the program file list, packaging and ZIP file list land.
#include "MAIN000.h"
void TfrmMAIN000::setupFileGrids() {}
void TfrmMAIN000::LoadEXEFileList() {}
void TfrmMAIN000::grdFilesCheckBoxClick(int, int, bool) {}
bool TfrmMAIN000::grdFilesCanEditCell(int, int col) const { return col == 0; }
Qt::Alignment TfrmMAIN000::grdFilesGetAlignment(int, int) const { return Qt::AlignLeft; }
void TfrmMAIN000::mnuEXE_SelectALL1Click() {}
void TfrmMAIN000::mnuEXE_DeSelectALL1Click() {}
void TfrmMAIN000::btnCreateZIPFileClick() {}
void TfrmMAIN000::LoadZIPFileList() {}
void TfrmMAIN000::grdZIPFilesCheckBoxClick(int, int, bool) {}
bool TfrmMAIN000::grdZIPFilesCanEditCell(int, int col) const { return col == 0; }
Qt::Alignment TfrmMAIN000::grdZIPFilesGetAlignment(int, int) const { return Qt::AlignLeft; }
void TfrmMAIN000::mnuZIP_SelectALL1Click() {}
void TfrmMAIN000::mnuZIP_DeSelectALL1Click() {}
void TfrmMAIN000::mnuZIP_DeleteZIPFile1Click() {}
