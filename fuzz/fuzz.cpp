// The fuzzer's check: the bytes as a file, read by every reader (lines,
// counted lines, tokens and their numbers, the matrix and its blocks) and
// compared with an independent reading of the same bytes. With
// ZEMLAVOR_FUZZ_TARGET defined this is the libFuzzer binary; without, a test
// that replays the committed corpus.
#include "io/FileParser.h"
#include "math/Matrix.h"
#include "tests/support/TempDir.h"

#include <cctype>
#include <sstream>

namespace {

// A token as its text, its float bit for bit and its int.
std::string token(const std::string& text, float f, int n) {
    return text + '\t' + std::string(reinterpret_cast<const char*>(&f), 4) + std::to_string(n) +
           '\n';
}

// The independent reading: the lines are the pieces between '\n's, after a
// leading UTF-8 byte order mark; a line's tokens are its words, closed by an
// empty one when it ends in whitespace or has none, converted by the C
// library; the matrix holds the first four numbers of the first four lines,
// the rest 0; blocks are row-major copies of its top-left n x n corner, for
// n = 2..4 only.
void readerTarget(const std::string& text) {
    static const TempDir dir;
    const std::string path = dir.write("in", text);
    std::string want, got;
    float entries[4][4] = {};
    std::istringstream pieces(text.substr(text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0) + "\n");
    std::string line, word;
    for (int row = 0; std::getline(pieces, line); ++row) {
        want += line + '\n' + line.c_str() + '\n';
        std::istringstream words(line);
        for (int column = 0; words >> word; ++column) {
            want += token(word, float(std::atof(word.c_str())), std::atoi(word.c_str()));
            if (row < 4 && column < 4)
                entries[row][column] = float(std::atof(word.c_str()));
        }
        if (line.empty() || std::isspace(static_cast<unsigned char>(line.back())))
            want += token("", 0, 0);
    }
    for (int k = 0; k < 16; ++k)
        want += token("", entries[k / 4][k % 4], 0);

    unsigned long count = 0;
    const char** counted = FileParser::parseLines(path, count);
    const std::vector<std::string> lines = FileParser::parseLines(path);
    std::vector<std::vector<FileToken>> tokens = FileParser::tokenize(path);
    const bool sameCounts = count == lines.size() && tokens.size() == lines.size();
    for (size_t i = 0; sameCounts && i < lines.size(); ++i) {
        got += lines[i] + '\n' + counted[i] + '\n';
        for (FileToken& t : tokens[i])
            got += token(t.getString(), t.getFloat(), t.getInt());
    }
    FileParser::freeLines(counted, count);
    Matrix m(path);
    for (int k = 0; k < 16; ++k)
        got += token("", m[k / 4][k % 4], 0);
    if (!sameCounts || got != want)
        throw std::logic_error("the readings differ for \"" + text.substr(0, 200) + "\"");
}

} // namespace

#ifdef ZEMLAVOR_FUZZ_TARGET
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    readerTarget({reinterpret_cast<const char*>(data), size});
    return 0;
}
#else
#include <gtest/gtest.h>

#include <filesystem>

void meshTarget(const std::string& bytes); // fuzz/mesh_fuzz.cpp

// The inputs of corpus/mesh/ through the mesh fuzzer's check, the others
// through the readers'.
TEST(FuzzCorpusReplay, EveryInputKeepsTheProperties) {
    int inputs = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ZEMLAVOR_FUZZ_CORPUS))
        if (entry.is_regular_file()) {
            const std::string bytes = slurp(entry.path());
            const bool mesh = entry.path().parent_path().filename() == "mesh";
            EXPECT_NO_THROW(mesh ? meshTarget(bytes) : readerTarget(bytes)) << entry.path();
            ++inputs;
        }
    EXPECT_GE(inputs, 10) << "a misplaced corpus would pass unnoticed";
}
#endif
