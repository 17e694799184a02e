#include "sounding/SoundingSources.h"

#include "components/jtCommon.h"
#include "sounding/LapseRates.h"
#include "sounding/SourceReaders.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <unordered_set>

namespace {

constexpr std::size_t kDetectBytes = std::size_t(64) << 10;
constexpr std::size_t kFilePiece = std::size_t(1) << 20;

constexpr std::string_view kPageHeader = "end: NCDC PAGE HEADER";
constexpr std::string_view kPageFooter = "NCDC PAGE FOOTER";

TSourceFormat Detect(std::string_view Text)
{
    if (jt::FindText(Text, kPageHeader, 0, false) != std::string_view::npos) return TSourceFormat::Page;
    std::size_t i = 0;
    if (Text.substr(0, 3) == "\xEF\xBB\xBF") i = 3;  // a byte order mark
    while (i < Text.size() && (Text[i] == ' ' || Text[i] == '\r' || Text[i] == '\n' || Text[i] == '\t')) ++i;
    if (i < Text.size() && Text[i] == '#') {
        std::string_view first = Text.substr(i);
        first = first.substr(0, first.find('\n'));
        if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
        if (TIgraReader::IsHeader(first)) return TSourceFormat::Igra;
    }
    if (jt::FindText(Text, "<H2>", 0, false) != std::string_view::npos &&
        jt::FindText(Text, "Observations at", 0, true) != std::string_view::npos)
        return TSourceFormat::Wyoming;
    return TSourceFormat::Unknown;
}

}  // namespace

TSourceFormat SourceFormatOf(std::string_view FirstBytes) { return Detect(FirstBytes); }

const char* SourceFormatName(TSourceFormat Format)
{
    switch (Format) {
    case TSourceFormat::Page: return "page";
    case TSourceFormat::Igra: return "IGRA v2";
    case TSourceFormat::Wyoming: return "Wyoming";
    default: return "unknown";
    }
}

struct TSourceParser::TImpl {
    std::vector<TSounding> soundings;
    TSourceFormat format = TSourceFormat::Unknown;
    bool detected = false;
    std::string prefix;  // the first bytes, while the format is not known
    std::string carry;   // the start of a line the last piece cut
    std::string page;    // a sounding page is read whole
    TIgraReader igra{soundings};
    TWyomingReader wyoming{soundings};

    void Line(std::string_view Text)
    {
        if (format == TSourceFormat::Igra) igra.Line(Text);
        else wyoming.Line(Text);
    }

    void Lines(std::string_view Piece)
    {
        if (!carry.empty()) {
            const void* nl = std::memchr(Piece.data(), '\n', Piece.size());
            if (!nl) {
                carry.append(Piece);
                return;
            }
            const std::size_t n = static_cast<const char*>(nl) - Piece.data();
            carry.append(Piece.substr(0, n));
            Line(carry);
            carry.clear();
            Piece.remove_prefix(n + 1);
        }
        const char* p = Piece.data();
        const char* end = p + Piece.size();
        while (p < end) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (!nl) {
                carry.assign(p, end);
                return;
            }
            Line(std::string_view(p, static_cast<std::size_t>(nl - p)));
            p = nl + 1;
        }
    }

    void Route(std::string_view Piece)
    {
        switch (format) {
        case TSourceFormat::Page: page.append(Piece); break;
        case TSourceFormat::Igra:
        case TSourceFormat::Wyoming: Lines(Piece); break;
        default: break;  // not a sounding file: the rest is not kept
        }
    }

    void Decide()
    {
        detected = true;
        format = Detect(prefix);
        std::string first;
        first.swap(prefix);
        Route(first);
    }
};

TSourceParser::TSourceParser() : impl_(std::make_unique<TImpl>()) {}

TSourceParser::~TSourceParser() = default;

void TSourceParser::Feed(std::string_view Piece)
{
    TImpl& s = *impl_;
    if (!s.detected) {
        const std::size_t take = std::min(Piece.size(), kDetectBytes - s.prefix.size());
        s.prefix.append(Piece.substr(0, take));
        Piece.remove_prefix(take);
        if (s.prefix.size() < kDetectBytes) return;
        s.Decide();
    }
    s.Route(Piece);
}

void TSourceParser::Finish(TSourceResult& Result)
{
    TImpl& s = *impl_;
    if (!s.detected) s.Decide();
    std::string error;
    switch (s.format) {
    case TSourceFormat::Igra:
    case TSourceFormat::Wyoming:
        if (!s.carry.empty()) s.Line(s.carry);
        s.carry.clear();
        if (s.format == TSourceFormat::Igra) {
            s.igra.Finish();
            error = s.igra.Error();
        } else {
            s.wyoming.Finish();
            error = s.wyoming.Error();
        }
        if (s.soundings.empty() && error.empty()) error = "The file holds no sounding";
        break;
    case TSourceFormat::Page: {
        if (jt::ViewBetween(s.page, kPageHeader, kPageFooter, false).empty()) {
            error = "File is missing data";
            break;
        }
        TLapseRates set;
        try {
            set.LoadPage(s.page);
        } catch (const std::exception& e) {
            error = e.what();
        }
        s.soundings = std::move(set.Soundings);
        break;
    }
    default: error = kBadDataFile; break;
    }
    Result.Format = s.format;
    Result.Soundings = std::move(s.soundings);
    if (Result.Error.empty() && !error.empty())
        Result.Error = s.format == TSourceFormat::Unknown ? error : std::string(SourceFormatName(s.format)) + ", " + error;
}

TSourceResult ReadSoundingSource(std::string_view Bytes, const TSourceLimits& Limits)
{
    TSourceResult result;
    TSourceParser parser;
    const auto sink = [&](std::string_view Piece) { parser.Feed(Piece); };
    std::string error;
    if (LooksGzip(Bytes)) {
        result.Compressed = true;
        error = InflateGzip(Bytes, Limits, sink);
    } else if (LooksZip(Bytes)) {
        result.Compressed = true;
        error = InflateZip(Bytes, Limits, sink);
    } else {
        parser.Feed(Bytes);
    }
    result.Error = error;
    parser.Finish(result);
    return result;
}

TSourceResult ReadSoundingFile(const std::string& Path, const TSourceLimits& Limits)
{
    TSourceResult result;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(Path.c_str(), "rb"), std::fclose);
    if (!file) {
        result.Error = "The file cannot be opened";
        return result;
    }
    std::string piece(kFilePiece, '\0');
    std::size_t n = std::fread(piece.data(), 1, piece.size(), file.get());
    const std::string_view first(piece.data(), n);
    if (LooksGzip(first) || LooksZip(first)) {
        // The compressed bytes are read whole; only their inflated text is
        // streamed.
        std::string bytes(first);
        while ((n = std::fread(piece.data(), 1, piece.size(), file.get())) > 0) bytes.append(piece.data(), n);
        if (std::ferror(file.get())) {
            result.Error = "The file cannot be read";
            return result;
        }
        return ReadSoundingSource(bytes, Limits);
    }
    TSourceParser parser;
    while (n > 0) {
        parser.Feed(std::string_view(piece.data(), n));
        n = std::fread(piece.data(), 1, piece.size(), file.get());
    }
    if (std::ferror(file.get())) result.Error = "The file cannot be read to its end";
    parser.Finish(result);
    return result;
}

// ---- launch times ----

namespace {

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

}  // namespace

bool IsDateText(std::string_view Text)
{
    if (Text.size() != 10 || Text[4] != '-' || Text[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsDigit(Text[i])) return false;
    const int month = (Text[5] - '0') * 10 + (Text[6] - '0');
    const int day = (Text[8] - '0') * 10 + (Text[9] - '0');
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

TLaunchTime LaunchOfTitle(std::string_view Title)
{
    TLaunchTime launch;
    const std::size_t space = Title.find(' ');
    if (space == 0 || space == std::string_view::npos) return launch;
    const std::string_view rest = Title.substr(space + 1);
    if (rest.size() != 14 || rest[10] != ' ' || rest[13] != 'Z' || !IsDigit(rest[11]) || !IsDigit(rest[12]) ||
        !IsDateText(rest.substr(0, 10)))
        return launch;
    launch.Valid = true;
    launch.Station = std::string(Title.substr(0, space));
    launch.Date = std::string(rest.substr(0, 10));
    launch.Hour = (rest[11] - '0') * 10 + (rest[12] - '0');
    return launch;
}

std::vector<TSounding> MergeSoundings(std::vector<std::vector<TSounding>> Sets)
{
    struct TItem {
        std::string When;  // "YYYY-MM-DD HH", "" without a launch time
        std::string Station;
        TSounding* Sounding;
    };
    std::vector<TItem> items;
    std::size_t total = 0;
    for (const auto& set : Sets) total += set.size();
    items.reserve(total);
    for (auto& set : Sets) {
        for (TSounding& s : set) {
            const std::string_view title = s.Title;
            const std::size_t space = title.find(' ');
            // The title's own text serves as the key: date and hour read
            // left to right sort in time order.
            if (LaunchOfTitle(title).Valid)
                items.push_back({std::string(title.substr(space + 1, 13)), std::string(title.substr(0, space)), &s});
            else
                items.push_back({std::string(), std::string(), &s});
        }
    }
    std::stable_sort(items.begin(), items.end(), [](const TItem& A, const TItem& B) {
        if (A.When.empty() != B.When.empty()) return B.When.empty();
        return A.When < B.When;
    });
    std::vector<TSounding> merged;
    merged.reserve(items.size());
    std::unordered_set<std::string> seen;
    for (TItem& item : items) {
        if (!item.When.empty() && !seen.insert(item.Station + ' ' + item.When).second) continue;
        merged.push_back(std::move(*item.Sounding));
    }
    return merged;
}

std::vector<TSounding> FilterByDate(std::vector<TSounding> Soundings, std::string_view From, std::string_view To)
{
    if (From.empty() && To.empty()) return Soundings;
    std::vector<TSounding> kept;
    for (TSounding& s : Soundings) {
        const TLaunchTime launch = LaunchOfTitle(s.Title);
        if (!launch.Valid) continue;
        if (!From.empty() && launch.Date < From) continue;
        if (!To.empty() && launch.Date > To) continue;
        kept.push_back(std::move(s));
    }
    return kept;
}
