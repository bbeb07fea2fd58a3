#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "settings/big_ini_file.h"

namespace {

namespace fs = std::filesystem;

// A folder for the benchmark's files, removed at exit.
class BenchFolder {
  public:
    BenchFolder()
        : dir_(fs::temp_directory_path() / ("vela-settings-bench-" + std::to_string(::getpid()))) {
        fs::create_directories(dir_);
    }
    ~BenchFolder() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  private:
    fs::path dir_;
};

BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

std::string WriteFile(const std::string& name, const std::string& content) {
    const std::string path = Folder().Path(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

// sections x keys, "[Section123]" with "Key7=Value 123 7".
std::string IniText(int sections, int keys) {
    std::string text;
    for (int s = 0; s < sections; ++s) {
        text += "[Section" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < keys; ++k)
            text += "Key" + std::to_string(k) + "=Value " + std::to_string(s) + " " +
                    std::to_string(k) + "\r\n";
        text += "\r\n";
    }
    return text;
}

// Opening a desktop-sized file, changing one value and writing it back.
void BM_LoadChangeFlush_10000x10(benchmark::State& state) {
    const std::string path = WriteFile("load.ini", IniText(10000, 10));
    int n = 0;
    for (auto _ : state) {
        vela::TBigIniFile ini(path);
        ini.WriteInteger("Section5000", "Key5", ++n);
        ini.FlushFile();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_LoadChangeFlush_10000x10)->Unit(benchmark::kMillisecond);

// Reading every key of one section: linear in the number of keys.
void BM_ReadEveryKeyOfOneSection(benchmark::State& state) {
    const int keys = static_cast<int>(state.range(0));
    vela::TBigIniFile ini("");
    ini.AppendFromFile(WriteFile("one.ini", IniText(1, keys)));
    for (auto _ : state) {
        for (int k = 0; k < keys; ++k)
            benchmark::DoNotOptimize(ini.ReadString("Section0", "Key" + std::to_string(k), ""));
    }
    state.SetComplexityN(keys);
}
BENCHMARK(BM_ReadEveryKeyOfOneSection)
    ->RangeMultiplier(4)
    ->Range(625, 40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// 10,000 reads from one section of a file with 10,000 sections.
void BM_TenThousandReadsInABigFile(benchmark::State& state) {
    vela::TBigIniFile ini("");
    ini.AppendFromFile(WriteFile("many.ini", IniText(10000, 10)));
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i)
            benchmark::DoNotOptimize(
                ini.ReadString("Section7000", "Key" + std::to_string(i % 10), ""));
    }
}
BENCHMARK(BM_TenThousandReadsInABigFile)->Unit(benchmark::kMillisecond);

// Creating sections one by one, as a program that keeps one section per item does: each
// write looks for its section first and then appends it.
void BM_WriteNewSections(benchmark::State& state) {
    const int sections = static_cast<int>(state.range(0));
    for (auto _ : state) {
        vela::TBigIniFile ini("");
        for (int s = 0; s < sections; ++s) ini.WriteString("Item" + std::to_string(s), "k", "1");
        benchmark::DoNotOptimize(ini.SectionNames().Count());
    }
    state.SetComplexityN(sections);
}
BENCHMARK(BM_WriteNewSections)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Looking up sections of a file of 100,000: present ones in a scattered order, and missing
// ones, which a scan would compare with every name. Both lookups (keyed reads, and the
// section reads) are measured; the time is per lookup.
void BM_FindSectionsIn100000(benchmark::State& state) {
    const bool present = state.range(0) != 0;
    const bool keyed = state.range(1) != 0;
    vela::TBigIniFile ini("");
    ini.AppendFromFile(WriteFile("sections.ini", IniText(100000, 1)));
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i)
        names.push_back((present ? "SECTION" : "Missing") + std::to_string(i * 7919 % 100000));
    std::vector<std::string> lines;
    for (auto _ : state) {
        for (const std::string& name : names) {
            if (keyed) {
                benchmark::DoNotOptimize(ini.ReadString(name, "Key0", ""));
            } else {
                lines.clear();
                ini.ReadSectionValues(name, lines);
                benchmark::DoNotOptimize(lines.data());
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(names.size()));
    state.SetLabel(std::string(present ? "present" : "missing") +
                   (keyed ? ", keyed read" : ", section read"));
}
BENCHMARK(BM_FindSectionsIn100000)->ArgsProduct({{1, 0}, {1, 0}})->Unit(benchmark::kMicrosecond);

// Bad input at full size: a line of 50 MB and a million distinct sections.
void BM_LoadFiftyMegabyteLine(benchmark::State& state) {
    std::string text = "[S]\nk=";
    text.append(50u << 20, 'v');
    const std::string path = WriteFile("line.ini", text);
    text.clear();
    text.shrink_to_fit();
    for (auto _ : state) {
        vela::TBigIniFile ini(path);
        benchmark::DoNotOptimize(ini.SectionNames().Count());
    }
}
BENCHMARK(BM_LoadFiftyMegabyteLine)->Unit(benchmark::kMillisecond);

void BM_LoadMillionSections(benchmark::State& state) {
    std::string text;
    for (int s = 0; s < 1000000; ++s) text += "[S" + std::to_string(s) + "]\nk=1\n";
    const std::string path = WriteFile("million.ini", text);
    for (auto _ : state) {
        vela::TBigIniFile ini(path);
        benchmark::DoNotOptimize(ini.SectionNames().Count());
    }
}
BENCHMARK(BM_LoadMillionSections)->Unit(benchmark::kMillisecond);

}  // namespace
