// The parallel ports the kernel lists: /proc/sys/dev/parport/parportN/base-addr gives each
// device's base address, so a program can pick the device of the address the operator chose.
// Both roots are parameters, so tests lay out their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace corvane {

struct KernelPort {
    int number = 0;      // N of parportN
    uint16_t base = 0;   // from base-addr
    std::string device;  // devRoot/parportN
};

inline const std::filesystem::path kParportProcRoot = "/proc/sys/dev/parport";
inline const std::filesystem::path kDevRoot = "/dev";

// Every parportN under `procRoot` with a readable base address, by number.
std::vector<KernelPort> listKernelPorts(const std::filesystem::path& procRoot = kParportProcRoot,
                                        const std::filesystem::path& devRoot = kDevRoot);

// The ppdev device for the port at `base`. `device` empty: the one the kernel lists at that
// address. `device` named: it must be a listed device at that address. RunError
// PermissionDenied naming the device and both addresses (or what the kernel lists) otherwise.
KernelPort ppdevDeviceFor(uint16_t base, const std::string& device,
                          const std::filesystem::path& procRoot = kParportProcRoot,
                          const std::filesystem::path& devRoot = kDevRoot);

}  // namespace corvane
