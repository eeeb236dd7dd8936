#include "io/FileParser.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> texts(std::vector<FileToken> tokens) {
    std::vector<std::string> out;
    for (FileToken& t : tokens)
        out.push_back(t.getString());
    return out;
}

// Calls f and returns the message of the std::runtime_error it throws, or a
// marker when it throws nothing.
std::string runtimeErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "<no exception>";
}

TEST(FileParser, ParseLinesSplitsAtNewlinesAndKeepsTheFinalRead) {
    struct Case {
        std::string bytes;
        Lines expected;
    };
    const std::vector<Case> cases = {
        {"a\nb\n", {"a", "b", ""}},
        {"a\nb", {"a", "b"}},
        {"", {""}},
        {"\n", {"", ""}},
        {"one line", {"one line"}},
        {"x\n\n\ny", {"x", "", "", "y"}},
        {"1 2\r\n3 4\r\n", {"1 2\r", "3 4\r", ""}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        EXPECT_EQ(FileParser::parseLines(dir.write("f.txt", c.bytes)), c.expected);
    }
}

TEST(FileParser, CountedParseLinesReturnsNulTerminatedCopies) {
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"first\nsecond line\n", {"first", "second line", ""}},
        {"", {""}},
    };
    TempDir dir;
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        unsigned long count = 12345;
        const char** lines = FileParser::parseLines(dir.write("f.txt", bytes), count);
        ASSERT_NE(lines, nullptr);
        ASSERT_EQ(count, expected.size());
        for (unsigned long i = 0; i < count; ++i)
            EXPECT_STREQ(lines[i], expected[i].c_str()) << "line " << i;
        FileParser::freeLines(lines, count);
    }
    FileParser::freeLines(nullptr, 0);
}

TEST(FileParser, MissingFileThrowsWithTheNameAsPassedFromEveryEntryPoint) {
    TempDir dir;
    const std::string name = dir.file("no/such/../file.txt");
    const std::string expected = "File not found: " + name;
    unsigned long count = 12345;

    EXPECT_EQ(runtimeErrorOf([&] { FileParser::parseLines(name); }), expected);
    EXPECT_EQ(runtimeErrorOf([&] { FileParser::parseLines(name, count); }), expected);
    EXPECT_EQ(count, 12345ul);
    EXPECT_EQ(runtimeErrorOf([&] { FileParser::tokenize(name); }), expected);
}

TEST(FileParserDeathTest, DirectoryIsRejectedInsteadOfReadForever) {
    TempDir dir;
    const std::string name = dir.path();
    const std::string expected = "File not found: " + name;
    const std::vector<std::function<void()>> entryPoints = {
        [&] { FileParser::parseLines(name); },
        [&] {
            unsigned long count = 0;
            FileParser::parseLines(name, count);
        },
        [&] { FileParser::tokenize(name); },
    };
    // A read loop that never sees eof would hang the suite, so each call runs
    // first in a child process that the alarm kills if it does not return.
    for (std::size_t k = 0; k < entryPoints.size(); ++k) {
        SCOPED_TRACE("entry point " + std::to_string(k));
        ASSERT_EXIT(
            {
                alarm(5);
                std::exit(runtimeErrorOf(entryPoints[k]) == expected ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
        EXPECT_EQ(runtimeErrorOf(entryPoints[k]), expected);
    }
}

TEST(FileParser, TokenizeLineSplitsOnWhitespace) {
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"1 2 3", {"1", "2", "3"}},
        {"1 2 3 ", {"1", "2", "3", ""}},
        {"  1\t2", {"1", "2"}},
        {"", {""}},
        {"   \t", {""}},
        {"1 2\r", {"1", "2", ""}},
        {"-0.5e2 abc", {"-0.5e2", "abc"}},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(texts(FileParser::tokenizeLine(line)), expected)
            << "line " << ::testing::PrintToString(line);
}

TEST(FileParser, TokenizeGivesOneListPerLine) {
    TempDir dir;
    auto lists = FileParser::tokenize(dir.write("f.txt", "1 2\n\n3\n"));
    ASSERT_EQ(lists.size(), 4u);
    EXPECT_EQ(texts(lists[0]), (Lines{"1", "2"}));
    EXPECT_EQ(texts(lists[1]), (Lines{""}));
    EXPECT_EQ(texts(lists[2]), (Lines{"3"}));
    EXPECT_EQ(texts(lists[3]), (Lines{""}));
}

TEST(FileParser, TokenConversionsReadTheNumericPrefix) {
    struct Case {
        std::string text;
        float asFloat;
        int asInt;
    };
    const std::vector<Case> cases = {
        {"2.5e1", 25.0f, 2}, {"-7abc", -7.0f, -7}, {"", 0.0f, 0},
        {"x1", 0.0f, 0},     {"0.1", 0.1f, 0},     {"  42", 42.0f, 42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        FileToken t(c.text);
        EXPECT_EQ(t.getString(), c.text);
        EXPECT_FLOAT_EQ(t.getFloat(), c.asFloat);
        EXPECT_EQ(t.getInt(), c.asInt);
    }
}

} // namespace
