#pragma once
#include <cstddef>
#include <cstdint>

namespace cli {

// The buffer a file command works on: `size` bytes of 0xFF, as the station's buffer is before a
// load. A large buffer asks the system for huge pages: filling it 4 KiB page by page costs more
// than a whole conversion of its contents.
class ImageBuffer {
public:
    explicit ImageBuffer(uint32_t size);
    ~ImageBuffer();
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    uint8_t* data() { return bytes_; }
    uint32_t size() const { return size_; }

private:
    uint8_t* bytes_ = nullptr;
    uint32_t size_ = 0;
};

}  // namespace cli
