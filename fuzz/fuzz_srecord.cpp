#include "reader_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    // The S-record reader stops one byte past the capacity.
    fuzz::CheckReader(
        bytes, size,
        [](RecordFile& file, uint8_t* data, uint32_t capacity, uint32_t& status) {
            return file.TransferSRecord(data, capacity, status, TRANSFER_READ);
        },
        1);
    return 0;
}
