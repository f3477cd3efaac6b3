// Fuzz target: airfoil coordinate files in every layout the readers know (plain list, name line,
// byte-order mark, commas, the two-surface layout the generator refuses and the check reads):
// the generator's reader by bytes and by path, with and without washout, and the check and
// preparation of `corvane-cli airfoil` on whatever the check accepts.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/run_error.h"
#include "fuzz_support.h"
#include "generate/airfoil_check.h"
#include "generate/airfoil_input.h"
#include "generate/airfoil_prepare.h"

using namespace corvane;

namespace {

void generatorReader(std::string_view bytes) {
    try {
        const Profile p = parseProfile(bytes, "fuzz.dat");
        fuzz::require(p.x.size() == p.y.size(), "a profile with more x than y");
    } catch (const AirfoilFormatError&) {
    }
    const auto path = fuzz::scratchFile("fuzz.dat", bytes);
    for (const std::optional<double> washout : {std::optional<double>{}, std::optional(2.0)}) {
        try {
            const Profile p = readProfile(path, washout);
            fuzz::require(p.size() == countPoints(path), "Count points and Read profile differ");
        } catch (const AirfoilFormatError&) {
        } catch (const RunError&) {
        }
    }
}

void checkAndPrepare(std::string_view bytes) {
    try {
        const AirfoilFile file = parseAirfoilFile(bytes, "fuzz.dat");
        (void)formatReport(checkAirfoil(file, "fuzz.dat"));
        const AirfoilSurfaces surfaces = splitSurfaces(file, "fuzz.dat");
        for (const bool lowerFirst : {false, true}) {
            const PreparedProfile prepared = prepareProfile(surfaces, {21, lowerFirst});
            fuzz::require(prepared.points.size() == 21, "prepared profile of the wrong size");
            (void)largestDeviation(prepared, surfaces);
            (void)plainAirfoilText(prepared.points);
        }
    } catch (const AirfoilFormatError&) {
    } catch (const RunError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    generatorReader(bytes);
    checkAndPrepare(bytes);
    return 0;
}
