// Runs a libFuzzer harness once over every file of a corpus folder, so the
// seed corpus is exercised by every test run, with any compiler.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus folder or file>...\n", argv[0]);
        return 2;
    }
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        const std::filesystem::path root(argv[i]);
        if (std::filesystem::is_directory(root)) {
            for (const auto &entry : std::filesystem::recursive_directory_iterator(root))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else {
            files.push_back(root);
        }
        std::sort(files.begin(), files.end());
        for (const auto &file : files) {
            std::ifstream in(file, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++count;
        }
    }
    std::printf("%d inputs ran without a fault\n", count);
    return count > 0 ? 0 : 1;
}
