// Runs a fuzz target's LLVMFuzzerTestOneInput over saved inputs, so that the
// corpus serves as a regression suite in builds without libFuzzer.
//
//   fuzz_parse_file_replay FILE_OR_DIRECTORY...
//
// Directories are walked recursively. Fails when an argument does not exist
// or when no input at all was found; a failed check inside the target aborts.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace fs = std::filesystem;

namespace {

bool replay(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    std::fprintf(stderr, "replay %s (%zu bytes)\n", file.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        const fs::path arg = argv[i];
        if (fs::is_directory(arg, ec)) {
            for (const auto &entry : fs::recursive_directory_iterator(arg, ec))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else if (fs::is_regular_file(arg, ec)) {
            files.push_back(arg);
        } else {
            std::fprintf(stderr, "no such file or directory: %s\n", argv[i]);
            return 2;
        }
        if (ec) {
            std::fprintf(stderr, "%s: %s\n", argv[i], ec.message().c_str());
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 2;
    }
    for (const fs::path &file : files)
        if (!replay(file))
            return 1;
    std::printf("replayed %zu inputs\n", files.size());
    return 0;
}
