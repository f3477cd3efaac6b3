// A workspace for the cut runner tests: a temporary application folder, the simulated port
// recording every operation, a fake clock, and settings with the four axes on known pins.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace corvane::test {

// X1 step D0 / dir D1, Y1 step D2 / dir D3, X2 step D4 / dir D5, Y2 step D6 / dir D7;
// "forward", "down" set the direction bit, "back", "up" leave it clear.
inline void setRunnerPins(MachineSettings& s) {
    DerivedSettings& d = s.derived;
    d.DataPort = 888;
    d.ControlPort = 890;
    d.StepsPerMm = 158;
    d.MmPerStep = 1.0 / 158;
    d.SpeedSliderMax = 31;
    auto pins = [](AxisPins& a, int step, int dir) {
        a.StepBit = static_cast<uint8_t>(step);
        a.StepMask = static_cast<int16_t>(1 << step);
        a.DirBit = dir;
        a.DirMask = static_cast<int16_t>(1 << dir);
    };
    pins(d.X1, 0, 1);
    pins(d.Y1, 2, 3);
    pins(d.X2, 4, 5);
    pins(d.Y2, 6, 7);
    d.X1Forward = 0x03, d.X1Back = 0x01, d.X1ForwardDir = 0x02, d.X1BackDir = 0;
    d.Y1Down = 0x0C, d.Y1Up = 0x04, d.Y1DownDir = 0x08, d.Y1UpDir = 0;
    d.X2Forward = 0x30, d.X2Back = 0x10, d.X2ForwardDir = 0x20, d.X2BackDir = 0;
    d.Y2Down = 0xC0, d.Y2Up = 0x40, d.Y2DownDir = 0x80, d.Y2UpDir = 0;
}

class TempFolder {
public:
    TempFolder() {
        path_ = std::filesystem::temp_directory_path() /
                ("corvane-run-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    std::filesystem::path path_;
};

inline void writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
}

// One value a line, CR LF, as the generators write them.
inline void writeLines(const std::filesystem::path& file, const std::vector<int>& values) {
    std::string text;
    for (int v : values) text += std::to_string(v) + "\r\n";
    writeText(file, text);
}

struct RunnerBench {
    TempFolder folder;
    SimulatedPort port;
    FakeClock clock{1000};  // 1 us per read
    Workspace ws{folder.path(), port, clock};

    RunnerBench() {
        setRunnerPins(ws.settings);
        port.setRecording(true);
        ws.motion.CutSpeed = Fixed4::fromInt(5);
    }

    void writeSet(const std::vector<int>& steps, const std::vector<int>& counts) {
        writeLines(ws.file("cut.ct1"), steps);
        writeLines(ws.file("cut_cnt.ct2"), counts);
    }

    std::vector<uint8_t> dataWrites() const {
        std::vector<uint8_t> out;
        for (const PortOperation& op : port.operations())
            if (op.kind == PortOperation::Kind::Out && op.port == 888) out.push_back(op.value);
        return out;
    }
};

}  // namespace corvane::test
