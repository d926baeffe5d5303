#pragma once

namespace platform {

// CoInitialize / CoUninitialize for the calling thread; nothing to do off Windows.
void ComInitialize();
void ComUninitialize();

} // namespace platform
