// Shared helpers of the core tests.
#include "support/test_support.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "common/text_encoding.h"
#include "machine/machine_settings.h"

namespace corvane::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string resetDefaultsLine() {
    MachineSettings s;
    s.fields.resetDefaults();
    return s.fileLine();
}

std::vector<std::string> resetDefaultsValues() {
    return {"0",
            "#TRUE#",
            "#FALSE#",
            "\"0\"",
            "0",
            "\"0\"",
            "\"0\"",
            "\"4000\"",
            "\"300\"",
            "\"300\"",
            "\"Pin 2\"",
            "\"Pin 3\"",
            "\"Pin 4\"",
            "\"Pin 5\"",
            "\"Pin 6\"",
            "\"Pin 7\"",
            "\"Pin 8\"",
            "\"Pin 9\"",
            "\"未使用     \"",
            "\"378h\"",
            "#TRUE#",
            "#FALSE#",
            "1",
            "0",
            "0",
            "0",
            "0",
            "\"0\""};
}

std::string settingsLine(const std::vector<std::string>& values) {
    std::string s;
    for (std::size_t i = 0; i < values.size(); ++i) s += (i ? "," : "") + values[i];
    return utf8ToGbk(s + "\r\n");
}

void copyResources(const std::filesystem::path& folder) {
    std::filesystem::copy(
        CORVANE_RESOURCES, folder,
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing);
}

TestMachine::TestMachine() : clock(1000), ws(dir.path(), port, clock) {
    ws.settings.fields.resetDefaults();
    ws.settings.fields.steps_per_inch = "158";
    ws.settings.derive();
    port.setRecording(true);
}

}  // namespace corvane::test
