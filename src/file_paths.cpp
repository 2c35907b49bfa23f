// Path handling: joining, normalising and simplifying Windows-style names.
#include <cctype>
#include <vector>

#include "file_temp.h"

std::string BuildPath(std::initializer_list<std::string_view> pieces)
{
    std::string path;
    bool first = true;
    for (std::string_view piece : pieces) {
        if (!first && !path.empty() && path.back() != ':')
            path += '\\';
        path.append(piece);
        first = false;
    }
    return FilterPath(path);
}

std::string& FilterPath(std::string& path)
{
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    // \\c\dir (from //c/dir) is the drive path c:\dir.
    if (path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && std::isalpha(static_cast<unsigned char>(path[2])) &&
        (path.size() == 3 || path[3] == '\\')) {
        std::string drive{path[2], ':', '\\'};
        path = drive + (path.size() > 4 ? path.substr(4) : std::string());
    }
    // Runs of backslashes collapse, except a leading pair (a network path).
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '\\' && !out.empty() && out.back() == '\\' && !(i == 1))
            continue;
        out += path[i];
    }
    // One trailing backslash goes, unless the path is one character or a drive root.
    const bool driveRoot = out.size() == 3 && out[1] == ':' && out[2] == '\\';
    if (out.size() > 1 && out.back() == '\\' && !driveRoot)
        out.pop_back();
    path = std::move(out);
    return path;
}

std::string CompressPath(std::string_view path)
{
    std::string drive;
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        drive = path.substr(0, 2);
        path.remove_prefix(2);
    }
    const bool absolute = !path.empty() && path[0] == '\\';
    std::vector<std::string_view> parts;
    if (!absolute)
        parts.emplace_back(".");
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (parts.empty())
                continue; // above the root of an absolute path
            if (parts.back() == ".")
                parts.back() = "..";
            else if (parts.back() == "..")
                parts.push_back("..");
            else
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string result = drive;
    if (absolute)
        result += '\\';
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            result += '\\';
        result.append(parts[i]);
    }
    return result;
}
