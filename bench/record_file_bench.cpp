// Reading and writing the largest buffer (2 MiB, random contents) in each record format.
// Bytes processed are buffer bytes, so the rates compare across formats.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "buffer/record_file.h"

namespace {

constexpr uint32_t kBufferSize = 2 * 1024 * 1024;

enum Format { kIntelHex, kSRecord, kBinary };

const std::vector<uint8_t>& RandomImage() {
    static const std::vector<uint8_t> image = [] {
        std::mt19937 generator(2024);
        std::vector<uint8_t> bytes(kBufferSize);
        for (auto& byte : bytes) {
            byte = static_cast<uint8_t>(generator());
        }
        return bytes;
    }();
    return image;
}

std::string BenchFolder() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "record-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        std::atexit([] { std::filesystem::remove_all(BenchFolder()); });
        return pattern;
    }();
    return folder;
}

std::string PathFor(Format format) {
    static const char* const names[] = {"image.mcs", "image.exo", "image.bin"};
    return BenchFolder() + "/" + names[format];
}

uint32_t Transfer(RecordFile& file, Format format, uint8_t* data, uint16_t direction) {
    uint32_t status = STATUS_NONE;
    switch (format) {
    case kIntelHex:
        return file.TransferIntelHex(data, kBufferSize, status, direction);
    case kSRecord:
        return file.TransferSRecord(data, kBufferSize, status, direction);
    case kBinary:
        return file.TransferBinary(data, kBufferSize, direction);
    }
    return 0;
}

void WriteRecords(benchmark::State& state, Format format) {
    std::vector<uint8_t> data = RandomImage();
    RecordFile file;
    for (auto _ : state) {
        file.Create(PathFor(format));
        benchmark::DoNotOptimize(Transfer(file, format, data.data(), TRANSFER_WRITE));
        // Closing commits the file to the disk: that is the disk's speed, not the writer's.
        state.PauseTiming();
        if (!file.Close()) {
            state.SkipWithError(file.ErrorText().c_str());
            break;
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBufferSize);
}

void ReadRecords(benchmark::State& state, Format format) {
    {
        std::vector<uint8_t> data = RandomImage();
        RecordFile file;
        file.Create(PathFor(format));
        Transfer(file, format, data.data(), TRANSFER_WRITE);
        file.Close();
    }
    std::vector<uint8_t> buffer(kBufferSize, 0xFF);
    RecordFile file;
    for (auto _ : state) {
        file.Open(PathFor(format));
        const uint32_t count = Transfer(file, format, buffer.data(), TRANSFER_READ);
        file.Close();
        if (count != kBufferSize) {
            state.SkipWithError("the file did not read back whole");
            break;
        }
    }
    if (buffer != RandomImage()) {
        state.SkipWithError("the file read back differently");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBufferSize);
}

}  // namespace

BENCHMARK_CAPTURE(WriteRecords, intel_hex, kIntelHex)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteRecords, srecord, kSRecord)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteRecords, binary, kBinary)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadRecords, intel_hex, kIntelHex)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadRecords, srecord, kSRecord)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadRecords, binary, kBinary)->Unit(benchmark::kMillisecond);
