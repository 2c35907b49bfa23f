// Shared by the fuzz targets: a fatal error ends one input, not the fuzzing run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cctrvx/globals.h"
#include "error.h"
#include "host/host.h"

namespace fuzz {

// Counted errors never reach a limit and warnings stay quiet.
inline void QuietDiagnostics()
{
    ErrorNum = 0;
    ErrorMax = 0;
    NoWarnings = 1;
}

// The input as text.
inline std::string Text(const std::uint8_t* data, std::size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

// The input as words separated by NUL bytes.
inline std::vector<std::string> Words(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> words(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += static_cast<char>(data[i]);
    }
    return words;
}

// Runs one step; a fatal error ends it.
template <class Step>
void Guarded(Step step)
{
    try {
        step();
    } catch (const HostExitRequest&) {
    }
}

} // namespace fuzz
