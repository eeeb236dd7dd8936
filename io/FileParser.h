#pragma once

#include <string>
#include <vector>

// One whitespace-separated word of a text file, converted on demand.
class FileToken {
public:
    FileToken(std::string text);

    std::string getString() const;
    // The C library's reading of the longest numeric prefix: "2.5x" is 2.5,
    // "x" and "" are 0. Out-of-range values follow std::atof / std::atoi.
    float getFloat() const;
    int getInt() const;

private:
    std::string m_text;
};

// Reads text files line by line and splits lines into tokens. Every entry
// point that opens a file throws std::runtime_error("File not found: " +
// filename) when the file cannot be opened or read (a directory included).
class FileParser {
public:
    // Every line of the file, without its '\n' ('\r' is kept) and without a
    // UTF-8 byte order mark at its start. The read that meets the end of the
    // file still yields a line, so "a\nb\n" gives "a", "b", "" and a
    // zero-byte file gives one empty line.
    static std::vector<std::string> parseLines(std::string filename);

    // The same lines as NUL-terminated strings in a new[]'d array; lineCount
    // receives their number. Release with freeLines. If the file cannot be
    // read, this throws, allocates nothing and leaves lineCount as it was.
    static const char** parseLines(std::string filename, unsigned long& lineCount);

    // Frees what the counted parseLines returned: each non-null string of
    // lines[0 .. count-1], then the array. A null array is ignored.
    static void freeLines(const char** lines, unsigned long count);

    // Whitespace-separated words of line. Whenever the line ends in whitespace
    // or holds no word at all, one empty token closes the list: "1 2 " gives
    // "1", "2", "" and "" gives a single "".
    static std::vector<FileToken> tokenizeLine(std::string line);

    // tokenizeLine applied to each line of parseLines(filename): one token
    // list per line, blank lines included.
    static std::vector<std::vector<FileToken>> tokenize(std::string filename);
};
