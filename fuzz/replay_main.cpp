// Runs a fuzzing harness over saved inputs, so that the corpus (the seeds and every input that
// ever found a fault) is an ordinary test in every build, whatever the compiler. Arguments are
// files or folders; a folder's regular files run in name order. A broken property aborts,
// which fails the test; the input being run is named first.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool Run_File(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    std::fprintf(stderr, "replay: %s\n", path.c_str());
    // An empty input must not hand the harness a null pointer it could not tell apart.
    static const uint8_t kNothing = 0;
    LLVMFuzzerTestOneInput(
        bytes.empty() ? &kNothing : reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    int runs = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        std::vector<fs::path> files;
        if (fs::is_directory(arg)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(arg)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(arg);
        }
        if (files.empty()) {
            std::fprintf(stderr, "replay: nothing to run in %s\n", argv[i]);
            return 1;
        }
        for (const fs::path& file : files) {
            if (!Run_File(file)) {
                return 1;
            }
            ++runs;
        }
    }
    std::fprintf(stderr, "replay: %d inputs passed\n", runs);
    return 0;
}
