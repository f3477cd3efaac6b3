// The streamed lines' moves and times.
#include "controller/program_timeline.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace corvane {

namespace {

struct Word {
    char letter;
    double value;
};

std::vector<Word> wordsOf(const std::string& text) {
    std::vector<Word> words;
    const char* p = text.c_str();
    while (*p != '\0') {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
        if (!std::isalpha(static_cast<unsigned char>(letter))) {
            ++p;
            continue;
        }
        char* after = nullptr;
        const double value = std::strtod(p + 1, &after);
        if (after == p + 1) {
            ++p;
            continue;
        }
        words.push_back({letter, value});
        p = after;
    }
    return words;
}

int axisOf(char letter) {
    switch (letter) {
        case 'X':
            return 0;
        case 'Y':
            return 1;
        case 'Z':
        case 'U':  // a board built with U and V carries X2 Y2 there
            return 2;
        case 'A':
        case 'V':
            return 3;
        default:
            return -1;
    }
}

double distance(const std::array<double, 4>& a, const std::array<double, 4>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < 4; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum);
}

}  // namespace

std::string numbered(int number, const std::string& text) {
    if (number <= 0) return text;
    return "N" + std::to_string(number) + " " + text;
}

ProgramTimeline::ProgramTimeline(const std::vector<ProgramLine>& lines) {
    std::array<double, 4> at{};
    bool inverseTime = false, relative = false, anyMove = false;
    int motion = -1;  // 0 or 1 while G0/G1 is modal
    double feed = 0;
    for (const ProgramLine& line : lines) {
        LineMotion m;
        m.number = line.number;
        m.start = at;
        const std::vector<Word> words = wordsOf(line.text);
        bool dwell = false, zero = false, axisWords = false;
        double lineFeed = -1, p = 0;
        std::array<double, 4> target = at;
        for (const Word& w : words) {
            if (w.letter == 'G') {
                const int g = static_cast<int>(std::lround(w.value * 10));
                if (g == 0 || g == 10) motion = g / 10;
                if (g == 40) dwell = true;
                if (g == 920) zero = true;
                if (g == 900) relative = false;
                if (g == 910) relative = true;
                if (g == 930) inverseTime = true;
                if (g == 940) inverseTime = false;
            } else if (w.letter == 'F') {
                lineFeed = w.value;
            } else if (w.letter == 'P') {
                p = w.value;
            } else if (const int a = axisOf(w.letter); a >= 0) {
                axisWords = true;
                target[static_cast<std::size_t>(a)] =
                    relative ? at[static_cast<std::size_t>(a)] + w.value : w.value;
            }
        }
        if (lineFeed > 0 && !inverseTime) feed = lineFeed;
        if (zero && axisWords) {
            // The coordinates restart from here; a G92 before any move is the program's origin.
            if (!anyMove && target == std::array<double, 4>{}) zeroesAtStart_ = true;
            at = target = std::array<double, 4>{};
            m.start = at;
        } else if (dwell) {
            m.seconds = std::max(p, 0.0);
        } else if (axisWords && motion >= 0) {
            const double length = distance(at, target);
            m.moves = length > 0;
            if (motion == 1 && inverseTime && lineFeed > 0)
                m.seconds = 60.0 / lineFeed;
            else if (motion == 1 && feed > 0)
                m.seconds = length / feed * 60.0;
            at = target;
            anyMove = anyMove || m.moves;
        }
        m.end = at;
        lines_.push_back(m);
    }
}

double ProgramTimeline::seconds(std::size_t from, std::size_t to) const {
    double sum = 0;
    for (std::size_t i = from; i < to && i < lines_.size(); ++i) sum += lines_[i].seconds;
    return sum;
}

std::optional<std::size_t> ProgramTimeline::indexOfNumber(int number) const {
    // Numbers grow along the program (the zeroing line before it has 0).
    const auto after = std::upper_bound(lines_.begin(), lines_.end(), number,
                                        [](int n, const LineMotion& m) { return n < m.number; });
    if (after == lines_.begin()) return std::nullopt;
    return static_cast<std::size_t>(after - lines_.begin() - 1);
}

double ProgramTimeline::fractionAt(std::size_t i, const std::array<double, 4>& position) const {
    const LineMotion& m = lines_[i];
    if (!m.moves) return 0;
    double along = 0, length2 = 0;
    for (std::size_t a = 0; a < 4; ++a) {
        along += (position[a] - m.start[a]) * (m.end[a] - m.start[a]);
        length2 += (m.end[a] - m.start[a]) * (m.end[a] - m.start[a]);
    }
    return std::clamp(along / length2, 0.0, 1.0);
}

std::optional<std::size_t> ProgramTimeline::locate(const std::array<double, 4>& position,
                                                   std::size_t from, std::size_t to,
                                                   double tolerance) const {
    for (std::size_t i = from; i < to && i < lines_.size(); ++i) {
        const LineMotion& m = lines_[i];
        if (!m.moves) continue;
        const double t = fractionAt(i, position);
        std::array<double, 4> nearest{};
        for (std::size_t a = 0; a < 4; ++a) nearest[a] = m.start[a] + t * (m.end[a] - m.start[a]);
        if (distance(nearest, position) <= tolerance) return i;
    }
    return std::nullopt;
}

}  // namespace corvane
