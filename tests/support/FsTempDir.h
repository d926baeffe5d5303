#pragma once
// A temporary folder for the plain C++ tests (no Qt), removed with everything in it.
#include <filesystem>
#include <stdlib.h>
#include <string>
#include <system_error>

class FsTempDir {
public:
    explicit FsTempDir(const std::string& prefix = "corupd") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        m_path = mkdtemp(pattern.data());
    }
    ~FsTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    FsTempDir(const FsTempDir&) = delete;
    FsTempDir& operator=(const FsTempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};
