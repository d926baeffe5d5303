#pragma once
#include <stdexcept>
#include <string>

namespace platform {

// Raised by the stand-ins for OS services; what() is UTF-8 text meant for the user.
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace platform
