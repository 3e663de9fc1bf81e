// links: korvalin_core
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/SettingsFile.h"

namespace {

class NoDialogs final : public korvalin::Dialogs {
public:
    int MessageBox(const std::string&, const std::string&, unsigned) override {
        return korvalin::IdOk;
    }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
};

class FixedShell final : public korvalin::Shell {
public:
    std::string AppDataFolder() const override { return "/tmp"; }
    std::string ProgramPath() const override { return "/usr/bin/korvalin"; }
    void Open(const std::string&, OpenCompletion done) override { done(false); }
};

// A settings file like the real one: about 25 keys in "Graphs", "Options" and "Sums".
class SettingsFile {
public:
    SettingsFile() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korvalin-bench-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp";
        ini_.SetIniFileName(folder_ + "/korvalin.ini");
        ini_.SetIniLocation(korvalin::loUser);
        ini_.SetSection("Graphs");
        ini_.SetOpen(true);
        for (int i = 0; i < 8; ++i) {
            ini_.WriteInteger("Graph" + std::to_string(i), i);
        }
        ini_.SetSection("Options");
        for (int i = 0; i < 14; ++i) {
            ini_.WriteString("Option" + std::to_string(i), "Wert " + std::to_string(i));
        }
        ini_.SetSection("Sums");
        ini_.WriteString("Sent", "123456789012");
        ini_.WriteString("Received", "987654321098");
        ini_.WriteInteger("Counter", 1);
    }
    ~SettingsFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    korvalin::SettingsFile& Ini() { return ini_; }

private:
    NoDialogs dialogs_;
    FixedShell shell_;
    std::string folder_;
    korvalin::SettingsFile ini_{dialogs_, shell_};
};

void BM_ReadInteger(benchmark::State& state) {
    SettingsFile file;
    file.Ini().SetSection("Options");
    for (auto _ : state) {
        benchmark::DoNotOptimize(file.Ini().ReadInteger("Option13", 0));
    }
}
BENCHMARK(BM_ReadInteger);

void BM_ReadStringAfterForeignChange(benchmark::State& state) {
    // Another object writes between the reads, so every read parses the file again.
    SettingsFile file;
    SettingsFile* other = &file;
    NoDialogs dialogs;
    FixedShell shell;
    korvalin::SettingsFile reader{dialogs, shell};
    reader.SetIniFileName(other->Ini().FilePath());
    reader.SetIniLocation(korvalin::loUser);
    reader.SetSection("Sums");
    reader.SetOpen(true);
    int counter = 0;
    for (auto _ : state) {
        state.PauseTiming();
        other->Ini().SetSection("Sums");
        other->Ini().WriteInteger("Counter", ++counter);
        state.ResumeTiming();
        benchmark::DoNotOptimize(reader.ReadString("Sent", ""));
    }
}
BENCHMARK(BM_ReadStringAfterForeignChange);

void BM_WriteInteger(benchmark::State& state) {
    SettingsFile file;
    file.Ini().SetSection("Sums");
    int counter = 0;
    for (auto _ : state) {
        file.Ini().WriteInteger("Counter", ++counter);
    }
}
BENCHMARK(BM_WriteInteger)->Unit(benchmark::kMicrosecond);

void BM_SaveAllKeysInOneBatch(benchmark::State& state) {
    // What saving all settings costs when the writes are collected.
    SettingsFile file;
    int counter = 0;
    for (auto _ : state) {
        file.Ini().BeginUpdate();
        file.Ini().SetSection("Graphs");
        for (int i = 0; i < 8; ++i) {
            file.Ini().WriteInteger("Graph" + std::to_string(i), ++counter);
        }
        file.Ini().SetSection("Options");
        for (int i = 0; i < 14; ++i) {
            file.Ini().WriteInteger("Option" + std::to_string(i), ++counter);
        }
        file.Ini().SetSection("Sums");
        for (const char* name : {"Sent", "Received", "Counter"}) {
            file.Ini().WriteInteger(name, ++counter);
        }
        file.Ini().EndUpdate();
    }
}
BENCHMARK(BM_SaveAllKeysInOneBatch)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
