// What the settings cost: reading every value as the display does at each activation, and the
// properties dialog's save of every value, where each write replaces the file atomically.

#include "bench/Fastest.h"
#include "settings/RegFileStore.h"
#include "settings/RegistryDef.h"
#include "settings/SettingValues.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

const TSettingsEnvironment kEnvironment{"/opt/tallivue/", 1920, 1080};

// On the disk the benchmark runs from, not in a memory file system: saving waits for the disk.
std::filesystem::path BenchFile() {
    return std::filesystem::current_path() / "settings-bench" / "Tallivue.reg";
}

// Every value of the table, written as the dialog writes them.
void SaveAll(const std::filesystem::path& file) {
    TRegistryDef registry(std::make_unique<TRegFileStore>(file));
    for (const TSettingsKey key : {TSettingsKey::Settings, TSettingsKey::Language}) {
        registry.OpenKey(key == TSettingsKey::Settings ? kSettingsKeyPath : kLanguageKeyPath, true);
        for (const TSettingDef& setting : AllSettings()) {
            if (setting.Key != key)
                continue;
            const TSettingValue value =
                ResolveDefault(setting, setting.DialogDefault, kEnvironment);
            if (const auto* text = std::get_if<std::string>(&value))
                registry.WriteString(setting.Name, *text);
            else if (const auto* number = std::get_if<std::int32_t>(&value))
                registry.WriteInteger(setting.Name, *number);
            else
                registry.WriteBool(setting.Name, std::get<bool>(value));
        }
    }
}

void ReadAllAtActivation(benchmark::State& state) {
    const auto file = BenchFile();
    std::filesystem::remove_all(file.parent_path());
    SaveAll(file);
    for (auto _ : state) {
        TRegistryDef registry(std::make_unique<TRegFileStore>(file));
        benchmark::DoNotOptimize(ReadAllSettings(registry, kEnvironment));
    }
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove_all(file.parent_path());
}

void SaveAllFromTheDialog(benchmark::State& state) {
    const auto file = BenchFile();
    std::filesystem::remove_all(file.parent_path());
    for (auto _ : state)
        SaveAll(file);
    state.counters["writes"] = static_cast<double>(AllSettings().size());
    std::filesystem::remove_all(file.parent_path());
}

BENCHMARK(ReadAllAtActivation)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(SaveAllFromTheDialog)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

} // namespace

BENCHMARK_MAIN();
