#include "download/StationCache.h"

#include "platform/Platform.h"
#include "platform/ReplaceFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <regex>

namespace download {

namespace {

std::string WithSlash(std::string Base)
{
    if (Base.empty() || Base.back() != '/') Base += '/';
    return Base;
}

bool EndsWith(const std::string& Text, const std::string& End)
{
    return Text.size() >= End.size() && Text.compare(Text.size() - End.size(), End.size(), End) == 0;
}

}  // namespace

const char* PeriodText(TPeriod Period) { return Period == TPeriod::WholeRecord ? "whole record" : "this year"; }

const char* PeriodSwitch(TPeriod Period) { return Period == TPeriod::WholeRecord ? "por" : "y2d"; }

std::optional<TPeriod> PeriodOfSwitch(const std::string& Word)
{
    if (Word == "por") return TPeriod::WholeRecord;
    if (Word == "y2d") return TPeriod::ThisYear;
    return std::nullopt;
}

bool IsStationId(const std::string& Id)
{
    return Id.size() == 11 &&
           std::all_of(Id.begin(), Id.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

std::string CacheDirectory()
{
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    std::string base;
    if (xdg && xdg[0] == '/')
        base = WithSlash(xdg);
    else
        base = WithSlash(std::getenv("HOME") ? std::getenv("HOME") : "") + ".cache/";
    return base + "profilora/igra/";
}

bool MakeDirectory(const std::string& Directory, std::string& Error)
{
    if (QDir().mkpath(QString::fromLocal8Bit(Directory.c_str()))) return true;
    Error = "cannot create the folder " + Directory;
    return false;
}

std::string StationFileName(const std::string& Id, TPeriod Period, int Year)
{
    return Period == TPeriod::WholeRecord ? Id + "-data.txt.zip" : Id + "-data-beg" + std::to_string(Year) + ".txt.zip";
}

std::string StationFileUrl(const std::string& Base, const std::string& Id, TPeriod Period, int Year)
{
    return WithSlash(Base) + (Period == TPeriod::WholeRecord ? "access/data-por/" : "access/data-y2d/") +
           StationFileName(Id, Period, Year);
}

std::string ThisYearFolderUrl(const std::string& Base) { return WithSlash(Base) + "access/data-y2d/"; }

std::string StationListUrl(const std::string& Base) { return WithSlash(Base) + "doc/" + kStationListName; }

std::vector<int> ThisYearFilesIn(const std::string& Listing, const std::string& Id)
{
    std::vector<int> years;
    if (!IsStationId(Id)) return years;
    const std::regex name(Id + "-data-beg([0-9]{4})\\.txt\\.zip");
    for (auto it = std::sregex_iterator(Listing.begin(), Listing.end(), name); it != std::sregex_iterator(); ++it)
        years.push_back(std::stoi((*it)[1].str()));
    std::sort(years.rbegin(), years.rend());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    return years;
}

std::optional<int> CachedThisYear(const std::string& Directory, const std::string& Id)
{
    const QStringList names = QDir(QString::fromLocal8Bit(Directory.c_str()))
                                  .entryList({QString::fromStdString(Id + "-data-beg*.txt.zip")}, QDir::Files);
    std::string listing;
    for (const QString& n : names) listing += n.toStdString() + "\n";
    const std::vector<int> years = ThisYearFilesIn(listing, Id);
    if (years.empty()) return std::nullopt;
    return years.front();
}

std::optional<TCachedCopy> ReadCachedCopy(const std::string& Path)
{
    const QFileInfo file(QString::fromLocal8Bit(Path.c_str()));
    if (!file.isFile()) return std::nullopt;
    TCachedCopy copy;
    copy.Fetched = file.lastModified().toUTC().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    std::string text;
    platform::FileError error;
    if (platform::files().ReadAll(Path + ".meta", text, error)) {
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(at, end - at);
            at = end + 1;
            const std::size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            const std::string key = line.substr(0, equals);
            const std::string value = line.substr(equals + 1);
            if (key == "etag")
                copy.ETag = value;
            else if (key == "last-modified")
                copy.LastModified = value;
            else if (key == "fetched" && value.size() == 10)
                copy.Fetched = value;
        }
    }
    return copy;
}

bool WriteCachedCopy(const std::string& Path, const TCachedCopy& Copy, std::string& Error)
{
    // A header value on one line: nothing the server sent may add a line.
    auto line = [](const char* Key, const std::string& Value) {
        if (Value.find_first_of("\r\n") != std::string::npos) return std::string();
        return std::string(Key) + "=" + Value + "\n";
    };
    const std::string text =
        line("etag", Copy.ETag) + line("last-modified", Copy.LastModified) + line("fetched", Copy.Fetched);
    platform::FileError error;
    if (platform::ReplaceFile(Path + ".meta", text, error)) return true;
    Error = "cannot write " + Path + ".meta: " + error.Message;
    return false;
}

bool ClearCache(const std::string& Directory, std::string& Error)
{
    const QDir dir(QString::fromLocal8Bit(Directory.c_str()));
    if (!dir.exists()) return true;
    for (const QString& n : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const std::string name = n.toLocal8Bit().toStdString();
        const bool ours = EndsWith(name, ".txt.zip") || EndsWith(name, ".txt.zip.meta") || name == kStationListName ||
                          name == std::string(kStationListName) + ".meta" ||
                          (name.rfind(".pf", 0) == 0 && EndsWith(name, ".part"));
        if (!ours) continue;
        if (!platform::files().DeleteFile(Directory + name)) {
            Error = "cannot remove " + Directory + name;
            return false;
        }
    }
    return true;
}

std::string IgraBaseOf(const std::string& SettingsText)
{
    auto lower = [](std::string T) {
        for (char& c : T)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        return T;
    };
    auto trim = [](std::string T) {
        const std::size_t first = T.find_first_not_of(" \t\r");
        if (first == std::string::npos) return std::string();
        return T.substr(first, T.find_last_not_of(" \t\r") - first + 1);
    };
    bool inSources = false;
    std::size_t at = 0;
    while (at < SettingsText.size()) {
        std::size_t end = SettingsText.find('\n', at);
        if (end == std::string::npos) end = SettingsText.size();
        const std::string line = trim(SettingsText.substr(at, end - at));
        at = end + 1;
        if (!line.empty() && line.front() == '[') {
            inSources = lower(line) == "[sources]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inSources && equals != std::string::npos && lower(trim(line.substr(0, equals))) == "igra") {
            const std::string value = trim(line.substr(equals + 1));
            if (!value.empty()) return value;
        }
    }
    return kDefaultIgraBase;
}

std::string TodayText() { return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd")).toStdString(); }

int ThisYear() { return QDateTime::currentDateTimeUtc().date().year(); }

}  // namespace download
