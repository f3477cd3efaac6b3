// Replays a fuzz target over files without libFuzzer: every file named, and every file in the
// folders named (sorted, recursively), goes through LLVMFuzzerTestOneInput once. The ordinary
// and the sanitizer builds link the targets with this, so ctest keeps the seeds and the
// regression inputs passing. A named path that does not exist, or no input at all, fails.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path named = argv[i];
        if (fs::is_directory(named)) {
            std::vector<fs::path> inFolder;
            for (const auto& entry : fs::recursive_directory_iterator(named)) {
                if (entry.is_regular_file()) inFolder.push_back(entry.path());
            }
            std::sort(inFolder.begin(), inFolder.end());
            files.insert(files.end(), inFolder.begin(), inFolder.end());
        } else if (fs::is_regular_file(named)) {
            files.push_back(named);
        } else {
            std::fprintf(stderr, "replay: %s does not exist\n", argv[i]);
            return 2;
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "replay: no input files\n");
        return 2;
    }
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
            return 2;
        }
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
        // Announced first, so that a crash names the input that caused it.
        std::fprintf(stderr, "replay: %s\n", file.c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replay: %zu inputs, no findings\n", files.size());
    return 0;
}
