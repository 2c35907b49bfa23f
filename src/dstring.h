// The growable string with which paths and command lines are built.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// A NUL-terminated string in a heap buffer that grows by whole blocks. Callers read
// `str` and `len` directly; only the functions below change them.
class DString {
public:
    char* str;            // always terminated by a NUL character
    std::uint32_t len;    // characters before the terminator
    std::uint32_t block;  // growth unit in bytes
    std::uint32_t blocks; // growth units allocated (0 after StrDelete)
    std::uint32_t max;    // the largest len that fits: blocks * block - 1

    // An empty string of one block of `size` bytes (256 when 0).
    explicit DString(std::uint32_t size = 0);
    ~DString();
    DString(DString&& other) noexcept;
    DString& operator=(DString&& other) noexcept;
    DString(const DString&) = delete;
    DString& operator=(const DString&) = delete;

    std::string_view view() const { return {str, len}; }
    bool empty() const { return len == 0; }
};

// A new empty string with one block of the given size (0 means 256).
DString StrCreate(std::uint32_t size);
// Frees the buffer; the string is left empty and grows again when appended to.
void StrDelete(DString& string);
// Reallocates the buffer to that many blocks (0 means 1), keeping its contents.
void Resize(DString& string, std::uint32_t blocks);
// Appends one character; the NUL character is ignored.
void AddChar(DString& string, char c);
// Appends a string; the empty string is ignored.
void AddChars(DString& string, std::string_view text);
// Removes and returns the last character, or 0 when the string is empty.
char RemChar(DString& string);
// Removes the last `count` characters (all of them when count exceeds the length).
void RemChars(DString& string, std::uint32_t count);
// Replaces the whole contents.
void StrSet(DString& string, std::string_view text);

// Names are compared without regard to case: equal, ordered (like strcmp), or folded to
// lower case for use as a key.
bool EqualsIgnoringCase(std::string_view first, std::string_view second);
int CompareIgnoringCase(const char* first, const char* second);
std::string FoldCase(std::string_view text);

// The concatenation of both strings.
std::string JoinString(std::string_view first, std::string_view second);
// The concatenation of all the pieces.
std::string BuildString(std::initializer_list<std::string_view> pieces);
