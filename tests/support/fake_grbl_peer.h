// A scripted GRBL-family controller on the other end of a SerialLine: it keeps an RX buffer of
// the firmware's size and records an overflow when more line bytes arrive than it can hold
// (the simulator never overflows, so this is where character counting is caught), answers each
// line with ok (or the error:N scripted for it) after a random delay of reads, picks real-time
// bytes out at once as the firmware does, and reports every byte that arrives after an error.
#pragma once

#include <cstddef>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "controller/serial_line.h"

namespace corvane::test {

class FakeGrblPeer : public SerialLine {
public:
    explicit FakeGrblPeer(std::size_t rxBuffer, unsigned seed = 1) : rx_(rxBuffer), random_(seed) {}

    void write(std::string_view bytes) override;
    std::string read(int timeoutMs) override;
    std::string describe() const override { return "fake peer"; }

    std::map<std::string, int> errorFor;  // line text -> the error code it is answered with
    bool lost = false;                    // every call throws SerialLost once set
    std::size_t loseAfterLines = 0;       // set `lost` after this many lines (0: never)
    std::size_t silentAfterLines = 0;     // say nothing more after this many lines (0: never)
    bool alarmed = false;                 // reports Alarm and refuses G-code and jogs (error:9)
    // Status reports to give, one per `?`, before the plain ones (without their < >).
    std::vector<std::string> statusScript;
    int homingReads = 5;  // $H is answered ok after this many reads
    std::string axes;     // the board's axes in its $I ([AXS:n:LETTERS]); empty: not said

    std::size_t rxBuffer() const { return rx_; }
    std::size_t mostHeld = 0;  // the most line bytes the buffer held at once
    bool overflowed = false;
    std::vector<std::string> received;  // every complete line, in order
    std::size_t linesAfterError = 0;    // lines that arrived after an error:N went out
    std::string realtimeBytes;          // every real-time byte, in order
    int feedOverride = 100;
    bool holding = false;
    int resets = 0;

private:
    std::size_t rx_;
    std::mt19937 random_;
    std::string buffer_;  // line bytes not yet processed
    std::string partial_;
    std::string out_;
    std::size_t processed_ = 0;
    bool errorSent_ = false;
    bool silent_ = false;
    int homingLeft_ = -1;  // reads until a running $H ends, -1: none runs
};

}  // namespace corvane::test
