#include "io/MeshChecks.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string_view>
#include <vector>

namespace {

// Whitespace-separated words of a text, one at a time.
class Words {
public:
    explicit Words(std::string_view text) : m_text(text) {}
    bool next(std::string_view& word) {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
        const size_t start = m_pos;
        while (m_pos < m_text.size() && !std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
        word = m_text.substr(start, m_pos - start);
        return !word.empty();
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

// A decimal count; one too large for 64 bits reads as the largest, so that a
// huge count in a small file is still found short.
bool toCount(std::string_view word, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error == std::errc::result_out_of_range)
        value = std::numeric_limits<std::uint64_t>::max();
    return error != std::errc::invalid_argument && end == word.data() + word.size();
}

// The size in bytes of a PLY scalar type; 0 for an unknown one.
int plyTypeSize(const std::string& type) {
    static const char* const names[][4] = {{"char", "uchar", "int8", "uint8"},
                                           {"short", "ushort", "int16", "uint16"},
                                           {"int", "uint", "int32", "uint32"},
                                           {"float", "float32", "", ""},
                                           {"double", "float64", "", ""}};
    static const int sizes[] = {1, 2, 4, 4, 8};
    for (int i = 0; i < 5; ++i)
        if (!type.empty() && std::find(names[i], names[i] + 4, type) != names[i] + 4)
            return sizes[i];
    return 0;
}

// What is wrong with a file that starts like PLY: "" when nothing is found,
// "truncated" when it holds less than its header declares, a "damaged or
// truncated" reason for a header line this check does not know. Assimp's PLY
// reader, which it also tries on files of other names, never returns on a
// header without "end_header", pads missing ASCII data with made-up values,
// and corrupts memory on some malformed headers, so only headers understood
// here reach it.
std::string plyProblem(const std::string& path, std::uint64_t fileSize) {
    struct Property {
        bool list;
        int size; // of the value, or of a list's count
    };
    struct Element {
        std::uint64_t count;
        std::vector<Property> properties;
    };
    std::ifstream in(path, std::ios::binary);
    std::string line, format;
    char magic[3] = {};
    in >> std::ws;
    in.read(magic, 3);
    for (int i = 0; i < 3; ++i)
        if (std::tolower(static_cast<unsigned char>(magic[i])) != "ply"[i])
            return "";
    std::getline(in, line);
    std::vector<Element> elements;
    bool understood = line.find_first_not_of(" \t\r") == std::string::npos;
    for (;;) {
        if (!std::getline(in, line))
            return "truncated";
        std::istringstream words(line);
        std::string key, type, name;
        words >> key;
        if (key == "end_header")
            break;
        if (key == "format") {
            understood = understood && format.empty() && (words >> format) &&
                         (format == "ascii" || format == "binary_little_endian" ||
                          format == "binary_big_endian");
        } else if (key == "element") {
            elements.push_back({0, {}});
            understood =
                understood && (words >> name >> type) && toCount(type, elements.back().count);
        } else if (key == "property" && !elements.empty()) {
            words >> type;
            const bool list = type == "list";
            if (list)
                words >> type >> name; // the count's type, then the items'
            understood = understood && plyTypeSize(type) > 0 && (!list || plyTypeSize(name) > 0);
            elements.back().properties.push_back({list, plyTypeSize(type)});
        } else {
            understood = understood && (key.empty() || key == "comment" || key == "obj_info");
        }
    }
    if (!understood || format.empty())
        return "damaged or truncated (a PLY header line not understood)";
    // Records with nothing in them take no bytes, yet the reader counts them
    // out one by one: more of them than the file has bytes is never legitimate.
    for (const Element& element : elements)
        if (element.properties.empty() && element.count > fileSize)
            return "damaged or truncated (a PLY element of more empty records than bytes)";
    if (format == "ascii") {
        const std::string body{std::istreambuf_iterator<char>(in), {}};
        Words words(body);
        std::string_view word;
        for (const Element& element : elements)
            for (std::uint64_t i = 0; i < element.count && !element.properties.empty(); ++i)
                for (const Property& property : element.properties) {
                    std::uint64_t items = 0;
                    if (!words.next(word))
                        return "truncated";
                    if (property.list && !toCount(word, items))
                        return "";
                    for (; items > 0; --items)
                        if (!words.next(word))
                            return "truncated";
                }
        return "";
    }
    // Binary: every record holds at least its values and its lists' counts.
    const std::streamoff start = in.tellg();
    std::uint64_t left = start < 0 ? 0 : fileSize - static_cast<std::uint64_t>(start);
    for (const Element& element : elements) {
        std::uint64_t record = 0;
        for (const Property& property : element.properties)
            record += static_cast<std::uint64_t>(property.size);
        if (record > 0 && element.count > left / record)
            return "truncated";
        left -= element.count * record;
    }
    return "";
}

// Whether an OFF file holds as many vertex and face lines as it declares,
// each face line with all the indices it announces. Assimp pads the missing
// ones. '#' starts a comment.
bool offComplete(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::vector<std::string_view> words;
    auto nextLine = [&]() {
        while (std::getline(in, line)) {
            line.erase(std::min(line.find('#'), line.size()));
            words.clear();
            Words split(line);
            for (std::string_view word; split.next(word);)
                words.push_back(word);
            if (!words.empty())
                return true;
        }
        return false;
    };
    if (!nextLine())
        return true;
    if (words[0].find("OFF") != std::string_view::npos) {
        words.erase(words.begin());
        if (words.empty() && !nextLine())
            return false;
    }
    std::uint64_t vertices = 0, faces = 0, corners = 0;
    if (words.size() < 2 || !toCount(words[0], vertices) || !toCount(words[1], faces))
        return true;
    for (std::uint64_t i = 0; i < vertices; ++i)
        if (!nextLine())
            return false;
    for (std::uint64_t i = 0; i < faces; ++i)
        if (!nextLine() || !toCount(words[0], corners) || words.size() - 1 < corners)
            return false;
    return true;
}

// Whether a file Assimp takes for a little-endian binary COB file ("Caligari
// ", then anything but 'A' at byte 15 and 'L' at 16) has a chunk of negative
// size before its last: Assimp's COB reader then steps back to that chunk's
// start and reads it again for ever (size -1 means "not given" and ends the
// search). Each chunk is a 20-byte header, its size in bytes 16 to 19, and
// its data.
bool cobNegativeChunk(const std::string& path, std::uint64_t fileSize) {
    std::ifstream in(path, std::ios::binary);
    char head[32] = {};
    in.read(head, sizeof head);
    if (std::string_view(head, 9) != "Caligari " || head[15] == 'A' || head[16] != 'L')
        return false;
    for (std::uint64_t at = 32; at + 20 <= fileSize;) {
        unsigned char chunk[20] = {};
        in.seekg(static_cast<std::streamoff>(at));
        in.read(reinterpret_cast<char*>(chunk), sizeof chunk);
        const std::int32_t size = static_cast<std::int32_t>(
            chunk[16] | chunk[17] << 8 | chunk[18] << 16 | std::uint32_t{chunk[19]} << 24);
        if (std::string_view(reinterpret_cast<char*>(chunk), 4) == "END " || size == -1)
            return false;
        if (size < 0)
            return true;
        at += 20 + static_cast<std::uint64_t>(size);
    }
    return false;
}

// Whether an ASCII STL file's last line is its "endsolid"; Assimp accepts one
// cut off between two facets. A binary file (84 bytes and 50 a triangle)
// passes: Assimp checks its size itself.
bool stlComplete(const std::string& path, std::uint64_t fileSize) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[84] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const std::uint64_t triangles =
        head[80] | head[81] << 8 | head[82] << 16 | static_cast<std::uint64_t>(head[83]) << 24;
    if (std::string_view(reinterpret_cast<char*>(head), 5) != "solid" ||
        fileSize == 84 + 50 * triangles)
        return true;
    const std::uint64_t length = std::min<std::uint64_t>(fileSize, 4096);
    std::string tail(length, '\0');
    in.clear();
    in.seekg(-static_cast<std::streamoff>(length), std::ios::end);
    in.read(&tail[0], static_cast<std::streamsize>(length));
    tail.erase(tail.find_last_not_of(" \t\r\n") + 1);
    const size_t lineStart = tail.find_last_of('\n') + 1; // 0 when there is none
    return tail.find("endsolid", lineStart) != std::string::npos;
}

} // namespace

std::string meshFileProblem(const std::string& path, std::uint64_t size,
                            const std::string& extension) {
    const std::string problem = plyProblem(path, size);
    if (!problem.empty())
        return problem;
    if ((extension == ".off" && !offComplete(path)) ||
        (extension == ".stl" && !stlComplete(path, size)))
        return "truncated";
    if (cobNegativeChunk(path, size))
        return "damaged or truncated (a COB chunk of negative size)";
    return "";
}
