#pragma once
// Program files, folders and archive checks shared by the file-list tests and the window tests.
#include "PeImageWriter.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace filefixtures {

inline std::filesystem::path Fs(const QString& s) {
    return std::filesystem::path(s.toStdU16String());
}

// A PE image with the given version (none: without a version resource), grown to `size`
// bytes with a hole when asked, so large files cost no disk.
inline void WriteProgram(const QString& path, std::optional<std::array<std::uint16_t, 4>> version,
                         std::uint64_t size = 0) {
    pewriter::PeImageOptions o;
    if (version)
        for (int i = 0; i < 4; ++i)
            o.versionWords[i] = (*version)[i];
    const std::vector<std::uint8_t> image = pewriter::MakePeImage(o);
    ASSERT_TRUE(pewriter::WriteFile(path.toStdString(), image)) << path.toStdString();
    if (size > image.size())
        std::filesystem::resize_file(Fs(path), size);
}

inline void WriteProgram(const QString& path, std::uint16_t major, std::uint16_t minor,
                         std::uint16_t release, std::uint16_t build = 0, std::uint64_t size = 0) {
    WriteProgram(path, std::array<std::uint16_t, 4>{major, minor, release, build}, size);
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Sets the last-write time of a file or folder to a local date and time.
inline void SetModified(const QString& path, const QDateTime& local) {
    const auto sys = std::chrono::sys_seconds(std::chrono::seconds(local.toSecsSinceEpoch()));
    std::filesystem::last_write_time(Fs(path), std::chrono::file_clock::from_sys(sys));
}

struct ToolRun {
    int exitCode = -1;
    QString output;
};
inline ToolRun Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAll())};
}

// The archive as two other readers see it: `unzip -t` passes, and Python's zipfile finds
// exactly one Deflate entry of that name holding the original file's bytes.
inline ::testing::AssertionResult ArchiveHoldsOnly(const QString& archive, const QString& entry,
                                                   const QString& original) {
    const ToolRun unzip = Run(QStringLiteral("unzip"), {QStringLiteral("-t"), archive});
    if (unzip.exitCode != 0)
        return ::testing::AssertionFailure() << "unzip -t: " << unzip.output.toStdString();
    static const char* script =
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "infos = z.infolist()\n"
        "assert len(infos) == 1, [i.filename for i in infos]\n"
        "i = infos[0]\n"
        "assert i.filename == sys.argv[2], i.filename\n"
        "assert i.compress_type == zipfile.ZIP_DEFLATED, i.compress_type\n"
        "assert z.testzip() is None\n"
        "assert z.read(i) == open(sys.argv[3], 'rb').read(), 'content differs'\n"
        "print('OK')\n";
    const ToolRun py =
        Run(QStringLiteral("python3"),
            {QStringLiteral("-c"), QString::fromLatin1(script), archive, entry, original});
    if (py.exitCode != 0 || !py.output.contains(QLatin1String("OK")))
        return ::testing::AssertionFailure() << "zipfile: " << py.output.toStdString();
    return ::testing::AssertionSuccess();
}

} // namespace filefixtures
