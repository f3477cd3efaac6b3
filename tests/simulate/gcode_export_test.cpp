// The G-code of a set with lead moves and two delay points, read back by a small reader of its
// own: every G1 ends where the decoded segment ends, every F is 60000 / the segment's
// milliseconds, the dwells follow the right segments, the wire codes frame the cut. Where
// LinuxCNC's standalone interpreter is installed, the XYZA program also runs through it.
#include "simulate/gcode_export.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>

#include "simulate_fixture.h"

namespace corvane {
namespace {

// One line of G-code as words (letter -> number, G and M may repeat) with its comments removed.
struct Block {
    std::multimap<char, double> words;
    std::string text;  // the line without comments, as written
    bool has(char letter, double value) const {
        auto [a, b] = words.equal_range(letter);
        for (auto it = a; it != b; ++it)
            if (it->second == value) return true;
        return false;
    }
    double get(char letter) const { return words.find(letter)->second; }
};

std::vector<Block> readProgram(const std::string& program) {
    std::vector<Block> blocks;
    std::istringstream in(program);
    for (std::string line; std::getline(in, line);) {
        std::string text;
        int depth = 0;
        for (char c : line) {
            if (c == '(')
                ++depth;
            else if (c == ')')
                --depth;
            else if (depth == 0)
                text += c;
        }
        EXPECT_EQ(depth, 0) << line;
        Block b;
        b.text = text;
        std::size_t i = 0;
        while (i < text.size()) {
            if (text[i] == ' ') {
                ++i;
                continue;
            }
            const char letter = text[i++];
            std::size_t used = 0;
            const double value = std::stod(text.substr(i), &used);
            i += used;
            b.words.emplace(letter, value);
        }
        if (!b.words.empty()) blocks.push_back(b);
    }
    return blocks;
}

TEST(GcodeExport, EveryMoveEndsAtItsDecodedSegmentInItsPortTime) {
    test::DemoWing m;
    const Simulation sim = m.simulate();
    for (GcodeAxes axes : {GcodeAxes::XYUV, GcodeAxes::XYZA}) {
        SCOPED_TRACE(gcodeAxesName(axes));
        GcodeOptions o;
        o.axes = axes;
        o.speed = Fixed4::fromDouble(6.2);
        o.pauseMs = 250;
        o.wireOn = "M3 S1000";
        o.wireOff = "M5";
        o.date = "2026-12-09";
        GcodeSummary summary;
        const std::string program = gcodeProgram(sim, o, &summary);
        EXPECT_NE(program.find("(Corvane G-code of the cut-file set)\n"), std::string::npos);
        EXPECT_NE(program.find("cut.ct1)\n"), std::string::npos);
        // GRBL-family senders take lines under 80 characters.
        std::istringstream lines(program);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LT(line.size(), 80u) << line;
        for (const char* named : {"naca2412.dat, chord 271.86 mm", "naca0012.dat, chord 136.33 mm",
                                  "washout -2 deg", "speed 6.2 mm/s", "2026-12-09"})
            EXPECT_NE(program.find(named), std::string::npos) << named;

        const std::vector<Block> blocks = readProgram(program);
        ASSERT_GE(blocks.size(), 6u);
        EXPECT_TRUE(blocks[0].has('G', 21) && blocks[0].has('G', 90) && blocks[0].has('G', 93));
        EXPECT_EQ(blocks[1].text, "M3 S1000");
        const std::size_t n = blocks.size();
        EXPECT_EQ(blocks[n - 3].text, "M5");
        EXPECT_TRUE(blocks[n - 2].has('G', 94));
        EXPECT_TRUE(blocks[n - 1].has('M', 2));

        // Walk the decoded segments and the program together.
        const char* letters = axes == GcodeAxes::XYUV ? "XYUV" : "XYZA";
        std::size_t at = 2;
        int dwellsSeen = 0;
        for (const DecodedSegment& s : sim.decoded.segments) {
            ASSERT_GT(s.ticks, 0);
            ASSERT_LT(at, n);
            const Block& move = blocks[at++];
            ASSERT_TRUE(move.has('G', 1)) << move.text;
            for (int a = 0; a < 4; ++a) {
                ASSERT_EQ(move.words.count(letters[a]), 1u) << move.text;
                EXPECT_NEAR(move.get(letters[a]),
                            static_cast<double>(s.end[static_cast<std::size_t>(a)]) / 158,
                            0.5e-4 + 1e-9)
                    << move.text;
            }
            // A tick at 6.2 mm/s: 1000 / (158 x 6.2) - 1 = 0.0208 ms high (four decimals), 1 ms
            // low.
            const double ms = static_cast<double>(s.ticks) * 1.0208;
            EXPECT_NEAR(move.get('F'), 60000.0 / ms, 60000.0 / ms * 1e-5) << move.text;
            for (int p = 0; p < s.pausesAfter; ++p) {
                ASSERT_LT(at, n);
                const Block& dwell = blocks[at++];
                EXPECT_TRUE(dwell.has('G', 4)) << dwell.text;
                EXPECT_DOUBLE_EQ(dwell.get('P'), 0.25);
                ++dwellsSeen;
                EXPECT_TRUE(s.number == 20 || s.number == 40) << s.number;
            }
        }
        EXPECT_EQ(at, n - 3);
        EXPECT_EQ(dwellsSeen, 2);
        EXPECT_EQ(summary.moves, 62);
        EXPECT_EQ(summary.dwells, 2);
        EXPECT_NEAR(summary.seconds, static_cast<double>(sim.decoded.ticks) * 1.0208 / 1000 + 0.5,
                    1e-6);
    }
}

TEST(GcodeExport, EmptySegmentsAreLeftOutAndSteplessTicksStillTakeTheirTime) {
    test::TestMachine m;
    test::writeFile(m.dir / "cut.ct1",
                    "3\r\n3\r\n0\r\n0\r\n");  // default pins: 3 = X1 one step back
    test::writeFile(m.dir / "cut_cnt.ct2", "2\r\n2\r\n0\r\n4\r\n");
    const Simulation sim = simulateSet(m.ws, workingSetPaths(m.dir.path()));
    GcodeOptions o;
    o.wireOn = "";
    o.wireOff = "";
    const std::vector<Block> blocks = readProgram(gcodeProgram(sim, o));
    std::vector<std::string> texts;
    for (const Block& b : blocks) texts.push_back(b.text);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], "G21 G90 G93");
    // Two ticks of 6.3291 ms at 1 mm/s: F = 60000 / 12.6582.
    EXPECT_EQ(texts[1], "G1 X0.0127 Y0.0000 U0.0000 V0.0000 F4740.0104");
    EXPECT_TRUE(blocks[2].has('G', 4));  // the delay point after segment 2, which has no tick
    EXPECT_TRUE(blocks[3].has('G', 4));  // segment 3: two ticks that step nothing
    EXPECT_EQ(blocks[3].text, "G4 P0.0127 ");  // 2 x 6.3291 ms a tick at 1 mm/s, to 0.1 ms
    EXPECT_EQ(texts[4], "G94");
    EXPECT_EQ(texts[5], "M2");
}

TEST(GcodeExport, DwellsAreFixedPointAndTheWireCarriesItsPower) {
    test::DemoWing m;
    const Simulation sim = m.simulate();
    GcodeOptions o;
    o.speed = Fixed4::fromDouble(6.2);
    o.date = "2026-12-09";
    struct Case {
        double pauseMs, preheatMs;
        std::string wireOn;
        double power;
        const char* wireLine;
        int dwells;
    } cases[] = {
        {0.04, 0, "M3", kDefaultWirePower, "M3 S1000", 0},  // 4E-05 s rounds to 0: left out
        {0.4, 1500, "M3", 250, "M3 S250", 3},               // 0.0004 s twice, the preheat
        {2, 0, "M3 S40", kDefaultWirePower, "M3 S40", 2},   // a power word of its own stays
        {1, 0, "M3", 0, "M3", 2},                           // no power word asked for
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wireLine);
        o.pauseMs = c.pauseMs;
        o.preheatMs = c.preheatMs;
        o.wireOn = c.wireOn;
        o.wirePower = c.power;
        GcodeSummary summary;
        const std::string program = gcodeProgram(sim, o, &summary);
        EXPECT_FALSE(std::regex_search(program, std::regex("[0-9.][Ee][-+]?[0-9]"))) << program;
        EXPECT_NE(program.find("\n" + std::string(c.wireLine) + "\n"), std::string::npos);
        EXPECT_EQ(summary.dwells, c.dwells);
        const std::vector<Block> blocks = readProgram(program);
        int dwells = 0;
        for (const Block& b : blocks) {
            if (!b.has('G', 4)) continue;
            ++dwells;
            EXPECT_GT(b.get('P'), 0) << b.text;
        }
        EXPECT_EQ(dwells, c.dwells);
        if (c.preheatMs > 0) {
            EXPECT_NE(program.find("\nG4 P1.5 (preheat)\n"), std::string::npos);
        }
    }
}

// LinuxCNC's standalone interpreter, when installed (Debian linuxcnc-uspace), reads both
// programs without an error: XYZA as it stands, XYUV with an INI that names the four axes.
TEST(GcodeExport, LinuxCncsInterpreterReadsBothPrograms) {
    if (std::system("command -v rs274 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "rs274 (Debian linuxcnc-uspace) is not installed";
    test::DemoWing m;
    const Simulation sim = m.simulate();
    test::writeFile(m.dir / "xyuv.ini",
                    "[KINS]\nKINEMATICS = trivkins coordinates=XYUV\nJOINTS = 4\n"
                    "[TRAJ]\nCOORDINATES = X Y U V\nLINEAR_UNITS = mm\nANGULAR_UNITS = degree\n"
                    "[RS274NGC]\nPARAMETER_FILE = rs274.var\n");
    for (GcodeAxes axes : {GcodeAxes::XYZA, GcodeAxes::XYUV}) {
        SCOPED_TRACE(gcodeAxesName(axes));
        GcodeOptions o;
        o.axes = axes;
        o.speed = Fixed4::fromDouble(6.2);
        o.pauseMs = 0.04;
        const auto file = m.dir / "wing.ngc";
        const auto out = m.dir / "canon.txt";
        const std::string program = gcodeProgram(sim, o);
        EXPECT_FALSE(std::regex_search(program, std::regex("[0-9.][Ee][-+]?[0-9]")));
        test::writeFile(file, program);
        const std::string ini =
            axes == GcodeAxes::XYUV ? "-i '" + (m.dir / "xyuv.ini").string() + "' " : "";
        const std::string cmd = "cd '" + m.dir.path().string() + "' && rs274 " + ini + "-g '" +
                                file.string() + "' '" + out.string() + "' </dev/null >'" +
                                (m.dir / "rs274.log").string() + "' 2>&1";
        const int status = std::system(cmd.c_str());
        const std::string log = test::readFile(m.dir / "rs274.log");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
        const std::string canon = test::readFile(out);
        EXPECT_EQ(log.find("rror"), std::string::npos) << log;
        EXPECT_NE(canon.find("PROGRAM_END"), std::string::npos) << canon.substr(0, 2000);
    }
}

}  // namespace
}  // namespace corvane
