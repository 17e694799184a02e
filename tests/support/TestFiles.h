#pragma once
// Whole files as bytes, for tests that check what was written byte for byte.

#include <fstream>
#include <sstream>
#include <string>

namespace testfiles {

inline std::string Slurp(const std::string& Path)
{
    std::ifstream in(Path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void Put(const std::string& Path, const std::string& Bytes)
{
    std::ofstream(Path, std::ios::binary) << Bytes;
}

}  // namespace testfiles
