// Runs every committed fuzz corpus input through the same checks as the
// fuzzers, so that the properties are re-verified by an ordinary build with
// any compiler.

#include "fuzz/FuzzTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Target = void (*)(const uint8_t*, size_t);

// The regular files of the corpus folder for one fuzzer, in name order.
std::vector<fs::path> corpusFiles(const std::string& fuzzer) {
    std::vector<fs::path> files;
    const fs::path dir = fs::path(ZEMLAVOR_FUZZ_CORPUS) / fuzzer;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec))
        if (e.is_regular_file())
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + file.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reports a broken property, or anything else the target throws, as a
// failure of the current test and carries on.
void expectPropertiesHold(Target target, const std::string& bytes) {
    try {
        target(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    } catch (const PropertyViolation& e) {
        ADD_FAILURE() << e.what();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "unexpected exception: " << e.what();
    }
}

void replayCorpus(const std::string& fuzzer, Target target) {
    const std::vector<fs::path> files = corpusFiles(fuzzer);
    // An empty or misplaced corpus would make the replay pass vacuously.
    ASSERT_GE(files.size(), 5u) << "too few inputs in " << ZEMLAVOR_FUZZ_CORPUS << "/" << fuzzer;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        expectPropertiesHold(target, readBytes(file));
    }
}

TEST(FuzzCorpusReplay, EveryTokenizerInputKeepsTheReaderProperties) {
    replayCorpus("tokenizer", fuzzTokenizer);
}

TEST(FuzzCorpusReplay, EveryMatrixInputKeepsTheMatrixProperties) {
    replayCorpus("matrix", fuzzMatrixFile);
}

} // namespace
