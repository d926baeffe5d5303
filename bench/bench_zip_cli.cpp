// Packs or unpacks one archive with the tool's own ZIP writer and reader and prints the time
// and the process's peak memory, for run-zip-bench.sh to set beside zip and unzip.
//   bench_zip_cli pack <archive> <file> [level]
//   bench_zip_cli extract <archive> <folder>
//   bench_zip_cli idle
// Output: key=value pairs on one line.
#include "platform/PlatformError.h"
#include "platform/ZipReader.h"
#include "platform/ZipWriter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/resource.h>

namespace {

long PeakRssKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

int Usage() {
    std::fputs("usage: bench_zip_cli pack <archive> <file> [level]\n"
               "       bench_zip_cli extract <archive> <folder>\n"
               "       bench_zip_cli idle\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    const long idleKiB = PeakRssKiB();
    try {
        std::uintmax_t bytes = 0;
        std::uintmax_t archiveBytes = 0;
        const auto start = std::chrono::steady_clock::now();
        if (command == "pack" && (argc == 4 || argc == 5)) {
            platform::ZipWriter w;
            if (argc == 5)
                w.SetLevel(std::atoi(argv[4]));
            w.Create(argv[2]);
            w.AddFile(argv[3]);
            w.Close();
            bytes = std::filesystem::file_size(argv[3]);
        } else if (command == "extract" && argc == 4) {
            platform::ExtractAll(argv[2], argv[3]);
            for (const auto& e : platform::ListZipEntries(argv[2]))
                bytes += e.uncompressedSize;
        } else if (command != "idle" || argc != 2) {
            return Usage();
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (command != "idle")
            archiveBytes = std::filesystem::file_size(argv[2]);
        std::printf("seconds=%.4f bytes=%ju archive_bytes=%ju mb_per_s=%.1f idle_rss_kib=%ld "
                    "peak_rss_kib=%ld\n",
                    seconds, bytes, archiveBytes, seconds > 0 ? bytes / seconds / 1e6 : 0.0,
                    idleKiB, PeakRssKiB());
    } catch (const platform::PlatformError& e) {
        std::fprintf(stderr, "bench_zip_cli: %s\n", e.what());
        return 1;
    }
    return 0;
}
