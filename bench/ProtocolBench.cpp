// Splitting and decoding one controller datagram: the work every datagram costs the display.

#include "app/Protocol.h"
#include "bench/Fastest.h"
#include "controls/GridModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {
std::atomic<long> gAllocations{0};
}

// Counting replacements of the global allocation functions. GCC cannot see that the pointers
// `free` gets here come from this `operator new`, so its mismatch warning is silenced.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
#pragma GCC diagnostic pop

namespace {

// 60 packs, flags of every kind, as a busy arena's controller sends them.
std::string SixtyPackDatagram() {
    const char* flags[] = {"160", "0", "64", "128", "32", "96", "192", "384"};
    std::string datagram = "PACKSTATUS";
    for (int i = 0; i < 60; ++i)
        datagram += std::string(",") + flags[i % 8];
    return datagram;
}

// The datagram copied in as the receive does, split, classified, and every entry decoded; with
// `apply`, also stored in a pack table as the grid stores it.
template <bool apply>
void Decode(benchmark::State& state) {
    const std::string datagram = SixtyPackDatagram();
    char buffer[kMaxDatagramBytes + 1] = {};
    std::vector<std::string_view> fields;
    fields.reserve(kMaxDatagramBytes / 2 + 1);
    TPackTable table;
    long checksum = 0;

    const long allocationsBefore = gAllocations.load();
    for (auto _ : state) {
        std::memcpy(buffer, datagram.data(), datagram.size() + 1);
        SplitFields({buffer, datagram.size()}, fields);
        if (ClassifyMessage(fields) == TMessageKind::PackStatus) {
            for (std::size_t i = 1; i < fields.size(); ++i) {
                const TPackEntry entry = DecodePackEntry(i, fields[i]);
                if constexpr (apply)
                    table.Set(entry.Team, entry.Pack, entry.State);
                else
                    checksum += entry.State + entry.Pack;
            }
        }
        benchmark::DoNotOptimize(checksum);
        benchmark::DoNotOptimize(table);
    }
    const long allocations = gAllocations.load() - allocationsBefore;

    state.counters["datagrams/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["allocs/datagram"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<long>(state.iterations() * datagram.size()));
}
void SplitAndDecode(benchmark::State& state) {
    Decode<false>(state);
}
void SplitDecodeAndStore(benchmark::State& state) {
    Decode<true>(state);
}
BENCHMARK(SplitAndDecode)->ComputeStatistics("min", Fastest);
BENCHMARK(SplitDecodeAndStore)->ComputeStatistics("min", Fastest);

} // namespace

BENCHMARK_MAIN();
