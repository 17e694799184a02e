#pragma once
// Whole files as bytes, for tests that check what was written byte for byte.

#include <QDir>

#include <fstream>
#include <map>
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

// Every file of a directory with its bytes, by name.
inline std::map<std::string, std::string> DirectoryFiles(const QString& Dir)
{
    std::map<std::string, std::string> out;
    for (const QString& name : QDir(Dir).entryList(QDir::Files))
        out[name.toStdString()] = Slurp(QDir(Dir).filePath(name).toStdString());
    return out;
}

}  // namespace testfiles
