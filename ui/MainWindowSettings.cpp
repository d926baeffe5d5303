// Placeholder until the cloud settings lookup lands.
#include "MAIN000.h"
bool TfrmMAIN000::GetCloudSettings() { return false; }
