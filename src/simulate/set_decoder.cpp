#include "simulate/set_decoder.h"

#include <algorithm>

#include "common/run_error.h"
#include "machine/machine_settings.h"
#include "machine/step_output.h"
#include "run/working_set_reader.h"

namespace corvane {

StepDecoder::StepDecoder(const DerivedSettings& d) {
    const AxisPins* pins[4] = {&d.X1, &d.Y1, &d.X2, &d.Y2};
    for (int a = 0; a < 4; ++a) {
        const auto stepMask = static_cast<unsigned>(static_cast<uint16_t>(pins[a]->StepMask));
        const auto dirMask = static_cast<unsigned>(static_cast<uint16_t>(pins[a]->DirMask));
        wired_[static_cast<std::size_t>(a)] = (stepMask & 0xFFu) != 0;
        for (unsigned byte = 0; byte < 256; ++byte) {
            if ((byte & stepMask) == 0) continue;
            const bool dirHigh = (byte & dirMask) != 0;
            table_[byte][static_cast<std::size_t>(a)] = dirHigh != pins[a]->Reversed ? 1 : -1;
        }
    }
}

LoadedSet loadSet(const CutSetPaths& paths) {
    std::optional<WorkingSetReader> reader;
    try {
        reader.emplace(paths.step, paths.count);
    } catch (const RunError& e) {
        // The reader does not say which of its two files failed; the operator needs to know.
        std::string where = paths.step.string() + " or " + paths.count.string();
        if (!std::filesystem::exists(paths.step))
            where = paths.step.string();
        else if (!std::filesystem::exists(paths.count))
            where = paths.count.string();
        throw RunError(static_cast<ErrorNumber>(e.number()),
                       where + (e.detail().empty() ? std::string() : ": " + e.detail()));
    }
    LoadedSet set;
    set.steps.reserve(reader->stepCount());
    for (std::size_t i = 0; i < reader->stepCount(); ++i) set.steps.push_back(reader->nextStep());
    while (std::optional<int32_t> entry = reader->nextCount()) set.counts.push_back(*entry);
    return set;
}

const DecodedSegment* DecodedSet::lastProfileSegment() const {
    for (auto it = segments.rbegin(); it != segments.rend(); ++it)
        if (it->kind == SegmentKind::Profile) return &*it;
    return nullptr;
}

namespace {

// Advances `at` by one byte's steps and widens the travel range.
inline void applyByte(const StepDecoder& decoder, uint8_t byte, AxisSteps& at, DecodedSet& d) {
    const std::array<int8_t, 4>& move = decoder(byte);
    for (std::size_t a = 0; a < 4; ++a) {
        at[a] += move[a];
        d.min[a] = std::min(d.min[a], at[a]);
        d.max[a] = std::max(d.max[a], at[a]);
    }
}

}  // namespace

DecodedSet decodeSet(const LoadedSet& set, const StepDecoder& decoder,
                     const std::optional<LeadMoves>& lead, const TickVisitor& visit) {
    DecodedSet d;
    d.stepLines = set.steps.size();
    AxisSteps at{};

    auto leadMove = [&](SegmentKind kind, uint8_t byte) {
        DecodedSegment s;
        s.kind = kind;
        s.firstTick = d.ticks;
        s.ticks = lead->ticks;
        s.start = at;
        for (int64_t i = 0; i < lead->ticks; ++i) applyByte(decoder, byte, at, d);
        s.end = at;
        d.ticks += s.ticks;
        d.leadTicks += s.ticks;
        d.segments.push_back(s);
    };

    if (lead) leadMove(SegmentKind::LeadIn, lead->leadInByte);
    std::size_t done = 0;  // bytes of the step file output so far
    for (int32_t entry : set.counts) {
        if (entry == 0) {
            ++d.pauses;
            if (d.segments.empty())
                ++d.pausesAtStart;
            else
                ++d.segments.back().pausesAfter;
            continue;
        }
        DecodedSegment s;
        s.kind = SegmentKind::Profile;
        s.number = ++d.profileSegments;
        s.firstLine = done;
        s.firstTick = d.ticks;
        s.start = at;
        const std::size_t upTo = entry > 0 ? static_cast<std::size_t>(entry) : 0;
        if (upTo > set.steps.size()) {
            throw RunError(ErrorNumber::InputPastEndOfFile,
                           "the step file holds " + std::to_string(set.steps.size()) +
                               " ticks, the count file asks for " + std::to_string(upTo) +
                               " by segment " + std::to_string(s.number));
        }
        for (; done < upTo; ++done) applyByte(decoder, set.steps[done], at, d);
        s.ticks = static_cast<int64_t>(done - s.firstLine);
        s.end = at;
        d.ticks += s.ticks;
        d.setTicks += s.ticks;
        d.segments.push_back(s);
    }
    if (lead) leadMove(SegmentKind::LeadOut, lead->leadOutByte);
    d.end = at;
    if (visit) visitTicks(set, decoder, lead, d, visit);
    return d;
}

void visitTicks(const LoadedSet& set, const StepDecoder& decoder,
                const std::optional<LeadMoves>& lead, const DecodedSet& decoded,
                const TickVisitor& visit) {
    AxisSteps at{};
    for (const DecodedSegment& s : decoded.segments) {
        const bool fromFile = s.kind == SegmentKind::Profile;
        const uint8_t leadByte = !lead                           ? 0
                                 : s.kind == SegmentKind::LeadIn ? lead->leadInByte
                                                                 : lead->leadOutByte;
        for (int64_t i = 0; i < s.ticks; ++i) {
            const uint8_t byte =
                fromFile ? set.steps[s.firstLine + static_cast<std::size_t>(i)] : leadByte;
            const std::array<int8_t, 4>& move = decoder(byte);
            for (std::size_t a = 0; a < 4; ++a) at[a] += move[a];
            visit(s, at);
        }
    }
}

double tickMs(int32_t stepsPerMm, Fixed4 speed) {
    const Fixed4 high = stepHighTimeMs(stepsPerMm, speed);
    return std::max(0.0, high.toDouble()) + 1.0;
}

}  // namespace corvane
