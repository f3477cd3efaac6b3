// The G-code of a set with lead moves and two delay points, read back by a small reader of its
// own: every G1 ends where the decoded segment ends, every F is 60000 / the segment's
// milliseconds, the dwells follow the right segments, the wire codes frame the cut. Where
// LinuxCNC's standalone interpreter is installed both programs run through it, and grblHAL's
// parser (beside the repository) reads the XYUV and XYZA words.
#include "simulate/gcode_export.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>

#include "simulate_fixture.h"
#include "support/grbl_sim.h"

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
        for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 80u) << line;
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
    EXPECT_TRUE(blocks[2].has('G', 4));        // the delay point after segment 2, which has no tick
    EXPECT_TRUE(blocks[3].has('G', 4));        // segment 3: two ticks that step nothing
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

// An S word however it is written is the wire's power: a second one makes LinuxCNC and GRBL
// refuse the block. An S inside a comment is no word, and the added one goes before a ';'.
TEST(GcodeExport, AWireOnCodeKeepsItsOwnPowerWordHoweverWritten) {
    const struct {
        const char* code;
        const char* line;
    } cases[] = {
        {"M3", "M3 S1000"},         {"M3 S500", "M3 S500"},
        {"M3S500", "M3S500"},       {"m3s500", "m3s500"},
        {"m3 s 500", "m3 s 500"},   {"M3\tS#1", "M3\tS#1"},
        {"M3S.5", "M3S.5"},         {"M3 (Spindle 5)", "M3 (Spindle 5) S1000"},
        {"M3 ;S5", "M3 S1000 ;S5"}, {"M3 (a;b) S5", "M3 (a;b) S5"},
    };
    GcodeOptions o;
    for (const auto& c : cases) {
        o.wireOn = c.code;
        EXPECT_EQ(wireOnLine(o), c.line) << c.code;
    }
}

// The program with U and V written as Z and A (outside comments): Debian's standalone rs274
// has a fixed X Y Z A B C axis mask and refuses U and V, which a LinuxCNC machine configured
// for XYUV takes. The motion is the same; the words are checked by grblHAL built for X Y Z U V.
std::string uvAsZa(const std::string& program) {
    std::string out;
    int depth = 0;
    for (char c : program) {
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        out += depth == 0 && c == 'U' ? 'Z' : depth == 0 && c == 'V' ? 'A' : c;
    }
    return out;
}

// The end of every straight feed in rs274's canonical calls: X Y Z A.
std::vector<std::array<double, 4>> canonFeeds(const std::string& canon) {
    std::vector<std::array<double, 4>> feeds;
    std::istringstream in(canon);
    for (std::string line; std::getline(in, line);) {
        const std::size_t at = line.find("STRAIGHT_FEED(");
        if (at == std::string::npos) continue;
        std::array<double, 4> p{};
        std::istringstream args(line.substr(at + 14));
        char comma = 0;
        args >> p[0] >> comma >> p[1] >> comma >> p[2] >> comma >> p[3];
        feeds.push_back(p);
    }
    return feeds;
}

// The G1 ends of a program, in the order of its axis letters.
std::vector<std::array<double, 4>> programFeeds(const std::string& program, const char* axes) {
    std::vector<std::array<double, 4>> feeds;
    for (const Block& b : readProgram(program)) {
        if (!b.has('G', 1)) continue;
        std::array<double, 4> p{};
        for (int a = 0; a < 4; ++a) p[static_cast<std::size_t>(a)] = b.get(axes[a]);
        feeds.push_back(p);
    }
    return feeds;
}

// LinuxCNC's standalone interpreter, when installed (Debian linuxcnc-uspace), reads both
// programs without an error and feeds to the very positions each G1 names: XYZA as it stands,
// XYUV with U and V given to it as Z and A.
TEST(GcodeExport, LinuxCncsInterpreterMovesAsBothProgramsSay) {
    if (std::system("command -v rs274 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "rs274 (Debian linuxcnc-uspace) is not installed";
    test::DemoWing m;
    const Simulation sim = m.simulate();
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
        test::writeFile(file, axes == GcodeAxes::XYUV ? uvAsZa(program) : program);
        const std::string cmd = "cd '" + m.dir.path().string() + "' && rs274 -g '" + file.string() +
                                "' '" + out.string() + "' </dev/null >'" +
                                (m.dir / "rs274.log").string() + "' 2>&1";
        const int status = std::system(cmd.c_str());
        const std::string log = test::readFile(m.dir / "rs274.log");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
        const std::string canon = test::readFile(out);
        EXPECT_EQ(log.find("rror"), std::string::npos) << log;
        EXPECT_NE(canon.find("PROGRAM_END"), std::string::npos) << canon.substr(0, 2000);
        const auto want = programFeeds(program, axes == GcodeAxes::XYUV ? "XYUV" : "XYZA");
        const auto got = canonFeeds(canon);
        ASSERT_EQ(got.size(), want.size());
        ASSERT_GT(want.size(), 10u);
        for (std::size_t i = 0; i < want.size(); ++i)
            for (std::size_t a = 0; a < 4; ++a)
                ASSERT_NEAR(got[i][a], want[i][a], 5e-5) << "move " << i + 1 << " axis " << a;
    }
}

// The XYUV words themselves, U and V included, through grblHAL's parser built for X Y Z U V:
// every line accepted, the wire-on code with its own power word included. The XYZA program
// through the 4-axis build as well.
TEST(GcodeExport, GrblHalParsesTheXyuvAndXyzaWords) {
    SKIP_WITHOUT_SIMULATOR();
    test::DemoWing m;
    const Simulation sim = m.simulate();
    for (GcodeAxes axes : {GcodeAxes::XYUV, GcodeAxes::XYZA}) {
        SCOPED_TRACE(gcodeAxesName(axes));
        std::string why;
        const auto firmware =
            test::grblSimulatorFor(axes == GcodeAxes::XYUV ? "xyzuv" : "xyza", &why);
        ASSERT_FALSE(firmware.empty()) << why;
        GcodeOptions o;
        o.axes = axes;
        o.speed = Fixed4::fromDouble(6.2);
        o.pauseMs = 2;
        o.preheatMs = 500;
        o.wireOn = "M3S500";  // a second S word in the block would be error 25
        const auto file = m.dir / "wing.ngc";
        test::writeFile(file, gcodeProgram(sim, o));
        const std::string cmd = "'" + (firmware / "grblHAL_validator").string() + "' '" +
                                file.string() + "' >'" + (m.dir / "validator.log").string() +
                                "' 2>&1";
        const int status = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << test::readFile(m.dir / "validator.log");
    }
}

}  // namespace
}  // namespace corvane
