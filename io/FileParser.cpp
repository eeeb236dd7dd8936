#include "io/FileParser.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

FileToken::FileToken(std::string text) : m_text(std::move(text)) {}

std::string FileToken::getString() const {
    return m_text;
}

float FileToken::getFloat() const {
    return static_cast<float>(std::atof(m_text.c_str()));
}

int FileToken::getInt() const {
    return std::atoi(m_text.c_str());
}

std::vector<std::string> FileParser::parseLines(std::string filename) {
    std::ifstream in(filename, std::ios::in);
    if (!in.is_open())
        throw std::runtime_error("File not found: " + filename);

    std::vector<std::string> lines;
    while (!in.eof()) {
        std::string line;
        std::getline(in, line);
        // A failed read that has not reached the end (an I/O error, or a
        // directory, which opens but cannot be read) never sets eof; without
        // this the loop would not end.
        if (in.bad() || (in.fail() && !in.eof()))
            throw std::runtime_error("File not found: " + filename);
        lines.push_back(line);
    }
    // Some editors start a UTF-8 file with a byte order mark; it is no text.
    if (lines[0].rfind("\xEF\xBB\xBF", 0) == 0)
        lines[0].erase(0, 3);
    return lines;
}

const char** FileParser::parseLines(std::string filename, unsigned long& lineCount) {
    const std::vector<std::string> lines = parseLines(filename);

    const unsigned long count = lines.size();
    const char** out = new const char*[count]();
    try {
        for (unsigned long i = 0; i < count; ++i) {
            char* s = new char[lines[i].size() + 1];
            std::memcpy(s, lines[i].c_str(), lines[i].size() + 1);
            out[i] = s;
        }
    } catch (...) {
        freeLines(out, count);
        throw;
    }
    lineCount = count;
    return out;
}

void FileParser::freeLines(const char** lines, unsigned long count) {
    if (!lines)
        return;
    for (unsigned long i = 0; i < count; ++i)
        delete[] lines[i];
    delete[] lines;
}

std::vector<FileToken> FileParser::tokenizeLine(std::string line) {
    std::vector<FileToken> tokens;
    std::stringstream ss(line, std::ios::in | std::ios::out);
    while (ss.good()) {
        std::string tok;
        ss >> tok;
        tokens.push_back(FileToken(tok));
    }
    return tokens;
}

std::vector<std::vector<FileToken>> FileParser::tokenize(std::string filename) {
    std::vector<std::vector<FileToken>> result;
    for (const std::string& line : parseLines(filename))
        result.push_back(tokenizeLine(line));
    return result;
}
