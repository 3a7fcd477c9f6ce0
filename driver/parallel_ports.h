#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace driver {

// Where the kernel lists its parallel ports and where their ppdev nodes live.
struct ParportPaths {
    std::string procRoot = "/proc/sys/dev/parport";
    std::string devRoot = "/dev";
};

// A parallel port the kernel lists.
struct ParallelPort {
    std::string name;        // parport0
    std::string device;      // /dev/parport0
    uint16_t base = 0;
    bool nodeExists = false;   // false while the ppdev module is not loaded
    bool mayOpen = false;      // this user may open the node for reading and writing
    std::string group;         // the node's group, who may open it
    // The driver that has the port claimed right now ("" when free), and the drivers that
    // share it (any of them makes an exclusive claim fail, the printer driver lp for one).
    std::string activeHolder;
    std::vector<std::string> sharingDrivers;
};

// Every port the kernel lists, in the order of their numbers; empty when there is no
// parallel-port support.
std::vector<ParallelPort> ListParallelPorts(const ParportPaths& paths = ParportPaths{});

// The ppdev node of the parallel port at `portBase`: devRoot/parportN for the parportN whose
// base-addr file starts with that address. Empty, with the reason in `error`, when there is none.
std::string FindParportDevice(uint16_t portBase, const ParportPaths& paths, std::string& error);

// The name of the group `gid` from /etc/group; the number when it has none.
std::string GroupName(unsigned gid);

// "0x378".
std::string PortBaseText(unsigned long base);

// The three classic bases of PC parallel ports (LPT1 to LPT3 in the station's selector).
inline constexpr uint16_t kClassicPortBases[] = {0x378, 0x278, 0x3BC};

// The bases of the ports the kernel lists beyond the classic three (a PCI Express card's).
std::vector<uint16_t> OtherPortBases(const ParportPaths& paths = ParportPaths{});

}  // namespace driver
