// What the generation tests share: a test machine whose application folder holds the shipped
// templates, small airfoil files written on the fly, and a decoder that turns a step file back
// into per-axis steps with the settings' pin map.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/run_error.h"
#include "generate/cut_generator.h"
#include "support/test_support.h"

namespace corvane::test {

// The smallest airfoil outline a wing generation takes: from the trailing edge over the upper
// surface to the leading edge and back, chord 1.
inline constexpr const char* kSmallOutline = "1 0\n0 0.05\n0 -0.05\n1 0\n";

struct GenerateMachine : TestMachine {
    GenerateMachine() { copyResources(dir.path()); }

    std::filesystem::path airfoil(const std::string& name, const std::string& text) {
        std::filesystem::path p = dir / name;
        writeFile(p, text);
        return p;
    }

    GenerationRequest wing(const std::filesystem::path& left, const std::filesystem::path& right,
                           const std::string& leftChord, const std::string& rightChord) {
        GenerationRequest r;
        r.leftPath = left.string();
        r.rightPath = right.string();
        r.leftChordText = leftChord;
        r.rightChordText = rightChord;
        return r;
    }

    // A foam generation: the same arithmetic on any shape of at least 3 points.
    GenerationRequest foam(const std::filesystem::path& left, const std::filesystem::path& right,
                           const std::string& leftSize, const std::string& rightSize) {
        GenerationRequest r = wing(left, right, leftSize, rightSize);
        r.kind = CutSetKind::Foam;
        return r;
    }

    std::string working(const char* name) const { return readFile(dir / name); }

    // Puts a recognisable previous set in place.
    void previousSet() {
        writeFile(dir / "cut.ct1", "1\r\n2\r\n");
        writeFile(dir / "cut_cnt.ct2", "2\r\n");
        writeFile(dir / "datinfo.ct3", "\"a\",\"b\",1,1,\"0\",\"0\",\"0\",\"0\"\r\n");
    }
    void expectPreviousSet() {
        EXPECT_EQ(working("cut.ct1"), "1\r\n2\r\n");
        EXPECT_EQ(working("cut_cnt.ct2"), "2\r\n");
        EXPECT_EQ(working("datinfo.ct3"), "\"a\",\"b\",1,1,\"0\",\"0\",\"0\",\"0\"\r\n");
        expectNoLeftovers();
    }
    void expectNoLeftovers() {
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            // The lock file stays; everything else of the program's own must be gone.
            if (name == ".corvane-lock") continue;
            EXPECT_FALSE(name.starts_with(".corvane-") || name.starts_with("hold") ||
                         name.ends_with(".part"))
                << name;
        }
    }
};

// One tick as the port sees it, decoded with the pin map of the settings.
struct DecodedTick {
    bool step[4];  // X1, Y1, X2, Y2
    bool dir[4];   // the direction level
};

inline std::vector<DecodedTick> decodeSteps(const std::string& stepFile, const DerivedSettings& d) {
    std::vector<DecodedTick> ticks;
    const AxisPins* pins[4] = {&d.X1, &d.Y1, &d.X2, &d.Y2};
    std::size_t pos = 0;
    while (pos < stepFile.size()) {
        std::size_t end = stepFile.find("\r\n", pos);
        unsigned byte = static_cast<unsigned>(std::stoul(stepFile.substr(pos, end - pos)));
        DecodedTick t{};
        for (int a = 0; a < 4; ++a) {
            t.step[a] = (byte & static_cast<unsigned>(pins[a]->StepMask)) != 0;
            t.dir[a] = (byte & static_cast<unsigned>(pins[a]->DirMask)) != 0;
        }
        ticks.push_back(t);
        pos = end + 2;
    }
    return ticks;
}

inline std::vector<int64_t> lineNumbers(const std::string& file) {
    std::vector<int64_t> v;
    std::size_t pos = 0;
    while (pos < file.size()) {
        std::size_t end = file.find("\r\n", pos);
        v.push_back(std::stoll(file.substr(pos, end - pos)));
        pos = end + 2;
    }
    return v;
}

}  // namespace corvane::test
