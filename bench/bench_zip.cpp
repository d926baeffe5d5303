// Packing and unpacking speed of the tool's own ZIP writer and reader on real binaries
// (the system's shared libraries, concatenated), which is what the tool packs.
#include "platform/ZipReader.h"
#include "platform/ZipWriter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Inputs final {
public:
    Inputs() {
        m_dir = fs::temp_directory_path() / ("corupd-bench-zip-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
    }
    ~Inputs() {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // A file of `size` bytes made of the system's libraries, made once per size.
    const fs::path& Binary(std::size_t size) {
        auto it = m_files.find(size);
        if (it != m_files.end())
            return it->second;
        const fs::path file = m_dir / ("input-" + std::to_string(size) + ".bin");
        std::ofstream out(file, std::ios::binary);
        std::vector<fs::path> libs;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator("/usr/lib/x86_64-linux-gnu", ec))
            if (e.is_regular_file() && !e.is_symlink() &&
                e.path().string().find(".so") != std::string::npos)
                libs.push_back(e.path());
        std::sort(libs.begin(), libs.end());
        std::size_t written = 0;
        std::vector<char> buf(1 << 20);
        for (const fs::path& lib : libs) {
            std::ifstream in(lib, std::ios::binary);
            while (written < size && in) {
                in.read(buf.data(),
                        static_cast<std::streamsize>(std::min(buf.size(), size - written)));
                out.write(buf.data(), in.gcount());
                written += static_cast<std::size_t>(in.gcount());
            }
            if (written >= size)
                break;
        }
        // No libraries where expected: half random, half text, roughly as compressible.
        std::mt19937 rng(1);
        while (written < size) {
            const char c =
                (written / 4096) % 2 ? static_cast<char>(rng()) : "ELF text "[written % 9];
            out.put(c);
            ++written;
        }
        return m_files.emplace(size, file).first->second;
    }

    fs::path Scratch(const std::string& name) const { return m_dir / name; }

private:
    fs::path m_dir;
    std::map<std::size_t, fs::path> m_files;
};

Inputs& TheInputs() {
    static Inputs inputs;
    return inputs;
}

void BM_Pack(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const fs::path& input = TheInputs().Binary(size);
    const fs::path archive = TheInputs().Scratch("pack.zip");
    for (auto _ : state) {
        platform::ZipWriter w;
        w.SetLevel(static_cast<int>(state.range(1)));
        w.Create(archive);
        w.AddFile(input);
        w.Close();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["ratio"] =
        static_cast<double>(fs::file_size(archive)) / static_cast<double>(size);
}

void BM_Extract(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const fs::path& input = TheInputs().Binary(size);
    const fs::path archive = TheInputs().Scratch("extract-" + std::to_string(size) + ".zip");
    {
        platform::ZipWriter w;
        w.Create(archive);
        w.AddFile(input);
        w.Close();
    }
    const fs::path target = TheInputs().Scratch("out");
    for (auto _ : state)
        platform::ExtractAll(archive, target);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

} // namespace

BENCHMARK(BM_Pack)
    ->ArgsProduct({{1 << 20, 30 << 20}, {1, 6, 9}})
    ->ArgNames({"bytes", "level"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extract)->Arg(1 << 20)->Arg(30 << 20)->ArgName("bytes")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
