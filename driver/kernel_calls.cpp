#include "driver/kernel_calls.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define PROM_HAS_PORT_IO 1
#endif

namespace driver {
namespace {

class SystemCalls final : public KernelCalls {
public:
    int Open(const char* path, int flags) override { return ::open(path, flags); }
    int Ioctl(int fd, unsigned long request, void* argument) override { return ::ioctl(fd, request, argument); }
    int Close(int fd) override { return ::close(fd); }
#ifdef PROM_HAS_PORT_IO
    int Ioperm(unsigned long from, unsigned long count, int turnOn) override { return ::ioperm(from, count, turnOn); }
    uint8_t In(uint16_t address) override { return ::inb(address); }
    void Out(uint16_t address, uint8_t value) override { ::outb(value, address); }
#else
    // Port I/O instructions exist on x86 PCs only.
    int Ioperm(unsigned long, unsigned long, int) override {
        errno = ENOSYS;
        return -1;
    }
    uint8_t In(uint16_t) override { return 0xFF; }
    void Out(uint16_t, uint8_t) override {}
#endif
};

}  // namespace

KernelCalls& SystemKernel() {
    static SystemCalls calls;
    return calls;
}

}  // namespace driver
