#include "dstring.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "error.h"

namespace {

char EmptyBuffer[1] = "";

std::uint32_t MaxOf(std::uint32_t blocks, std::uint32_t block)
{
    return blocks == 0 ? 0 : blocks * block - 1;
}

} // namespace

DString::DString(std::uint32_t size)
    : str(EmptyBuffer), len(0), block(size == 0 ? 256 : size), blocks(0), max(0)
{
    Resize(*this, 1);
    str[0] = '\0';
}

DString::~DString()
{
    if (blocks > 0)
        std::free(str);
}

DString::DString(DString&& other) noexcept
    : str(other.str), len(other.len), block(other.block), blocks(other.blocks), max(other.max)
{
    other.str = EmptyBuffer;
    other.len = 0;
    other.blocks = 0;
    other.max = 0;
}

DString& DString::operator=(DString&& other) noexcept
{
    if (this != &other) {
        if (blocks > 0)
            std::free(str);
        str = other.str;
        len = other.len;
        block = other.block;
        blocks = other.blocks;
        max = other.max;
        other.str = EmptyBuffer;
        other.len = 0;
        other.blocks = 0;
        other.max = 0;
    }
    return *this;
}

DString StrCreate(std::uint32_t size)
{
    return DString(size);
}

void StrDelete(DString& string)
{
    if (string.blocks > 0)
        std::free(string.str);
    string.str = EmptyBuffer;
    string.len = 0;
    string.blocks = 0;
    string.max = 0;
}

void Resize(DString& string, std::uint32_t blocks)
{
    if (blocks == 0)
        blocks = 1;
    if (blocks > std::numeric_limits<std::uint32_t>::max() / string.block)
        Error(LEVEL_MEMORY, nullptr);
    const std::size_t size = static_cast<std::size_t>(blocks) * string.block;
    char* old = string.blocks > 0 ? string.str : nullptr;
    char* buffer = static_cast<char*>(std::realloc(old, size));
    if (!buffer) {
        StrDelete(string);
        Error(LEVEL_MEMORY, nullptr);
    }
    if (!old)
        buffer[0] = '\0';
    string.str = buffer;
    string.blocks = blocks;
    string.max = MaxOf(blocks, string.block);
    if (string.len > string.max) {
        string.len = string.max;
        string.str[string.len] = '\0';
    }
}

void AddChar(DString& string, char c)
{
    if (c == '\0')
        return;
    if (string.blocks == 0 || string.len == string.max)
        Resize(string, string.blocks + 1);
    string.str[string.len++] = c;
    string.str[string.len] = '\0';
}

void AddChars(DString& string, std::string_view text)
{
    if (text.empty())
        return;
    if (text.size() > std::numeric_limits<std::uint32_t>::max() - 1 - string.len)
        Error(LEVEL_MEMORY, nullptr);
    const auto n = static_cast<std::uint32_t>(text.size());
    if (string.blocks == 0 || string.len + n > string.max)
        Resize(string, (string.len + n) / string.block + 1);
    std::memcpy(string.str + string.len, text.data(), n);
    string.len += n;
    string.str[string.len] = '\0';
}

char RemChar(DString& string)
{
    if (string.len == 0)
        return '\0';
    char c = string.str[--string.len];
    string.str[string.len] = '\0';
    return c;
}

void RemChars(DString& string, std::uint32_t count)
{
    if (string.len == 0 || count == 0)
        return;
    string.len = count >= string.len ? 0 : string.len - count;
    string.str[string.len] = '\0';
}

void StrSet(DString& string, std::string_view text)
{
    RemChars(string, string.len);
    AddChars(string, text);
}

std::string JoinString(std::string_view first, std::string_view second)
{
    return BuildString({first, second});
}

std::string BuildString(std::initializer_list<std::string_view> pieces)
{
    std::size_t size = 0;
    for (std::string_view piece : pieces)
        size += piece.size();
    std::string result;
    result.reserve(size);
    for (std::string_view piece : pieces)
        result.append(piece);
    return result;
}

namespace {

int Lower(char c)
{
    return std::tolower(static_cast<unsigned char>(c));
}

} // namespace

bool EqualsIgnoringCase(std::string_view first, std::string_view second)
{
    if (first.size() != second.size())
        return false;
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (Lower(first[i]) != Lower(second[i]))
            return false;
    }
    return true;
}

int CompareIgnoringCase(const char* first, const char* second)
{
    for (;; ++first, ++second) {
        const int x = Lower(*first);
        const int y = Lower(*second);
        if (x != y || x == 0)
            return x - y;
    }
}

std::string FoldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = static_cast<char>(Lower(c));
    return folded;
}
