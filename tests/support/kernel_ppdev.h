// A ppdev fake that behaves as the kernel does (parport_pc behind ppdev), so tests catch what a
// simpler recorder lets through: a claim resets the control register to 0x0C (pins 1, 14 and
// 16 high, pin 17 low); an exclusive claim of a port another device holds fails with ENXIO;
// control writes keep bits 0-3 only and bit 5 of a write turns the data lines around; every
// call but PPEXCL and PPCLAIM needs the claim (EINVAL). Several "processes" share one port.
#pragma once

#include <sys/ioctl.h>
// After sys/ioctl.h: the request numbers need its macros.
#include <linux/ppdev.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/ppdev_port.h"

namespace corvane::test {

// The port as the hardware and the kernel's parport layer hold it.
struct KernelParport {
    int devices = 0;               // registered pardevices (lp counts as one)
    bool exclusive = false;        // one of them registered exclusively
    unsigned char control = 0x04;  // the register as the BIOS left it
    unsigned char data = 0x00;
    bool reverse = false;          // data lines not driven
    std::vector<std::string> log;  // every call of every opener, in order
    int strayControlBits = 0;      // calls that asked for a control bit above 3

    // The level of a control pin (1, 14, 16, 17) on the connector: C0, C1 and C3 are inverted
    // by the port hardware.
    bool pinHigh(int pin) const {
        switch (pin) {
            case 1:
                return (control & 0x01) == 0;
            case 14:
                return (control & 0x02) == 0;
            case 16:
                return (control & 0x04) != 0;
            case 17:
                return (control & 0x08) == 0;
        }
        return false;
    }
};

// One open file of /dev/parportN.
class KernelPpdev : public PpdevCalls {
public:
    explicit KernelPpdev(KernelParport& port, std::string who = "a")
        : port_(port), who_(std::move(who)) {}
    // The request that fails with `error` instead of reaching the port (after the claim).
    unsigned long failOn = 0;
    int error = EIO;

    int open(const std::string& device, int& fd) override {
        note("open " + device);
        fd = 3;
        return 0;
    }
    int ioctl(int, unsigned long request, void* arg) override {
        auto* byte = static_cast<unsigned char*>(arg);
        if (request == PPEXCL) {
            note("PPEXCL");
            if (registered_) return EINVAL;  // too late: already registered
            excl_ = true;
            return 0;
        }
        if (request == PPCLAIM) {
            note("PPCLAIM");
            if (claimed_) return EINVAL;
            if (!registered_) {
                if (port_.exclusive || (excl_ && port_.devices > 0)) return ENXIO;
                registered_ = true;
                ++port_.devices;
                port_.exclusive = excl_;
            }
            claimed_ = true;
            // The claim restores the new device's state: control 0x0C, data lines driven.
            port_.control = 0x0C;
            port_.reverse = false;
            return 0;
        }
        if (!claimed_) {
            note(name(request, arg) + " (not claimed)");
            return EINVAL;
        }
        if (request == failOn) {
            note(name(request, arg) + " -> error");
            return error;
        }
        note(name(request, arg));
        switch (request) {
            case PPRELEASE:
                claimed_ = false;
                break;
            case PPDATADIR:
                port_.reverse = *static_cast<int*>(arg) != 0;
                break;
            case PPRDATA:
                *byte = port_.data;
                break;
            case PPWDATA:
                port_.data = *byte;
                break;
            case PPRSTATUS:
                *byte = 0x78;
                break;
            case PPRCONTROL:
                *byte = port_.control & 0x0F;
                break;
            case PPWCONTROL:
                if ((*byte & 0xF0) != 0) ++port_.strayControlBits;
                if ((*byte & 0x20) != 0) port_.reverse = true;
                port_.control = *byte & 0x0F;
                break;
            case PPFCONTROL: {
                auto* frob = static_cast<ppdev_frob_struct*>(arg);
                if (((frob->mask | frob->val) & 0xF0) != 0) ++port_.strayControlBits;
                if ((frob->mask & 0x20) != 0) port_.reverse = (frob->val & 0x20) != 0;
                const unsigned char mask = frob->mask & 0x0F;
                port_.control =
                    static_cast<unsigned char>((port_.control & ~mask) | (frob->val & mask));
                break;
            }
            default:
                return ENOTTY;
        }
        return 0;
    }
    void close(int) override {
        note("close");
        if (registered_) {
            --port_.devices;
            if (excl_) port_.exclusive = false;
        }
        registered_ = claimed_ = false;
    }

private:
    static std::string hex(unsigned v) {
        char b[8];
        std::snprintf(b, sizeof b, "0x%02X", v);
        return b;
    }
    std::string name(unsigned long request, void* arg) const {
        auto* byte = static_cast<unsigned char*>(arg);
        switch (request) {
            case PPRELEASE:
                return "PPRELEASE";
            case PPDATADIR:
                return "PPDATADIR " + std::to_string(*static_cast<int*>(arg));
            case PPRDATA:
                return "PPRDATA";
            case PPWDATA:
                return "PPWDATA " + hex(*byte);
            case PPRSTATUS:
                return "PPRSTATUS";
            case PPRCONTROL:
                return "PPRCONTROL";
            case PPWCONTROL:
                return "PPWCONTROL " + hex(*byte);
            case PPFCONTROL: {
                auto* frob = static_cast<ppdev_frob_struct*>(arg);
                return "PPFCONTROL mask " + hex(frob->mask) + " val " + hex(frob->val);
            }
        }
        return "ioctl " + std::to_string(request);
    }
    void note(const std::string& what) { port_.log.push_back(who_ + ": " + what); }
    KernelParport& port_;
    std::string who_;
    bool excl_ = false;
    bool registered_ = false;
    bool claimed_ = false;
};

}  // namespace corvane::test
