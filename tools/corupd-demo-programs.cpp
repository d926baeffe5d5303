// corupd-demo-programs <folder>: writes the suite's demo program files, each a PE image with a
// real version resource, into the folder the tool lists them from.
#include "PeImageWriter.h"

#include <cstdio>
#include <string>

namespace {

struct DemoProgram {
    const char* name;
    std::uint16_t version[4];
    bool pe32Plus;
    std::size_t size;
};

constexpr DemoProgram kPrograms[] = {
    {"CORVANE.EXE", {3, 5, 12, 7}, true, 2 * 1024 * 1024},
    {"CORPAY.EXE", {5, 2, 3, 4}, false, 850 * 1024},
    {"CORTAX.EXE", {4, 10, 1, 0}, true, 620 * 1024},
    {"CORSTOCK.EXE", {10, 5, 12, 0}, true, 1200 * 1024},
    {"corpos.exe", {1, 0, 0, 0}, false, 310 * 1024},
};

// Filler after the image that compresses about as well as program code does, so packing the
// demo programs gives archives of believable size. Deterministic: the same bytes every run.
void AppendFiller(std::vector<std::uint8_t>& image, std::size_t size, std::uint32_t seed) {
    static const char* const kWords[] = {"Corvane", "ledger", "invoice", "payroll", "stock",
                                         "tax",     "period", "account", "posting", "balance"};
    std::uint32_t state = seed;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    image.reserve(size);
    while (image.size() < size) {
        const std::uint32_t r = next();
        if (r % 3 == 0) {
            for (const char* w = kWords[r / 3 % 10]; *w && image.size() < size; ++w)
                image.push_back(static_cast<std::uint8_t>(*w));
        } else {
            image.push_back(static_cast<std::uint8_t>(r >> 4));
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::uint32_t seed = 1;
    for (const DemoProgram& p : kPrograms) {
        pewriter::PeImageOptions o;
        o.pe32Plus = p.pe32Plus;
        for (int i = 0; i < 4; ++i)
            o.versionWords[i] = p.version[i];
        std::vector<std::uint8_t> image = pewriter::MakePeImage(o);
        AppendFiller(image, p.size, seed++);
        const std::string path = folder + "/" + p.name;
        if (!pewriter::WriteFile(path, image)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\t%u.%u.%u.%u\t%zu bytes\n", p.name, unsigned{p.version[0]},
                    unsigned{p.version[1]}, unsigned{p.version[2]}, unsigned{p.version[3]},
                    image.size());
    }
    return 0;
}
