#include "Com.h"

#ifdef _WIN32
#include <objbase.h>
#endif

namespace platform {

#ifdef _WIN32
void ComInitialize() {
    CoInitialize(nullptr);
}
void ComUninitialize() {
    CoUninitialize();
}
#else
// Nothing off Windows uses COM: the calls stay so start-up and shutdown read the same.
void ComInitialize() {}
void ComUninitialize() {}
#endif

} // namespace platform
