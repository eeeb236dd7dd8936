#include "fuzz/FuzzTargets.h"

#include "io/FileParser.h"
#include "math/Matrix.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The file the readers are pointed at. Rewriting one open descriptor keeps
// the per-input cost at a truncate and a write.
class ScratchFile {
public:
    ScratchFile() {
        const char* base = std::getenv("TMPDIR");
        const std::string pattern =
            std::string(base && *base ? base : "/tmp") + "/zemlavor-fuzz-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        m_fd = mkstemp(buf.data());
        if (m_fd < 0)
            throw std::runtime_error("mkstemp failed for " + pattern);
        m_path = buf.data();
    }
    ~ScratchFile() {
        close(m_fd);
        unlink(m_path.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Makes the file hold exactly size bytes of data; returns its name.
    const std::string& write(const uint8_t* data, size_t size) {
        if (ftruncate(m_fd, 0) != 0)
            throw std::runtime_error("cannot truncate " + m_path);
        size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw std::runtime_error("cannot write " + m_path);
            done += static_cast<size_t>(n);
        }
        return m_path;
    }

private:
    int m_fd = -1;
    std::string m_path;
};

ScratchFile& scratch() {
    static ScratchFile file;
    return file;
}

[[noreturn]] void fail(const std::string& what) {
    throw PropertyViolation(what);
}

// s as a C string literal, cut after 160 bytes so that a report stays short.
std::string quoted(const std::string& s) {
    const size_t shown = std::min<size_t>(s.size(), 160);
    std::string out = "\"";
    for (size_t i = 0; i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (c >= 0x20 && c < 0x7f) {
                out += static_cast<char>(c);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", c);
                out += hex;
            }
        }
    }
    out += "\"";
    if (shown < s.size())
        out += "... (" + std::to_string(s.size()) + " bytes)";
    return out;
}

std::string showFloat(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g (0x%08x)", static_cast<double>(f), bits);
    return buf;
}

// Equal bit for bit (so 0 and -0 differ), or both NaN whatever the payload.
bool sameFloat(float a, float b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whitespace as the "C" locale classifies it, spelled out so that the
// reference does not depend on the locale or on the signedness of char.
bool isCSpace(char c) {
    switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
        return true;
    default:
        return false;
    }
}

// The pieces between '\n's: k newlines give k + 1 lines, so a final newline
// gives a last empty line and zero bytes give one empty line.
std::vector<std::string> splitLines(const std::string& content) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t nl = content.find('\n', start);
        if (nl == std::string::npos) {
            lines.push_back(content.substr(start));
            return lines;
        }
        lines.push_back(content.substr(start, nl - start));
        start = nl + 1;
    }
}

// Maximal runs of non-whitespace bytes.
std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isCSpace(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !isCSpace(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

// What tokenizeLine promises: the words, closed by one empty token when the
// line ends in whitespace or has no word.
std::vector<std::string> expectedTokens(const std::string& line) {
    std::vector<std::string> tokens = splitWords(line);
    if (tokens.empty() || isCSpace(line.back()))
        tokens.push_back("");
    return tokens;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += '\n';
        out += lines[i];
    }
    return out;
}

std::string showList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size() && i < 8; ++i)
        out += (i ? ", " : "") + quoted(items[i]);
    if (items.size() > 8)
        out += ", ... (" + std::to_string(items.size()) + " items)";
    return out + "]";
}

// tokens against the reference for line, then each token's conversions
// against the C library's.
void checkTokens(const std::string& line, std::vector<FileToken>& tokens,
                 const std::string& where) {
    std::vector<std::string> texts;
    for (FileToken& t : tokens)
        texts.push_back(t.getString());

    for (size_t k = 0; k < texts.size(); ++k) {
        if (std::any_of(texts[k].begin(), texts[k].end(), isCSpace))
            fail(where + ": token " + std::to_string(k) + " " + quoted(texts[k]) +
                 " holds whitespace; line " + quoted(line));
        if (texts[k].empty() && k + 1 != texts.size())
            fail(where + ": empty token " + std::to_string(k) + " is not the last; line " +
                 quoted(line));
    }
    const std::vector<std::string> expected = expectedTokens(line);
    if (texts != expected)
        fail(where + ": tokens of " + quoted(line) + " are " + showList(texts) + ", expected " +
             showList(expected));

    for (size_t k = 0; k < tokens.size(); ++k) {
        const char* s = texts[k].c_str();
        const float f = tokens[k].getFloat();
        const float ref = static_cast<float>(std::strtod(s, nullptr));
        if (!sameFloat(f, ref))
            fail(where + ": getFloat of " + quoted(texts[k]) + " is " + showFloat(f) +
                 ", strtod gives " + showFloat(ref));
        const int n = tokens[k].getInt();
        const int nref = std::atoi(s);
        if (n != nref)
            fail(where + ": getInt of " + quoted(texts[k]) + " is " + std::to_string(n) +
                 ", atoi gives " + std::to_string(nref));
    }
}

// The counted form: same number of lines, each the vector's line read as a C
// string (so cut at its first NUL), the count stored, and freeLines releasing
// everything (a leak or a bad delete shows under AddressSanitizer).
void checkCountedLines(const std::string& path, const std::vector<std::string>& lines) {
    const unsigned long untouched = 0xdeadbeefUL;
    unsigned long count = untouched;
    const char** array = FileParser::parseLines(path, count);
    if (!array)
        fail("counted parseLines returned a null array");
    if (count != lines.size()) {
        FileParser::freeLines(array, count == untouched ? 0 : count);
        fail("counted parseLines gives " + std::to_string(count) + " lines, the vector form " +
             std::to_string(lines.size()));
    }
    for (unsigned long i = 0; i < count; ++i) {
        const std::string asC = lines[i].substr(0, lines[i].find('\0'));
        if (!array[i] || std::strlen(array[i]) != asC.size() ||
            std::memcmp(array[i], asC.data(), asC.size()) != 0) {
            const std::string got = array[i] ? quoted(array[i]) : "null";
            FileParser::freeLines(array, count);
            fail("counted parseLines line " + std::to_string(i) + " is " + got + ", expected " +
                 quoted(asC));
        }
    }
    FileParser::freeLines(array, count);
}

} // namespace

void fuzzTokenizer(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const std::string& path = scratch().write(data, size);

    const std::vector<std::string> lines = FileParser::parseLines(path);
    const std::vector<std::string> expectedLines = splitLines(content);
    if (lines != expectedLines)
        fail("parseLines of " + quoted(content) + " gives " + showList(lines) + ", expected " +
             showList(expectedLines));
    if (joinLines(lines) != content)
        fail("parseLines lines joined with \\n differ from the file " + quoted(content));

    checkCountedLines(path, lines);

    std::vector<std::vector<FileToken>> lists = FileParser::tokenize(path);
    if (lists.size() != lines.size())
        fail("tokenize gives " + std::to_string(lists.size()) + " token lists for " +
             std::to_string(lines.size()) + " lines of " + quoted(content));
    for (size_t i = 0; i < lists.size(); ++i) {
        if (lists[i].empty())
            fail("tokenize gives no token for line " + std::to_string(i) + " " + quoted(lines[i]));
        checkTokens(lines[i], lists[i], "tokenize line " + std::to_string(i));
    }

    // The whole input as one line: '\n' is whitespace to tokenizeLine.
    std::vector<FileToken> whole = FileParser::tokenizeLine(content);
    checkTokens(content, whole, "tokenizeLine");
}

void fuzzMatrixFile(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const std::string& path = scratch().write(data, size);

    // The first four lines, the first four numbers of each; the rest stays 0.
    float expected[4][4] = {};
    const std::vector<std::string> lines = splitLines(content);
    for (size_t i = 0; i < std::min<size_t>(4, lines.size()); ++i) {
        const std::vector<std::string> words = splitWords(lines[i]);
        for (size_t j = 0; j < std::min<size_t>(4, words.size()); ++j)
            expected[i][j] = static_cast<float>(std::strtod(words[j].c_str(), nullptr));
    }

    Matrix m(path);
    const Matrix& cm = m;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            if (!sameFloat(m[i][j], expected[i][j]))
                fail("Matrix of " + quoted(content) + ": m[" + std::to_string(i) + "][" +
                     std::to_string(j) + "] is " + showFloat(m[i][j]) + ", expected " +
                     showFloat(expected[i][j]));
            if (!sameFloat(cm[i][j], m[i][j]))
                fail("const and non-const operator[] differ at " + std::to_string(i) + "," +
                     std::to_string(j));
        }

    for (int n = 2; n <= 4; ++n) {
        float* block = m.getMatn(n);
        if (!block)
            fail("getMatn(" + std::to_string(n) + ") returned null");
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                if (!sameFloat(block[i * n + j], m[i][j])) {
                    const std::string got = showFloat(block[i * n + j]);
                    delete[] block;
                    fail("getMatn(" + std::to_string(n) + ") element " + std::to_string(i) + "," +
                         std::to_string(j) + " is " + got + ", m[i][j] is " + showFloat(m[i][j]));
                }
        delete[] block;
    }
    float* mat3 = m.getMat3();
    if (!mat3)
        fail("getMat3 returned null");
    for (int k = 0; k < 9; ++k)
        if (!sameFloat(mat3[k], m[k / 3][k % 3])) {
            delete[] mat3;
            fail("getMat3 element " + std::to_string(k) + " differs from m[" +
                 std::to_string(k / 3) + "][" + std::to_string(k % 3) + "]");
        }
    delete[] mat3;
    for (int n : {-1, 0, 1, 5})
        if (float* none = m.getMatn(n)) {
            delete[] none;
            fail("getMatn(" + std::to_string(n) + ") returned a block");
        }
}

int runFuzzTarget(void (*target)(const uint8_t*, size_t), const uint8_t* data, size_t size) {
    try {
        target(data, size);
    } catch (const PropertyViolation& e) {
        std::fprintf(stderr, "==== property violated: %s\n", e.what());
        std::abort();
    }
    return 0;
}
