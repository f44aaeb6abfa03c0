// Feeds every file below the folders named on the command line to a fuzz target's entry point,
// so the corpus and every crasher ever found are checked on each test run. A folder that is
// missing or holds no file fails the run: a replay of nothing would pass without checking anything.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER...\n", argv[0]);
        return 2;
    }
    int total = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        if (!fs::is_directory(argv[i], ec)) {
            std::fprintf(stderr, "corpus folder %s is missing\n", argv[i]);
            return 1;
        }
        int count = 0;
        for (const auto& entry : fs::recursive_directory_iterator(argv[i])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<char> read((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
            // A buffer of exactly the input's size, as the fuzzer gives: a vector grown while
            // reading has room behind its end, where a read past the input goes unnoticed even
            // by AddressSanitizer.
            const auto bytes = std::make_unique<std::uint8_t[]>(read.size());
            std::copy(read.begin(), read.end(), bytes.get());
            LLVMFuzzerTestOneInput(bytes.get(), read.size());
            ++count;
        }
        if (count == 0) {
            std::fprintf(stderr, "corpus folder %s holds no input\n", argv[i]);
            return 1;
        }
        total += count;
    }
    std::printf("replayed %d inputs\n", total);
    return 0;
}
