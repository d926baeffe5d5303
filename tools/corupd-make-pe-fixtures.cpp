// corupd-make-pe-fixtures <folder>: writes the small PE files the tests read, with
// expected.tsv giving each file's fixed file version (or NONE).
#include "PeImageWriter.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct Fixture {
    const char* name;
    bool pe32Plus;
    int words[4]; // -1: no version resource
    std::uint16_t language;
    bool withFixedInfo;
};

constexpr Fixture kFixtures[] = {
    {"v1_0_0_0.exe", true, {1, 0, 0, 0}, 0x0409, true},
    {"v10_123_4_0.exe", true, {10, 123, 4, 0}, 0x0409, true},
    {"v5_2_3_4_pe32.exe", false, {5, 2, 3, 4}, 0x0409, true},
    {"v65535_max.exe", true, {65535, 65535, 65535, 65535}, 0x0409, true},
    {"v3_5_12_7_de.exe", true, {3, 5, 12, 7}, 0x0407, true},
    {"noversion.exe", true, {-1, -1, -1, -1}, 0x0409, true},
    {"nofixed.exe", true, {2, 0, 0, 0}, 0x0409, false},
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::ofstream tsv(folder + "/expected.tsv", std::ios::binary | std::ios::trunc);
    for (const Fixture& f : kFixtures) {
        pewriter::PeImageOptions o;
        o.pe32Plus = f.pe32Plus;
        o.language = f.language;
        o.withFixedInfo = f.withFixedInfo;
        if (f.words[0] >= 0)
            for (int i = 0; i < 4; ++i)
                o.versionWords[i] = static_cast<std::uint16_t>(f.words[i]);
        if (!pewriter::WriteFile(folder + "/" + f.name, pewriter::MakePeImage(o))) {
            std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), f.name);
            return 1;
        }
        tsv << f.name << '\t';
        if (f.words[0] < 0 || !f.withFixedInfo)
            tsv << "NONE";
        else
            tsv << f.words[0] << '.' << f.words[1] << '.' << f.words[2] << '.' << f.words[3];
        tsv << '\n';
    }
    tsv.close();
    return tsv ? 0 : 1;
}
