#include "sounding/SoundingSources.h"

#include "components/jtCommon.h"
#include "platform/Platform.h"
#include "sounding/DateRange.h"
#include "sounding/LapseRates.h"
#include "sounding/SourceReaders.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include <iterator>
#include <system_error>
#include <thread>
#include <exception>
#include <memory>
#include <unordered_map>

namespace {

constexpr std::size_t kDetectBytes = kFormatBytes;
constexpr std::size_t kFilePiece = kPieceBytes;

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
    case TSourceFormat::Page:
        return "page";
    case TSourceFormat::Igra:
        return "IGRA v2";
    case TSourceFormat::Wyoming:
        return "Wyoming";
    default:
        return "unknown";
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
    // The line end: '\n' (LF and CR LF; a CR before it is dropped by the
    // readers), or '\r' for a text with CR line ends only.
    char lineEnd = '\n';

    void Line(std::string_view Text)
    {
        if (format == TSourceFormat::Igra)
            igra.Line(Text);
        else
            wyoming.Line(Text);
    }

    void Lines(std::string_view Piece)
    {
        if (!carry.empty()) {
            const void* nl = std::memchr(Piece.data(), lineEnd, Piece.size());
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
            const char* nl = static_cast<const char*>(std::memchr(p, lineEnd, static_cast<std::size_t>(end - p)));
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
        case TSourceFormat::Page:
            page.append(Piece);
            break;
        case TSourceFormat::Igra:
        case TSourceFormat::Wyoming:
            Lines(Piece);
            break;
        default:
            break;  // not a sounding file: the rest is not kept
        }
    }

    void Decide()
    {
        detected = true;
        format = Detect(prefix);
        std::string first;
        first.swap(prefix);
        std::string_view text = first;
        // A byte order mark says nothing the readers need.
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        if (text.find('\n') == std::string_view::npos && text.find('\r') != std::string_view::npos) lineEnd = '\r';
        Route(text);
    }
};

TSourceParser::TSourceParser() : impl_(std::make_unique<TImpl>()) {}

std::uint64_t TSourceParser::LinesRead() const
{
    return impl_->format == TSourceFormat::Wyoming ? impl_->wyoming.LinesRead() : impl_->igra.LinesRead();
}

TSourceParser::~TSourceParser() = default;

void TSourceParser::Reserve(std::size_t Launches) { impl_->soundings.reserve(Launches); }

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
    bool noData = false;  // the text itself holds no sounding
    switch (s.format) {
    case TSourceFormat::Igra:
    case TSourceFormat::Wyoming: {
        if (!s.carry.empty()) s.Line(s.carry);
        s.carry.clear();
        TLineReaderBase* reader = &s.igra;
        if (s.format == TSourceFormat::Igra)
            s.igra.Finish();
        else
            s.wyoming.Finish(), reader = &s.wyoming;
        Result.Skipped += reader->Skipped();
        Result.Warnings.insert(Result.Warnings.end(), reader->Warnings().begin(), reader->Warnings().end());
        if (s.soundings.empty()) {
            error = "The file holds no sounding";
            noData = true;
        }
        break;
    }
    case TSourceFormat::Page: {
        if (jt::ViewBetween(s.page, kPageHeader, kPageFooter, false).empty()) {
            error = "File is missing data";
            noData = true;
            break;
        }
        TLapseRates set;
        try {
            set.LoadPage(s.page);
        } catch (const std::exception& e) {
            error = e.what();
        }
        s.soundings = std::move(set.Soundings);
        if (error.empty() && s.soundings.empty()) {
            error = "The file holds no sounding";
            noData = true;
        }
        break;
    }
    default:
        error = kBadDataFile;
        noData = true;
        break;
    }
    Result.Format = s.format;
    Result.Soundings = std::move(s.soundings);
    // A fault of the archive around the text is the reason, not the text.
    if (Result.Error.empty()) Result.NoData = noData;
    if (Result.Error.empty() && !error.empty())
        Result.Error =
            s.format == TSourceFormat::Unknown ? error : std::string(SourceFormatName(s.format)) + ", " + error;
}

namespace {

// Text of at least this size read as an IGRA station file is split in two
// halves at a header line, each read on a thread of its own.
constexpr std::size_t kSplitBytes = std::size_t(32) << 20;

// Feeds Text[From, To) to Parser in pieces, handing back each piece's
// memory once read.
void FeedWhole(TSourceParser& Parser, TWholeText& Whole, std::size_t From, std::size_t To)
{
    const std::string_view text = Whole.Text();
    for (std::size_t at = From; at < To; at += kFilePiece) {
        const std::size_t n = std::min(kFilePiece, To - at);
        Parser.Feed(text.substr(at, n));
        Whole.Release(at, at + n);
    }
}

}  // namespace

void ReadSoundingText(TWholeText& Whole, TSourceResult& Result)
{
    const std::string_view text = Whole.Text();
    std::size_t split = std::string_view::npos;
    if (text.size() >= kSplitBytes && SourceFormatOf(text.substr(0, kDetectBytes)) == TSourceFormat::Igra &&
        text.substr(0, kDetectBytes).find('\n') != std::string_view::npos) {
        split = text.find("\n#", text.size() / 2);
        if (split != std::string_view::npos) ++split;
    }
    // Room for the launches: a vector that doubles as it fills holds its
    // old and its new array at once, and joining the halves would copy the
    // first once more. The count comes from the share of header lines in
    // the first MiB (the reader reads it next, so looking costs nothing);
    // never more than the shortest launch (a header and one level line,
    // 89 bytes) allows.
    std::size_t launches = 0;
    if (text.size() >= kSplitBytes && split != std::string_view::npos) {
        const std::string_view sample = text.substr(0, kFilePiece);
        std::size_t headers = 0;
        for (std::size_t at = 0; at < sample.size(); at = sample.find('\n', at) + 1) {
            headers += sample[at] == '#';
            if (sample.find('\n', at) == std::string_view::npos) break;
        }
        launches = std::min(text.size() / 89,
                            std::size_t(double(headers) * double(text.size()) / double(sample.size()) * 1.125) + 16);
    }
    TSourceResult second;
    // What the second reader throws (memory running out) is thrown on here,
    // as the first reader's own would be.
    std::exception_ptr secondError;
    std::jthread reader;  // joined also when this thread's reading throws
    if (split != std::string_view::npos) {
        try {
            reader = std::jthread([&] {
                try {
                    TSourceParser parser;
                    parser.Reserve(std::size_t(double(launches) * double(text.size() - split) / double(text.size())));
                    FeedWhole(parser, Whole, split, text.size());
                    parser.Finish(second);
                } catch (...) {
                    secondError = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No second thread: one reader reads it all.
        }
    }
    if (!reader.joinable()) {
        TSourceParser parser;
        FeedWhole(parser, Whole, 0, text.size());
        parser.Finish(Result);
        return;
    }
    TSourceParser parser;
    parser.Reserve(launches);
    FeedWhole(parser, Whole, 0, split);
    parser.Finish(Result);
    reader.join();
    if (secondError) std::rethrow_exception(secondError);
    // The second half counted its lines from its own start ("line N: ...").
    for (std::string& warning : second.Warnings) {
        if (warning.compare(0, 5, "line ") != 0) continue;
        std::uint64_t n = 0;
        const auto [end, failure] = std::from_chars(warning.data() + 5, warning.data() + warning.size(), n);
        if (failure == std::errc())
            warning =
                "line " + std::to_string(n + parser.LinesRead()) + warning.substr(std::size_t(end - warning.data()));
    }
    // The halves as one file: what one half missed the other may hold.
    Result.Soundings.reserve(Result.Soundings.size() + second.Soundings.size());
    std::move(second.Soundings.begin(), second.Soundings.end(), std::back_inserter(Result.Soundings));
    Result.Skipped += second.Skipped;
    Result.Warnings.insert(Result.Warnings.end(), second.Warnings.begin(), second.Warnings.end());
    if (!Result.Soundings.empty() && Result.NoData) {
        Result.NoData = false;
        Result.Error.clear();
    }
}

namespace {

// A string held by the caller, as a whole text; nothing to hand back.
class TBorrowedText : public TWholeText {
public:
    explicit TBorrowedText(std::string_view Text) : text_(Text) {}
    std::string_view Text() const override { return text_; }
    void Release(std::size_t, std::size_t) override {}

private:
    std::string_view text_;
};

}  // namespace

TSourceResult ReadSoundingSource(std::string_view Bytes, const TSourceLimits& Limits)
{
    TSourceResult result;
    TSourceParser parser;
    const auto sink = [&](std::string_view Piece) { parser.Feed(Piece); };
    bool whole = false;
    const TWholeSink wholeSink = [&](TWholeText& Text) {
        whole = true;
        ReadSoundingText(Text, result);
    };
    std::string error;
    if (LooksGzip(Bytes)) {
        result.Compressed = true;
        std::string warning;
        error = InflateGzip(Bytes, Limits, sink, &warning, &wholeSink);
        if (!warning.empty()) result.Warnings.push_back(warning);
    } else if (LooksZip(Bytes)) {
        result.Compressed = true;
        error = InflateZip(Bytes, Limits, sink, &wholeSink);
    } else {
        TBorrowedText text(Bytes);
        ReadSoundingText(text, result);
        return result;
    }
    if (whole) {
        if (!error.empty()) result.Error = error;
        return result;
    }
    result.Error = error;
    parser.Finish(result);
    return result;
}

TSourceResult ReadSoundingFile(const std::string& Path, const TSourceLimits& Limits)
{
    TSourceResult result;
    // The file system refuses a folder, a FIFO and a device.
    platform::FileError error;
    TMappedText mapped(platform::files().MapFile(Path, error));
    if (!mapped.Ok()) {
        result.Error = error.Message.empty() ? "The file cannot be read" : error.Message;
        return result;
    }
    // Compressed bytes are read from the mapping too; only their inflated
    // text is made anew.
    const std::string_view first = mapped.Text().substr(0, 4);
    if (LooksGzip(first) || LooksZip(first)) return ReadSoundingSource(mapped.Text(), Limits);
    ReadSoundingText(mapped, result);
    return result;
}

namespace {

using sounding::StationOf;

// The WMO number an IGRA id of the WMO network carries ("USM00072403" ->
// "72403"), or "".
std::string_view WmoOfIgraId(std::string_view Id)
{
    if (Id.size() != 11 || Id[2] != 'M' || Id.substr(3, 3) != "000") return {};
    return Id.substr(6);
}

bool IsWmoNumber(std::string_view Id)
{
    return Id.size() == 5 && std::all_of(Id.begin(), Id.end(), [](char C) { return IsDigit(C); });
}

}  // namespace

std::vector<TSounding> MergeSoundings(std::vector<std::vector<TSounding>> Sets)
{
    struct TItem {
        sounding::TLaunchKey Key;
        TSounding* Sounding;
    };
    std::vector<TItem> items;
    std::size_t total = 0;
    for (const auto& set : Sets) total += set.size();
    items.reserve(total);
    // A WMO number stands for the IGRA id of the WMO network ending in it,
    // when one of the files has that id.
    std::unordered_map<std::string, std::string> igraOfWmo;
    for (auto& set : Sets)
        for (TSounding& s : set) {
            items.push_back({s.Launch, &s});
            const std::string_view id = StationOf(items.back().Key);
            const std::string_view wmo = WmoOfIgraId(id);
            if (!wmo.empty()) igraOfWmo.emplace(std::string(wmo), std::string(id));
        }
    const auto when = [](const sounding::TLaunchKey& K) {
        // Date, then the nominal hour (99 after the hours of its day), then
        // the release time.
        return (std::int64_t(K.Year) << 40) | (std::int64_t(K.Month) << 32) | (std::int64_t(K.Day) << 24) |
               (std::int64_t(K.Hour) << 16) | std::int64_t(K.Release + 1);
    };
    std::stable_sort(items.begin(), items.end(), [&](const TItem& A, const TItem& B) {
        if (A.Key.Known() != B.Key.Known()) return A.Key.Known();
        return A.Key.Known() && when(A.Key) < when(B.Key);
    });
    std::vector<TSounding> merged;
    merged.reserve(items.size());
    // The launches kept so far at each station, date and hour, with their
    // release times: a launch is a repeat when one of them has its release
    // time, or either release time is unknown.
    std::unordered_map<std::string, std::vector<std::int16_t>> seen;
    for (TItem& item : items) {
        if (item.Key.Known() && !StationOf(item.Key).empty()) {
            std::string station(StationOf(item.Key));
            if (IsWmoNumber(station))
                if (const auto found = igraOfWmo.find(station); found != igraOfWmo.end()) station = found->second;
            station += ' ';
            station += std::to_string(when(item.Key) >> 16);
            std::vector<std::int16_t>& releases = seen[station];
            const std::int16_t release = item.Key.Release;
            if (std::any_of(releases.begin(), releases.end(),
                            [&](std::int16_t R) { return R == release || R < 0 || release < 0; }))
                continue;
            releases.push_back(release);
        }
        merged.push_back(std::move(*item.Sounding));
    }
    return merged;
}

std::vector<TSounding> FilterByDate(std::vector<TSounding> Soundings, std::string_view From, std::string_view To)
{
    sounding::TDateRange range;
    // A bound that is no date keeps nothing, as before.
    if (!range.Set(std::string(From), std::string(To))) return {};
    if (range.Whole()) return Soundings;
    std::vector<TSounding> kept;
    for (TSounding& s : Soundings)
        if (range.Contains(s)) kept.push_back(std::move(s));
    return kept;
}
