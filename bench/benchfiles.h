#pragma once

#include <cstdio>
#include <string>

// The whole of a file, read in 64 KiB blocks: the floor a reader of that
// file is measured against.
inline std::string ReadWholeFile(const std::string &path)
{
    std::string text;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, got);
    std::fclose(f);
    return text;
}
