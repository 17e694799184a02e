#include "download/StationCache.h"

#include "platform/Platform.h"
#include "platform/ReplaceFile.h"
#include "sounding/Archive.h"
#include "sounding/SoundingSources.h"
#include "sounding/StationList.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

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

// Whether Path is a regular file by that very name (not a link to one).
bool IsOwnFile(const std::string& Path)
{
    struct stat st;
    return ::lstat(Path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file at Path mapped whole: opened without following a link and
// without waiting on a FIFO, a regular file only. "" or what is wrong.
std::string MapOwnFile(const std::string& Path, std::unique_ptr<TMappedText>& Text)
{
    const int fd = ::open(Path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    struct stat st;
    std::string problem;
    if (::fstat(fd, &st) != 0)
        problem = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        problem = "it is not a regular file";
    else {
        Text = std::make_unique<TMappedText>(fd, std::size_t(st.st_size));
        if (!Text->Ok()) problem = "it cannot be read";
    }
    ::close(fd);
    return problem;
}

// The station ids of an IGRA text's header lines ("#" + 11 characters),
// fed piece by piece; also its first bytes, which tell the format.
class TLaunchIds {
public:
    explicit TLaunchIds(const std::string& Id) : id_(Id) {}

    void Feed(std::string_view Piece)
    {
        if (head_.size() < kFormatBytes) head_.append(Piece.substr(0, kFormatBytes - head_.size()));
        std::size_t at = 0;
        while (at < Piece.size()) {
            if (lineStart_) {
                header_ = Piece[at] == '#';
                line_.clear();
                lineStart_ = false;
            }
            const void* newline = std::memchr(Piece.data() + at, '\n', Piece.size() - at);
            const std::size_t end =
                newline ? std::size_t(static_cast<const char*>(newline) - Piece.data()) : Piece.size();
            if (header_ && line_.size() < 12) line_.append(Piece.substr(at, std::min(end - at, 12 - line_.size())));
            at = end;
            if (newline) {
                EndLine();
                ++at;
            }
        }
    }

    // "" when the text is an IGRA text of the station, else what it is.
    std::string Finish()
    {
        if (!lineStart_) EndLine();
        const TSourceFormat format = SourceFormatOf(head_);
        if (head_.empty()) return "the zip archive holds an empty file";
        if (format != TSourceFormat::Igra)
            return std::string("the zip archive holds ") +
                   (format == TSourceFormat::Unknown ? "no sounding data"
                                                     : std::string("a ") + SourceFormatName(format) + " file") +
                   ", not the IGRA station file of " + id_;
        if (!other_.empty()) return "the zip archive holds launches of " + other_ + ", not only of " + id_;
        return {};
    }

private:
    void EndLine()
    {
        if (header_ && other_.empty() && line_.compare(1, std::string::npos, id_) != 0) other_ = line_.substr(1);
        header_ = false;
        lineStart_ = true;
    }

    std::string id_;
    std::string head_;
    std::string line_;
    std::string other_;  // the first other station met
    bool lineStart_ = true;
    bool header_ = false;
};

std::string Lowered(std::string Text)
{
    if (!Text.empty() && Text[0] >= 'A' && Text[0] <= 'Z') Text[0] = char(Text[0] - 'A' + 'a');
    while (!Text.empty() && Text.back() == '.') Text.pop_back();
    return Text;
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

bool FindCacheDirectory(std::string& Directory, std::string& Error)
{
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && xdg[0] == '/') {
        Directory = WithSlash(xdg) + "profilora/igra/";
        return true;
    }
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (home.empty() || home[0] != '/') {
        // Cron jobs and services often run without HOME.
        const passwd* user = ::getpwuid(::getuid());
        home = user && user->pw_dir ? user->pw_dir : "";
    }
    if (home.empty() || home[0] != '/') {
        Directory.clear();
        Error =
            "there is no folder for the download cache: neither XDG_CACHE_HOME nor HOME is set, and the user has "
            "no home folder";
        return false;
    }
    Directory = WithSlash(home) + ".cache/profilora/igra/";
    return true;
}

std::string CacheDirectory()
{
    std::string directory, error;
    FindCacheDirectory(directory, error);
    return directory;
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
    if (!IsOwnFile(Path)) return std::nullopt;
    const QFileInfo file(QString::fromLocal8Bit(Path.c_str()));
    TCachedCopy copy;
    copy.Fetched = file.lastModified().toUTC().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    std::string text;
    platform::FileError error;
    if (IsOwnFile(Path + ".meta") && platform::files().ReadAll(Path + ".meta", text, error)) {
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
    if (platform::ReplaceFile(Path + ".meta", text, error, platform::TNameMode::OwnFile)) return true;
    Error = "cannot write " + Path + ".meta: " + (error.Code ? std::strerror(error.Code) : error.Message);
    if (IsOwnFile(Path + ".meta")) ::unlink((Path + ".meta").c_str());
    return false;
}

std::string CheckStationBytes(std::string_view Bytes, const std::string& Id)
{
    if (Bytes.empty()) return "the file is empty";
    if (!LooksZip(Bytes)) {
        const std::size_t first = Bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
        return first != std::string_view::npos && Bytes[first] == '<' ? "it is a web page, not a zip archive"
                                                                      : "it is no zip archive";
    }
    TLaunchIds ids(Id);
    const std::string problem = InflateZip(Bytes, TSourceLimits{}, [&](std::string_view Piece) { ids.Feed(Piece); });
    if (!problem.empty()) return Lowered(problem);
    return ids.Finish();
}

std::string CheckStationCopy(const std::string& Path, const std::string& Id)
{
    std::unique_ptr<TMappedText> text;
    const std::string problem = MapOwnFile(Path, text);
    if (!problem.empty()) return problem;
    return CheckStationBytes(text->Text(), Id);
}

std::string CheckStationListCopy(const std::string& Path)
{
    std::unique_ptr<TMappedText> text;
    const std::string problem = MapOwnFile(Path, text);
    if (!problem.empty()) return problem;
    if (text->Size() > (std::size_t(16) << 20)) return "the station list is larger than 16 MiB";
    if (!sounding::LooksLikeStationList(sounding::ReadStationList(text->Text())))
        return "the file is no IGRA station list";
    return {};
}

bool ClearCache(const std::string& Directory, std::string& Error)
{
    const QDir dir(QString::fromLocal8Bit(Directory.c_str()));
    if (!dir.exists()) return true;
    for (const QString& n : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const std::string name = n.toLocal8Bit().toStdString();
        const bool ours = EndsWith(name, ".txt.zip") || EndsWith(name, ".txt.zip.meta") ||
                          EndsWith(name, ".txt.zip.climate") || name == kStationListName ||
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

std::string TodayText() { return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd")).toStdString(); }

int ThisYear() { return QDateTime::currentDateTimeUtc().date().year(); }

}  // namespace download
