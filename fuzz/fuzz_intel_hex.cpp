#include "reader_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    // The Intel Hex reader counts every data byte in the file, so its count has no bound.
    fuzz::CheckReader(
        bytes, size,
        [](RecordFile& file, uint8_t* data, uint32_t capacity, uint32_t& status) {
            return file.TransferIntelHex(data, capacity, status, TRANSFER_READ);
        },
        UINT32_MAX);
    return 0;
}
