// Runs a fuzz target's entry point on saved inputs, without libFuzzer, so
// that the corpus is an ordinary test of every build.
//
//   replay PATH...    each PATH a file or a folder searched through; a PATH
//                     written --optional=PATH is passed over when missing
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_check.h"

namespace {

bool replay_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: %s: cannot open\n", path.string().c_str());
        return false;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    size_t inputs = 0;
    for (int k = 1; k < argc; ++k) {
        constexpr const char* OPTIONAL = "--optional=";
        const bool optional = std::strncmp(argv[k], OPTIONAL, std::strlen(OPTIONAL)) == 0;
        const std::filesystem::path path(optional ? argv[k] + std::strlen(OPTIONAL) : argv[k]);
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            if (optional) {
                continue;
            }
            std::fprintf(stderr, "replay: %s: no such file or folder\n", path.string().c_str());
            return 1;
        }
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(path);
        }
        for (const auto& file : files) {
            if (!replay_file(file)) {
                return 1;
            }
            ++inputs;
        }
    }
    if (inputs == 0) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 1;
    }
    std::printf("replayed %zu inputs\n", inputs);
    return 0;
}
