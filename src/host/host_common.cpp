// The parts of the platform layer that every host shares.
#include "host/host.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

std::string HostName(std::string_view hostPath)
{
    std::string name(hostPath);
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

std::optional<std::string> HostGetEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (!value)
        return std::nullopt;
    return std::string(value);
}

bool HostCopy(std::string_view source, std::string_view destination)
{
    std::error_code error;
    std::filesystem::copy(HostPath(source), HostPath(destination),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                          error);
    if (error)
        errno = error.value();
    return !error;
}
