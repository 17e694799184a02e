#include "tools/CsvExport.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

std::string CsvField(std::string_view Text)
{
    if (Text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(Text);
    std::string out;
    out.reserve(Text.size() + 2);
    out += '"';
    for (const char c : Text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

namespace {

// The shortest text that reads back to Value, as std::to_chars writes it.
// Most values of a station file are few-decimal numbers (scaled integers
// in IGRA), written here as an integer with a point put in; the rest, and
// every case where the short form would differ, go to std::to_chars.

constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes U (below 10^9) at Out; returns the end.
char* PutUnsigned(char* Out, std::uint32_t U)
{
    static constexpr std::uint32_t kPowers[] = {1,      10,      100,      1000,      10000,
                                                100000, 1000000, 10000000, 100000000, 1000000000};
    // log10 from the bit width (1233 / 4096 ~ log10 2), one too high at
    // most; U | 1 keeps 0 at one digit and crosses no power of ten.
    const int estimate = (std::bit_width(U | 1) * 1233) >> 12;
    const int digits = estimate + 1 - ((U | 1) < kPowers[estimate]);
    char* p = Out + digits;
    while (U >= 100) {
        const std::uint32_t pair = U % 100;
        U /= 100;
        p -= 2;
        std::memcpy(p, kPairs + 2 * pair, 2);
    }
    if (U >= 10) {
        std::memcpy(p - 2, kPairs + 2 * U, 2);
    } else {
        p[-1] = char('0' + U);
    }
    return Out + digits;
}

// Writes the integer N (|N| below 10^9) with a point K digits from its
// right at Out, its trailing zeros after the point left out; returns the
// end.
char* PutScaled(char* Out, long long N, int K)
{
    if (N < 0) {
        *Out++ = '-';
        N = -N;
    }
    std::uint32_t u = static_cast<std::uint32_t>(N);
    while (K > 0 && u % 10 == 0) u /= 10, --K;
    if (K == 0) return PutUnsigned(Out, u);
    // Constant divisors: a multiplication each.
    const std::uint32_t whole = K == 1 ? u / 10 : K == 2 ? u / 100 : u / 1000;
    std::uint32_t fraction = K == 1 ? u % 10 : K == 2 ? u % 100 : u % 1000;
    Out = PutUnsigned(Out, whole);
    *Out++ = '.';
    for (int digit = K - 1; digit >= 0; --digit, fraction /= 10) Out[digit] = char('0' + fraction % 10);
    return Out + K;
}

long long Nearest(double Value) { return static_cast<long long>(Value < 0 ? Value - 0.5 : Value + 0.5); }

// Whether Value is the float nearest to N / Scale (Scale 10, 100 or 1000),
// that is whether the text of N with the point put in reads back to Value.
// Without a division: N - Value * Scale is exact in double (24 bits of
// Value times at most 10 of Scale), and it must lie within half of Value's
// spacing times Scale; a three-decimal number never falls exactly halfway
// between two floats. A power of two, whose spacing below is half the one
// above, and values without a normal exponent are divided.
bool ReadsBack(long long N, double Scale, float Value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &Value, sizeof bits);
    const std::uint32_t exponent = (bits >> 23) & 0xFF;
    if ((bits & 0x7FFFFF) == 0 || exponent == 0 || exponent == 0xFF)
        return static_cast<float>(static_cast<double>(N) / Scale) == Value;
    // Half the spacing: 2^(exponent - 127 - 23 - 1).
    const std::uint64_t halfBits = std::uint64_t(exponent - 151 + 1023) << 52;
    double half = 0;
    std::memcpy(&half, &halfBits, sizeof half);
    return std::fabs(static_cast<double>(N) - static_cast<double>(Value) * Scale) < half * Scale;
}

// Writes the shortest text of Value at Out (room for 32 characters);
// returns the end of it.
char* SingleChars(char* Out, float Value)
{
    static constexpr double kScale[] = {1, 10, 100, 1000};
    const double v = Value;
    const double size = std::fabs(v);
    if (size < 100000) {
        // Whole numbers below 100000 read back from their digits alone.
        const auto whole = static_cast<std::int32_t>(v);
        if (static_cast<double>(whole) == v) {
            if (whole == 0 && std::signbit(v)) {
                std::memcpy(Out, "-0", 2);
                return Out + 2;
            }
            return PutScaled(Out, whole, 0);
        }
        if (size < 8192) {
            // Below 8192 a float's spacing is finer than 0.001, so at most
            // one number of three decimals reads back to it.
            const long long n = Nearest(v * 1000);
            if (ReadsBack(n, 1000, Value)) return PutScaled(Out, n, 3);
        } else {
            // Up to 100000 (and more may be written with an exponent): the
            // fewest decimals that read back.
            // Here the spacing is wider than 0.001, so two numbers of as many
            // decimals may read back: the nearer is taken, of two equally
            // near the even one, as std::to_chars does.
            for (int k = 1; k < 4; ++k) {
                const auto n = static_cast<long long>(std::nearbyint(v * kScale[k]));
                if (ReadsBack(n, kScale[k], Value)) return PutScaled(Out, n, k);
            }
        }
    }
    return std::to_chars(Out, Out + 32, Value).ptr;
}

void AppendSingle(std::string& Out, float Value)
{
    char buf[32];
    Out.append(buf, SingleChars(buf, Value));
}

}  // namespace

std::string SingleText(float Value)
{
    std::string text;
    AppendSingle(text, Value);
    return text;
}

namespace {

// The rows of the soundings First..Last-1, appended to Out.
// The texts of the values met last, by their bits: a station file repeats
// few values (temperatures, wind, the missing mark) many times, and a
// value found here is copied instead of written anew.
class TTextCache {
public:
    // Writes the text of Value at Out (room for 32 characters); returns
    // the end of it.
    char* Put(char* Out, float Value)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &Value, sizeof bits);
        TEntry& entry = entries_[(bits * 0x9E3779B1u) >> (32 - kBits)];
        if (entry.Length != 0 && entry.Bits == bits) {
            std::memcpy(Out, entry.Text, sizeof entry.Text);
            return Out + entry.Length;
        }
        char* const end = SingleChars(Out, Value);
        const auto length = static_cast<std::size_t>(end - Out);
        if (length <= sizeof entry.Text) {
            entry.Bits = bits;
            entry.Length = static_cast<std::uint8_t>(length);
            std::memcpy(entry.Text, Out, length);
        }
        return end;
    }

private:
    static constexpr int kBits = 14;
    struct TEntry {
        std::uint32_t Bits = 0;
        std::uint8_t Length = 0;  // 0: empty
        char Text[11] = {};
    };
    std::vector<TEntry> entries_ = std::vector<TEntry>(std::size_t(1) << kBits);
};

// The rows of the soundings First..Last-1, appended to Out.
void AppendRows(const TLapseRates& Set, std::size_t First, std::size_t Last, TTextCache& Texts, std::string& Out)
{
    // Room for the run at once (a row's values take about 40 characters):
    // a text that doubles as it grows copies itself and faults in new pages.
    std::size_t room = Out.size();
    for (std::size_t i = First; i < Last; ++i)
        room += std::max<std::size_t>(1, Set.Soundings[i].Levels.size()) * (Set.Soundings[i].Title.size() + 48);
    Out.reserve(room);
    for (std::size_t i = First; i < Last; ++i) {
        const TSounding& sounding = Set.Soundings[i];
        const std::string prefix = std::to_string(i) + ',' + CsvField(sounding.Title) + ',';
        if (sounding.Levels.empty()) {
            Out += prefix;
            Out += ",,,,,\n";
        }
        for (const TSoundingLevel& level : sounding.Levels) {
            // One row in a buffer of its own, appended at once.
            char row[6 * 33];
            char* p = row;
            for (const float value :
                 {level.Pressure, level.Height, level.Temperature, level.DewPointDiff, level.WindDirection}) {
                p = Texts.Put(p, value);
                *p++ = ',';
            }
            p = Texts.Put(p, level.WindSpeed);
            *p++ = '\n';
            Out += prefix;
            Out.append(row, p);
        }
    }
}

// Text handed to Sink in slices of at most PieceBytes.
bool Hand(std::string_view Text, const TCsvSink& Sink, std::size_t PieceBytes)
{
    for (std::size_t at = 0; at < Text.size(); at += PieceBytes)
        if (!Sink(Text.substr(at, PieceBytes))) return false;
    return true;
}

}  // namespace

bool WriteRunsOnTwoCores(std::string_view Header, const std::vector<std::size_t>& Bounds,
                         const std::function<TRowMaker()>& MakeRows, const TCsvSink& Sink, std::size_t PieceBytes)
{
    if (PieceBytes == 0) PieceBytes = 1;
    if (!Sink(Header)) return false;
    // Two threads take the runs in turn: each formats its next run while the
    // other hands its own on, and hands its text on when its turn comes.
    const std::size_t runs = Bounds.empty() ? 0 : Bounds.size() - 1;
    std::mutex turnLock;
    std::condition_variable turnChanged;
    std::size_t turn = 0;
    bool failed = false;
    std::exception_ptr error;
    const auto work = [&](std::size_t First, std::size_t Step) {
        try {
            std::string text;
            const TRowMaker rows = MakeRows();
            for (std::size_t run = First; run < runs; run += Step) {
                text.clear();
                rows(Bounds[run], Bounds[run + 1], text);
                std::unique_lock<std::mutex> lock(turnLock);
                turnChanged.wait(lock, [&] { return turn == run || failed; });
                if (failed) return;
                failed = !Hand(text, Sink, PieceBytes);
                ++turn;
                turnChanged.notify_all();
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(turnLock);
            if (!error) error = std::current_exception();
            failed = true;
            turnChanged.notify_all();
        }
    };
    std::thread other;
    if (runs > 1) {
        try {
            other = std::thread(work, 1, 2);
        } catch (const std::system_error&) {
        }
    }
    work(0, other.joinable() ? 2 : 1);
    if (other.joinable()) other.join();
    if (error) std::rethrow_exception(error);
    return !failed;
}

std::vector<std::size_t> RunBounds(std::size_t Count, std::size_t RunItems)
{
    std::vector<std::size_t> bounds{0};
    for (std::size_t at = 0; at < Count;) {
        at += std::min(std::max<std::size_t>(RunItems, 1), Count - at);
        bounds.push_back(at);
    }
    return bounds;
}

bool WriteSoundingsCsv(const TLapseRates& Set, const TCsvSink& Sink, std::size_t PieceBytes)
{
    // The soundings go in runs of about kRunLevels rows (a few MB of text),
    // so that no more than two runs of text are ever held.
    constexpr std::size_t kRunLevels = 32768;
    std::vector<std::size_t> bounds{0};
    std::size_t rows = 0;
    for (std::size_t i = 0; i < Set.Soundings.size(); ++i) {
        rows += std::max<std::size_t>(1, Set.Soundings[i].Levels.size());
        if (rows >= kRunLevels || i + 1 == Set.Soundings.size()) {
            bounds.push_back(i + 1);
            rows = 0;
        }
    }
    // Each thread keeps the texts of the values it met last.
    const auto makeRows = [&Set]() -> TRowMaker {
        auto texts = std::make_shared<TTextCache>();
        return [&Set, texts](std::size_t First, std::size_t Last, std::string& Out) {
            AppendRows(Set, First, Last, *texts, Out);
        };
    };
    return WriteRunsOnTwoCores("sounding,title,pressure,height,temperature,dewpoint_diff,wind_direction,wind_speed\n",
                               bounds, makeRows, Sink, PieceBytes);
}

std::string CsvText(const std::function<bool(const TCsvSink&)>& Write)
{
    std::string text;
    Write([&text](std::string_view Piece) {
        text.append(Piece);
        return true;
    });
    return text;
}

std::string SoundingsToCsv(const TLapseRates& Set)
{
    return CsvText([&Set](const TCsvSink& Sink) { return WriteSoundingsCsv(Set, Sink); });
}
