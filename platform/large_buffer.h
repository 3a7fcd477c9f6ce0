#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// Memory for large transfers (a file's blocks, a whole image). It sits on huge pages where the
// system offers them: touching a fresh 2 MiB in 4 KiB pages costs hundreds of page faults,
// more than a conversion of its contents.
class LargeBuffer {
public:
    // At least one byte; the contents are undefined.
    explicit LargeBuffer(size_t size);

    uint8_t* data() const { return bytes_.get(); }

private:
    struct Release {
        void operator()(uint8_t* bytes) const;
    };
    std::unique_ptr<uint8_t[], Release> bytes_;
};

}  // namespace platform
