#include "platform/LocalNames.h"

#include "platform/ReplaceFile.h"

#include <QString>

#include <cctype>

#include <dirent.h>
#include <sys/stat.h>

namespace platform {

namespace {

int HexDigit(char C)
{
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

bool StartsWithNoCase(std::string_view Text, std::string_view Prefix)
{
    if (Text.size() < Prefix.size()) return false;
    for (std::size_t i = 0; i < Prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(Text[i])) != Prefix[i]) return false;
    return true;
}

// The name as the toolkit shows it, back in bytes.
std::string AsShown(const char* Bytes) { return QString::fromLocal8Bit(Bytes).toLocal8Bit().toStdString(); }

bool Exists(const std::string& Path)
{
    struct stat st;
    return ::lstat(Path.c_str(), &st) == 0;
}

}  // namespace

std::string LocalPathOfFileUri(std::string_view Uri)
{
    while (!Uri.empty() && (Uri.back() == '\r' || Uri.back() == '\n')) Uri.remove_suffix(1);
    if (!StartsWithNoCase(Uri, "file:")) return {};
    Uri.remove_prefix(5);
    if (Uri.substr(0, 2) == "//") {
        Uri.remove_prefix(2);
        const std::size_t slash = Uri.find('/');
        if (slash == std::string_view::npos) return {};
        const std::string_view host = Uri.substr(0, slash);
        if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost"))) return {};
        Uri.remove_prefix(slash);
    }
    if (Uri.empty() || Uri.front() != '/') return {};
    std::string path;
    for (std::size_t i = 0; i < Uri.size(); ++i) {
        if (Uri[i] == '?' || Uri[i] == '#') break;
        int high, low;
        if (Uri[i] == '%' && i + 2 < Uri.size() && (high = HexDigit(Uri[i + 1])) >= 0 &&
            (low = HexDigit(Uri[i + 2])) >= 0) {
            path += char(high * 16 + low);
            i += 2;
        } else {
            path += Uri[i];
        }
    }
    return path;
}

std::string FirstLocalPathOfUriList(std::string_view List)
{
    while (!List.empty()) {
        const std::size_t end = List.find('\n');
        std::string_view line = List.substr(0, end);
        List.remove_prefix(end == std::string_view::npos ? List.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        return LocalPathOfFileUri(line);
    }
    return {};
}

std::string ExistingLocalName(const std::string& Name)
{
    if (Name.empty() || Exists(Name)) return Name;
    std::string directory = DirectoryOf(Name);
    const std::string name = NameOf(Name);
    if (name.empty()) return Name;
    // The directory may be such a name too.
    if (directory.size() > 1) {
        directory.pop_back();
        directory = ExistingLocalName(directory) + "/";
    }
    DIR* listing = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!listing) return directory + name;
    std::string found;
    int matches = 0;
    while (const dirent* entry = ::readdir(listing)) {
        if (AsShown(entry->d_name) == name) {
            found = entry->d_name;
            ++matches;
        }
    }
    ::closedir(listing);
    return matches == 1 ? directory + found : directory + name;
}

}  // namespace platform
