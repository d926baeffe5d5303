// Upload and test download of a large release through the embedded store, with the peak memory
// each one takes. A process's peak resident size only ever grows, so every measured run is a
// fresh copy of this program (started with --cloud-child) that reports its idle peak, its peak
// after the operation and the time the operation took.
//
//   bench_cloud [--archive-mb=N] [Google Benchmark flags]
#include "DataCMN.h"
#include "DataSYS.h"
#include "PathUtil.h"
#include "ReleaseUpload.h"
#include "StoreBuilder.h"
#include "TestDownload.h"
#include "platform/ZipWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const QString kProgram = QStringLiteral("CORBIG");
const QString kArchiveName = QStringLiteral("CORBIG_100.ZIP");

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss; // KiB on Linux
}

// --- the measured child ---

void pointAtStore(const QString& work) {
    const QString store = work + QStringLiteral("/store");
    const EmbeddedStoreOptions o;
    sCommonHost = sCloudHost = store;
    sCommonDBName = o.commonName;
    sCloudDBName = o.cloudName;
    sCommonUser = sCloudUser = o.user;
    sCommonPswd = sCloudPswd = o.pswd;
    sCommonConnector = sCloudConnector = QStringLiteral("SQLite");
    sExePath = work + QStringLiteral("/tool/");
}

int runChild(const QString& op, const QString& work) {
    pointAtStore(work);
    TcData data;
    cData = &data;
    data.ConnectDB_Common();
    data.ConnectDB_Cloud();
    const long idle = peakKiB();
    QElapsedTimer t;
    t.start();
    if (op == QLatin1String("upload")) {
        ReleaseRecord r;
        r.progName = kProgram;
        r.version = QStringLiteral("100");
        r.critical = QStringLiteral("N");
        const TcData::UnitResult result =
            UploadRelease(data, r, sExePath + QStringLiteral("ZIPFiles/") + kArchiveName, true);
        if (!result.committed) {
            std::fprintf(stderr, "upload failed: %s\n", qPrintable(result.error));
            return 2;
        }
    } else {
        if (TestDownload(data, kArchiveName, kProgram, sExePath) != DownloadResult::Unpacked) {
            std::fprintf(stderr, "download did not unpack\n");
            return 2;
        }
    }
    const double seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    std::printf("%ld %ld %.6f\n", idle, peakKiB(), seconds);
    cData = nullptr;
    return 0;
}

// --- the parent: one store and one archive for every run ---

struct Workspace {
    QTemporaryDir dir;
    qint64 archiveBytes = 0;
};

Workspace* g_work = nullptr;
bool g_uploaded = false;
int g_archiveMB = 200;

// Incompressible content, written in pieces so the parent stays small too.
void makeArchive(Workspace& w) {
    const QString tool = w.dir.path() + QStringLiteral("/tool/");
    QDir().mkpath(tool + QStringLiteral("ZIPFiles"));
    QDir().mkpath(tool + QStringLiteral("Temp"));
    const QString source = w.dir.path() + QStringLiteral("/CORBIG.EXE");
    {
        QFile f(source);
        f.open(QIODevice::WriteOnly);
        QByteArray piece(1 << 20, Qt::Uninitialized);
        std::uint64_t x = 0x9E3779B97F4A7C15ull;
        for (int mb = 0; mb < g_archiveMB; ++mb) {
            for (qsizetype i = 0; i + 8 <= piece.size(); i += 8) {
                x ^= x << 13;
                x ^= x >> 7;
                x ^= x << 17;
                std::memcpy(piece.data() + i, &x, 8);
            }
            f.write(piece);
        }
    }
    platform::ZipWriter writer;
    writer.SetLevel(1);
    writer.Create(ToFsPath(tool + QStringLiteral("ZIPFiles/") + kArchiveName));
    writer.AddFile(ToFsPath(source), "CORBIG.EXE");
    writer.Close();
    QFile::remove(source);
    w.archiveBytes = QFileInfo(tool + QStringLiteral("ZIPFiles/") + kArchiveName).size();
    CreateEmbeddedStore(w.dir.path() + QStringLiteral("/store"));
}

bool runMeasured(benchmark::State& state, const char* op) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--cloud-child=") + QLatin1String(op), g_work->dir.path()});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        state.SkipWithError("the measured run failed");
        return false;
    }
    long idle = 0, peak = 0;
    double seconds = 0;
    if (std::sscanf(child.readAllStandardOutput().constData(), "%ld %ld %lf", &idle, &peak,
                    &seconds) != 3) {
        state.SkipWithError("the measured run reported nothing");
        return false;
    }
    state.SetIterationTime(seconds);
    const double archiveMiB = static_cast<double>(g_work->archiveBytes) / 1048576.0;
    const double aboveIdleMiB = static_cast<double>(peak - idle) / 1024.0;
    state.counters["archive_MiB"] = archiveMiB;
    state.counters["idle_MiB"] = static_cast<double>(idle) / 1024.0;
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
    state.counters["above_idle_MiB"] = aboveIdleMiB;
    state.counters["above_idle_x_archive"] = aboveIdleMiB / archiveMiB;
    state.counters["MiB_per_s"] = archiveMiB / seconds;
    return true;
}

void BM_Upload(benchmark::State& state) {
    for (auto _ : state)
        g_uploaded = runMeasured(state, "upload") || g_uploaded;
}

// Downloads the release that BM_Upload stored; run alone, it stores one first, unmeasured.
void BM_Download(benchmark::State& state) {
    if (!g_uploaded) {
        QProcess setup;
        setup.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        setup.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--cloud-child=upload"), g_work->dir.path()});
        if (!setup.waitForFinished(-1) || setup.exitCode() != 0) {
            state.SkipWithError("could not store the release to download");
            return;
        }
        g_uploaded = true;
    }
    for (auto _ : state)
        runMeasured(state, "download");
}

BENCHMARK(BM_Upload)->Iterations(1)->Repetitions(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Download)
    ->Iterations(1)
    ->Repetitions(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strncmp(a, "--cloud-child=", 14) == 0 && i + 1 < argc)
            return runChild(QString::fromLatin1(a + 14), QString::fromLocal8Bit(argv[i + 1]));
        if (std::strncmp(a, "--archive-mb=", 13) == 0)
            g_archiveMB = std::max(1, std::atoi(a + 13));
    }
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i)
        if (std::strncmp(argv[i], "--archive-mb=", 13) != 0)
            args.push_back(argv[i]);
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    auto work = std::make_unique<Workspace>();
    g_work = work.get();
    makeArchive(*work);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_work = nullptr;
    return 0;
}
