#pragma once
#include <cstdint>

namespace driver {

// The system calls the real-port code makes, behind one seam so that tests can answer them
// with a fake kernel over the simulated programmer. Each returns as its system call does:
// -1 with errno set on failure.
class KernelCalls {
public:
    virtual ~KernelCalls() = default;
    virtual int Open(const char* path, int flags) = 0;
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual int Close(int fd) = 0;
    // Raw port access: permission for `count` port addresses from `from`, then single bytes.
    virtual int Ioperm(unsigned long from, unsigned long count, int turnOn) = 0;
    virtual uint8_t In(uint16_t address) = 0;
    virtual void Out(uint16_t address, uint8_t value) = 0;
};

// The machine's own kernel.
KernelCalls& SystemKernel();

}  // namespace driver
