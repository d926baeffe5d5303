// Loading the program file list of a folder of 1,000 versioned program files (about 1 MB each,
// the padding a hole so it costs no disk) into the real window, a catalogue lookup per row.
#include "DataCMN.h"
#include "DataSYS.h"
#include "MAIN000.h"
#include "PeImageWriter.h"
#include "SqlDialect.h"
#include "StoreBuilder.h"
#include "StringGrid.h"
#include "TsData.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>

namespace {

constexpr int kFiles = 1000;
constexpr std::uintmax_t kFileSize = 1024 * 1024 + 4096;

QString ProgramName(int i) {
    return QStringLiteral("CORP%1").arg(i, 4, 10, QLatin1Char('0'));
}

class ToolFolder {
  public:
    ToolFolder() {
        const QString tool = m_dir.path() + QLatin1Char('/');
        for (int i = 0; i < kFiles; ++i) {
            const QString path = tool + ProgramName(i) + QStringLiteral(".EXE");
            pewriter::WriteFile(path.toStdString(),
                                pewriter::MakeVersionedPe(1 + i % 9, i % 100, i % 17, 0));
            std::filesystem::resize_file(path.toStdString(), kFileSize);
        }
        QDir(tool).mkdir(QStringLiteral("ZIPFiles"));

        // The catalogue knows every program.
        const QString store = m_dir.filePath(QStringLiteral("store"));
        QDir().mkpath(store);
        QString sql = EmbeddedCommonDdl() + QStringLiteral("\nBEGIN;");
        for (int i = 0; i < kFiles; ++i)
            sql += QStringLiteral("\nINSERT INTO vcVersions (PgmName, Description, Version) "
                                  "VALUES (%1, %2, '1');")
                       .arg(SqlLiteral(ProgramName(i)),
                            SqlLiteral(QStringLiteral("Program number %1").arg(i)));
        sql += QStringLiteral("\nCOMMIT;");
        RunOnEmbeddedFile(store + QStringLiteral("/CorvaneCommon.db"), sql);

        sCommonConnector = QStringLiteral("SQLite");
        sCommonHost = store;
        sCommonDBName = QStringLiteral("CorvaneCommon");
        m_resources = std::make_unique<TsData>();
        m_data = std::make_unique<TcData>();
        cData = m_data.get();
        m_data->ConnectDB_Common();
        m_window = std::make_unique<TfrmMAIN000>();
        sExePath = tool;
        m_window->sZIPPath = tool + QStringLiteral("ZIPFiles/");
    }
    ~ToolFolder() {
        m_window.reset();
        m_data->CloseDB_Common();
        cData = nullptr;
    }
    TfrmMAIN000& window() { return *m_window; }

  private:
    QTemporaryDir m_dir;
    std::unique_ptr<TsData> m_resources;
    std::unique_ptr<TcData> m_data;
    std::unique_ptr<TfrmMAIN000> m_window;
};

// Made once in main, within the application's lifetime.
ToolFolder* gFolder = nullptr;

void BM_LoadEXEFileList(benchmark::State& state) {
    TfrmMAIN000& w = gFolder->window();
    for (auto _ : state) {
        w.LoadEXEFileList();
        benchmark::DoNotOptimize(w.grdFilesModel->RowCount());
    }
    if (w.grdFilesModel->RowCount() != kFiles + 1 ||
        w.grdFilesModel->Cell(7, kFiles) != QStringLiteral("Program number %1").arg(kFiles - 1))
        state.SkipWithError("the list is not what the folder holds");
    state.counters["files"] = kFiles;
}
BENCHMARK(BM_LoadEXEFileList)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    {
        ToolFolder folder;
        gFolder = &folder;
        benchmark::RunSpecifiedBenchmarks();
        gFolder = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}
