#include "components/jtINI_Document.h"

#include "components/jtCommon.h"
#include "components/jtSysUtils.h"
#include "platform/Platform.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <new>
#include <stdexcept>

namespace jtini {

std::string UpperAZ(std::string_view S)
{
    std::string out(S);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return out;
}

long double NumberOf(const std::string& Text)
{
    long double v = 0;
    const char separator = jt::DecimalSeparator();
    if (jt::TryTextToFloat(Text, separator, v)) return v;
    if (separator != '.' && jt::TryTextToFloat(Text, '.', v)) return v;
    return 0.0L;
}

// A value beyond 64 bits has no such result and fails like the processor's
// conversion would.
std::int32_t Truncate32(long double X)
{
    if (!(std::fabs(X) < 9223372036854775808.0L)) throw EInvalidOperation("Invalid floating point operation");
    const std::int64_t t = static_cast<std::int64_t>(X);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(t)));
}

}  // namespace jtini

using jt::SameTextAZ;
using jtini::UpperAZ;

bool SameKeyAZ(std::string_view A, std::string_view B) { return SameTextAZ(A, B); }

// ---------------------------------------------------------------- texts

std::size_t T_jt_ini_Text::size() const
{
    if (!chars_) return 0;
    if (!Own()) return std::strlen(chars_);
    std::size_t n;
    std::memcpy(&n, chars_ - 1 - sizeof n, sizeof n);
    return n;
}

void T_jt_ini_Text::Assign(std::string_view S)
{
    const char* made = nullptr;
    if (!S.empty()) {
        const std::size_t n = S.size();
        char* block = new char[sizeof n + 1 + n + 1];
        std::memcpy(block, &n, sizeof n);
        block[sizeof n] = kOwn;
        std::memcpy(block + sizeof n + 1, S.data(), n);
        block[sizeof n + 1 + n] = '\0';
        made = block + sizeof n + 1;
    }
    // S may be this very text: it goes only once the copy is made.
    Release();
    chars_ = made;
}

void T_jt_ini_Text::Release()
{
    if (Own()) delete[](chars_ - 1 - sizeof(std::size_t));
}

T_jt_ini_Text T_jt_ini_Text::Kept(const char* Chars, std::size_t Size)
{
    T_jt_ini_Text t;
    t.chars_ = Size ? Chars : nullptr;
    return t;
}

T_jt_ini_Text T_jt_ini_Text::Same() const
{
    if (!chars_ || Own()) return *this;
    return Kept(chars_, 1);
}

// ---------------------------------------------------------------- records

// A record takes five pointers and nothing besides.
static_assert(sizeof(T_jt_ini_Record) == 5 * sizeof(void*));
static_assert(std::forward_iterator<T_jt_ini_Records::iterator>);

T_jt_ini_Records::~T_jt_ini_Records()
{
    for (std::size_t i = 0; i < size_; ++i) (*this)[i].~T_jt_ini_Record();
    for (T_jt_ini_Record* block : blocks_) ::operator delete(block);
}

T_jt_ini_Record& T_jt_ini_Records::operator[](std::size_t Index) const
{
    // Blocks 0 .. k-1 hold kFirstBlock * (2^k - 1) records together.
    const unsigned k = unsigned(std::bit_width(Index / kFirstBlock + 1)) - 1;
    return blocks_[k][Index - kFirstBlock * ((std::size_t(1) << k) - 1)];
}

T_jt_ini_Record& T_jt_ini_Records::emplace_back()
{
    const std::size_t k = blocks_.size();
    if (size_ == kFirstBlock * ((std::size_t(1) << k) - 1)) {
        blocks_.reserve(k + 1);
        // Pages of a large block that no record reached yet take no memory.
        blocks_.push_back(static_cast<T_jt_ini_Record*>(::operator new(sizeof(T_jt_ini_Record) * (kFirstBlock << k))));
    }
    T_jt_ini_Record* r = new (&(*this)[size_]) T_jt_ini_Record();
    ++size_;
    return *r;
}

// ---------------------------------------------------------------- sections

namespace {
// Sections up to this many records are searched in order.
constexpr std::size_t kLinearRecords = 8;

// The eight bytes of W with the letters a-z upper-cased, all at once.
std::uint64_t FoldAZ(std::uint64_t W)
{
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t high = 0x8080808080808080ull;
    const std::uint64_t low7 = W & ~high;
    const std::uint64_t fromA = low7 + (0x80 - 'a') * ones;      // high bit: at least 'a'
    const std::uint64_t pastZ = low7 + (0x80 - 'z' - 1) * ones;  // high bit: beyond 'z'
    const std::uint64_t small = fromA & ~pastZ & ~W & high;
    return W - (small >> 2);  // 0x80 >> 2 is the 0x20 between the cases
}

// A hash of the key with a-z upper-cased, eight bytes at a time.
std::uint64_t HashKey(std::string_view Key)
{
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = Key.size() * k;
    const char* p = Key.data();
    std::size_t n = Key.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = std::rotl((h ^ FoldAZ(w)) * k, 29);
    }
    if (n > 0) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, n);
        h = std::rotl((h ^ FoldAZ(w)) * k, 29);
    }
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    return h ^ (h >> 32);
}
}  // namespace

// A slot holds the record's position plus one in its low bits (as many as
// the slots need to be numbered) and, above them, the top bits of the key's
// hash, so that most keys that are not the one sought are passed over
// without reading them.
T_jt_ini_Record* T_jt_ini_Section::Find(std::string_view Key) const
{
    if (!slots_) {
        for (T_jt_ini_Record& r : Records)
            if (SameKeyAZ(r.Key, Key)) return &r;
        return nullptr;
    }
    const std::uint64_t h = HashKey(Key);
    const std::uint32_t tag = Tag(h);
    const std::uint32_t positions = std::uint32_t(mask_);
    for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
        const std::uint32_t slot = slots_[i];
        if (slot == 0) return nullptr;
        if ((slot & ~positions) != tag) continue;
        T_jt_ini_Record& r = Records[(slot & positions) - 1];
        if (SameKeyAZ(r.Key, Key)) return &r;
    }
}

void T_jt_ini_Section::Prefetch(std::string_view Key) const
{
    if (slots_) __builtin_prefetch(&slots_[HashKey(Key) & mask_]);
}

std::uint32_t T_jt_ini_Section::Tag(std::uint64_t Hash) const
{
    return std::uint32_t(Hash >> 32) & ~std::uint32_t(mask_);
}

void T_jt_ini_Section::Place(std::size_t Position, std::uint64_t Hash)
{
    std::size_t i = Hash & mask_;
    while (slots_[i] != 0) i = (i + 1) & mask_;
    slots_[i] = Tag(Hash) | std::uint32_t(Position + 1);
}

T_jt_ini_Record& T_jt_ini_Section::Add(T_jt_ini_Text Key, std::size_t Expected)
{
    // The slots, twice as many as the records, are numbered in 32 bits.
    if (Records.size() >= (std::size_t(1) << 31) - 1) throw std::length_error("Too many keys in section " + Name);
    T_jt_ini_Record& r = Records.emplace_back();
    r.Key = std::move(Key);
    const std::size_t n = Records.size();
    // Growing, the slots make room for the records expected at once.
    const std::size_t wanted = std::bit_ceil(std::min(std::max(Expected, n), std::size_t(1) << 31) * 2);
    if (!slots_) {
        if (n > kLinearRecords) Rehash(std::max<std::size_t>(64, wanted));
    } else if (2 * n > mask_ + 1) {
        Rehash(std::max(2 * (mask_ + 1), wanted));
    } else {
        Place(n - 1, HashKey(r.Key));
    }
    return r;
}

void T_jt_ini_Section::Rehash(std::size_t Slots)
{
    slots_.reset();
    mask_ = 0;
    slots_ = std::make_unique<std::uint32_t[]>(Slots);
    mask_ = Slots - 1;
    std::size_t at = 0;
    for (const T_jt_ini_Record& r : Records) Place(at++, HashKey(r.Key));
}

// ---------------------------------------------------------------- index

bool T_jt_ini_SectionIndex::Find(const std::string& UpperName, int& Index) const
{
    const platform::System& sys = platform::system();
    int lo = 0, hi = int(entries_.size()) - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = sys.CompareSectionNames(entries_[size_t(mid)].Name, UpperName);
        if (c == 0) {
            Index = mid;
            return true;
        }
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    Index = lo;
    return false;
}

T_jt_ini_Section& T_jt_ini_SectionIndex::Insert(const std::string& UpperName, std::unique_ptr<T_jt_ini_Section> S)
{
    int at = 0;
    Find(UpperName, at);
    auto it = entries_.insert(entries_.begin() + at, Entry{UpperName, std::move(S)});
    return *it->Section;
}

// ---------------------------------------------------------------- parsing

namespace {
// A line whose first character is one of these is a comment.
constexpr const char* kCommentStarts = " /;:'";

bool IsComment(const std::string& T) { return !T.empty() && std::strchr(kCommentStarts, T[0]) != nullptr; }

bool Blank(char C) { return static_cast<unsigned char>(C) <= 32; }

// The lines parsed ahead of the one whose key's slot is fetched.
constexpr int kLinesAhead = 8;

// The start of the line after the one at P.
const char* NextLine(const char* P, const char* End)
{
    while (P < End && *P != '\n' && *P != '\r') ++P;
    return P + 1;
}

// The key of the line [P, End) without its line end, empty when it has none.
std::string_view KeyOf(const char* P, const char* End)
{
    while (P < End && Blank(*P)) ++P;
    const char* eq = static_cast<const char*>(std::memchr(P, '=', size_t(End - P)));
    if (!eq) return {};
    while (eq > P && Blank(eq[-1])) --eq;
    return {P, size_t(eq - P)};
}

// The lines with "=" from the one at P up to the next header or End: no
// fewer than the keys they can add to a section.
std::size_t LinesWithValues(const char* P, const char* End)
{
    std::size_t n = 0;
    while (P < End) {
        const char* e = P;
        while (e < End && *e != '\n' && *e != '\r') ++e;
        const char* f = P;
        while (f < e && Blank(*f)) ++f;
        if (f < e && *f == '[') break;
        if (std::memchr(f, '=', size_t(e - f)) != nullptr) ++n;
        P = e + 1;
    }
    return n;
}

// The section named Name, created when missing.
T_jt_ini_Section& SectionNamed(T_jt_ini_SectionIndex& Sections, const std::string& Name)
{
    const std::string upper = UpperAZ(Name);
    int at = 0;
    if (Sections.Find(upper, at)) return Sections.Section(at);
    auto created = std::make_unique<T_jt_ini_Section>();
    created->Name = Name;
    return Sections.Insert(upper, std::move(created));
}

// A loaded value goes to a record; a value from the command line outranks
// every text.
void Load(T_jt_ini_Record& R, T_jt_ini_Text Value, bool Created, bool LoadingDefaults)
{
    if (Created && LoadingDefaults) R.DefaultValue = Value.Same();
    R.LoadedValue = Value.Same();
    if (R.CmdLineValue.empty()) R.Value = std::move(Value);
}
}  // namespace

struct TjtINI_Document::ParseState {
    T_jt_ini_Section* Section = nullptr;  // the current section, once looked up
    bool Known = false;                   // Section belongs to CurrentSectionName
    bool Used = false;                    // records share characters of the text
    const char* End = nullptr;            // the end of the text, when it is split into lines here
    std::size_t Left = 0;                 // the lines with "=" left up to the next header
};

void TjtINI_Document::ParseKeptLine(char* First, char* Last, const char* Text, ParseState& State)
{
    while (First < Last && Blank(*First)) ++First;
    while (Last > First && Blank(Last[-1])) --Last;
    if (First == Last) return;
    const std::string_view slashKey = SlashKey(First, Last);
    if (slashKey.empty() && std::strchr(kCommentStarts, *First) != nullptr) return;
    if (*First == '[') {
        // The last character goes whatever it is: "[Temperature" names "Temperatur".
        CurrentSectionName = Last - First >= 2 ? std::string(First + 1, Last - 1) : std::string();
        State.Known = false;
        return;
    }
    char* eq = static_cast<char*>(std::memchr(First, '=', size_t(Last - First)));
    if (!eq) {
        // A slash key alone (a file named by its path) keeps no value.
        if (slashKey.empty() || !keepWithoutValue_ || !keepWithoutValue_(slashKey)) return;
        eq = Last;
    }
    char* keyLast = eq;
    while (keyLast > First && Blank(keyLast[-1])) --keyLast;
    char* valueFirst = eq < Last ? eq + 1 : Last;
    while (valueFirst < Last && Blank(*valueFirst)) ++valueFirst;

    if (!State.Known) {
        int at = 0;
        State.Section = Sections.Find(UpperAZ(CurrentSectionName), at) ? &Sections.Section(at) : nullptr;
        State.Known = true;
        State.Left = State.End ? LinesWithValues(First, State.End) : 0;
    }
    // As a look-up by name would leave them: the records of a section that
    // was there, none for a section this line creates.
    CurrentRecords = State.Section ? &State.Section->Records : nullptr;
    if (!State.Section) State.Section = &SectionNamed(Sections, CurrentSectionName);

    // The characters of a text stay where they are when a NUL can go on
    // either side of them (the bytes there are blanks, "=" or line ends
    // that no text holds) and none is among them.
    const auto keep = [&](char* B, char* E) {
        if (B == E) return T_jt_ini_Text();
        if (B == Text || std::memchr(B, '\0', size_t(E - B)) != nullptr)
            return T_jt_ini_Text(std::string_view(B, size_t(E - B)));
        B[-1] = '\0';
        *E = '\0';
        State.Used = true;
        return T_jt_ini_Text::Kept(B, size_t(E - B));
    };
    const std::string_view key(First, size_t(keyLast - First));
    T_jt_ini_Record* R = State.Section->Find(key);
    const bool created = R == nullptr;
    if (created) R = &State.Section->Add(keep(First, keyLast), State.Section->Records.size() + State.Left);
    if (State.Left > 0) --State.Left;
    Load(*R, keep(valueFirst, Last), created, LoadingDefaults);
}

std::string_view TjtINI_Document::SlashKey(const char* First, const char* Last) const
{
    if (!slashKeys_ || Last - First < 2 || First[0] != '/' || First[1] == '/' || First[1] == ' ') return {};
    const char* eq = static_cast<const char*>(std::memchr(First, '=', size_t(Last - First)));
    const char* keyLast = eq ? eq : Last;
    while (keyLast > First && Blank(keyLast[-1])) --keyLast;
    if (keyLast - First < 2) return {};
    return {First, size_t(keyLast - First)};
}

void TjtINI_Document::ParseLines(const std::string* Lines, std::size_t Count)
{
    // The lines go into one text between NULs; the text is allocated before
    // it is filled, so that its characters never move.
    auto text = std::make_unique<std::string>();
    std::size_t total = 1;
    for (std::size_t i = 0; i < Count; ++i) total += Lines[i].size() + 1;
    text->reserve(total);
    text->push_back('\0');
    for (std::size_t i = 0; i < Count; ++i) {
        text->append(Lines[i]);
        text->push_back('\0');
    }
    char* p = text->data() + 1;
    ParseState state;
    kept_.reserve(kept_.size() + 1);
    try {
        for (std::size_t i = 0; i < Count; ++i) {
            char* const e = p + Lines[i].size();
            ParseKeptLine(p, e, text->data(), state);
            p = e + 1;
        }
    } catch (...) {
        if (state.Used) kept_.push_back(std::move(text));
        throw;
    }
    if (state.Used) kept_.push_back(std::move(text));
}

void TjtINI_Document::ParseLine(const std::string& Line) { ParseLines(&Line, 1); }

void TjtINI_Document::ParseStrings(const std::vector<std::string>& Lines)
{
    CurrentSectionName = StartOfFile;
    ParseLines(Lines.data(), Lines.size());
}

void TjtINI_Document::ParseText(TTextFile& F) { ParseWholeText(F.TakeRest()); }

void TjtINI_Document::ParseWholeText(std::string Text)
{
    CurrentSectionName = StartOfFile;
    // The text is taken over, not copied; a NUL after it ends the last line
    // as the others end.
    auto text = std::make_unique<std::string>(std::move(Text));
    text->push_back('\0');
    char* const begin = text->data();
    char* const end = begin + text->size() - 1;
    ParseState state;
    state.End = end;
    kept_.reserve(kept_.size() + 1);
    try {
        // A line ends at LF, CR LF or a lone CR; the empty lines between a
        // CR and its LF are skipped like every empty line.
        // The slot of the key some lines ahead is fetched from memory while
        // the lines before it are parsed.
        const char* ahead = begin;
        for (int i = 0; i < kLinesAhead && ahead < end; ++i) ahead = NextLine(ahead, end);
        for (char* p = begin; p < end;) {
            if (ahead < end) {
                const char* e = NextLine(ahead, end);
                if (state.Known && state.Section) state.Section->Prefetch(KeyOf(ahead, e));
                ahead = e;
            }
            char* e = p;
            while (e < end && *e != '\n' && *e != '\r') ++e;
            ParseKeptLine(p, e, begin, state);
            p = e + 1;
        }
    } catch (...) {
        if (state.Used) kept_.push_back(std::move(text));
        throw;
    }
    if (state.Used) kept_.push_back(std::move(text));
}

void TjtINI_Document::StoreValue(const std::string& Section, const std::string& Key, const std::string& Value)
{
    T_jt_ini_Record* R = FindRecord(Section, Key);
    const bool created = R == nullptr;
    if (created) R = &SectionNamed(Sections, Section).Add(T_jt_ini_Text(Key));
    Load(*R, T_jt_ini_Text(Value), created, LoadingDefaults);
    CurrentSectionName = Section;
}

// ---------------------------------------------------------------- lookups

namespace {
// The section named Name, made the current one when present.
T_jt_ini_Section* FindSectionOf(TjtINI_Document& D, const std::string& Name)
{
    int at = 0;
    T_jt_ini_Section* result = nullptr;
    if (D.Sections.Find(UpperAZ(Name), at)) {
        D.CurrentSectionName = Name;
        result = &D.Sections.Section(at);
    }
    D.CurrentRecords = result ? &result->Records : nullptr;
    return result;
}
}  // namespace

T_jt_ini_Records* TjtINI_Document::FindSection(const std::string& Name)
{
    T_jt_ini_Section* S = FindSectionOf(*this, Name);
    return S ? &S->Records : nullptr;
}

T_jt_ini_Record* TjtINI_Document::FindRecord(const std::string& Section, const std::string& Key)
{
    const T_jt_ini_Section* S = FindSectionOf(*this, Section);
    return S ? S->Find(Key) : nullptr;
}

T_jt_ini_Record* TjtINI_Document::AddRecord(const std::string& Section, const std::string& Key)
{
    if (T_jt_ini_Record* found = FindRecord(Section, Key)) return found;
    return &SectionNamed(Sections, Section).Add(T_jt_ini_Text(Key));
}

T_jt_ini_Records* TjtINI_Document::SectionRecords(int Index) const
{
    if (Index < 0 || Index >= Sections.Count()) return nullptr;
    return &Sections.Section(Index).Records;
}

// ---------------------------------------------------------------- writers

void TjtINI_Document::WriteRecords(TTextFile& F, const T_jt_ini_Records& Records) const
{
    size_t width = 0;
    for (const auto& r : Records) width = std::max(width, r.Key.size());
    std::string line;
    for (const auto& r : Records) {
        line = r.Key;
        if (windowsCompatible_) {
            line += '=';
        } else {
            line.append(width - r.Key.size(), ' ');
            line += " = ";
        }
        line += r.Value;
        F.WriteLine(line);
    }
}

void TjtINI_Document::WriteGenerate(TTextFile& F)
{
    // The keys above the first header have no header of their own, so they
    // go first even when a section name sorts before "__StartOfFile" (an
    // empty name, or one starting with a blank or "!"): below that
    // section's header they would be read back into it.
    bool written = false;
    int at = 0;
    if (Sections.Find(UpperAZ(StartOfFile), at)) {
        WriteRecords(F, Sections.Section(at).Records);
        written = true;
    }
    for (int i = 0; i < Sections.Count(); ++i) {
        const T_jt_ini_Section& S = Sections.Section(i);
        if (SameTextAZ(S.Name, StartOfFile)) continue;
        if (written) F.WriteLine("");
        F.WriteLine("[" + S.Name + "]");
        WriteRecords(F, S.Records);
        written = true;
    }
}

void TjtINI_Document::WriteUpdate(TTextFile& F)
{
    CurrentSectionName = StartOfFile;
    for (const std::string& line : FileLines) {
        const std::string T = Trim(line);
        if (T.empty() || IsComment(T)) {
            F.WriteLine(line);
            continue;
        }
        if (T[0] == '[') {
            CurrentSectionName = T.size() >= 2 ? T.substr(1, T.size() - 2) : std::string();
            F.WriteLine(line);
            continue;
        }
        const size_t eq = T.find('=');
        T_jt_ini_Record* R = nullptr;
        if (eq != std::string::npos) R = FindRecord(CurrentSectionName, Trim(std::string_view(T).substr(0, eq)));
        if (!R) {
            F.WriteLine(line);
            continue;
        }
        // Keep the line up to its "=" and the blanks and tabs after it; the
        // old value and whatever followed it go.
        size_t keep = line.find('=') + 1;
        while (keep < line.size() && (line[keep] == ' ' || line[keep] == '\t')) ++keep;
        // A value that came from the command line never reaches the file:
        // the file keeps what it had. A record without a command-line value
        // writes its current value, an emptied one included.
        const bool fromCmdLine = !R->CmdLineValue.empty() && R->Value == R->CmdLineValue.View();
        F.WriteLine(line.substr(0, keep) + std::string(fromCmdLine ? R->LoadedValue : R->Value));
    }
}

void TjtINI_Document::WriteAddSection(TTextFile& F, const std::string& SectionName)
{
    const std::string header = UpperAZ("[" + SectionName + "]");
    size_t i = 0;
    bool matched = false;
    while (i < FileLines.size()) {
        const std::string& line = FileLines[i++];
        F.WriteLine(line);
        if (UpperAZ(line) == header) {
            matched = true;
            break;
        }
    }
    if (!matched) {
        F.WriteLine("");
        F.WriteLine("[" + SectionName + "]");
    }
    int at = 0;
    if (Sections.Find(UpperAZ(SectionName), at)) WriteRecords(F, Sections.Section(at).Records);
    if (!matched) return;
    // The old lines of the section go, up to the next header. A header the
    // reader sees is one here too, indented or not: skipping an indented
    // one would drop the whole section below it from the file.
    while (i < FileLines.size() && Trim(FileLines[i]).rfind('[', 0) != 0) ++i;
    if (i == FileLines.size()) return;
    F.WriteLine("");
    for (; i < FileLines.size(); ++i) F.WriteLine(FileLines[i]);
}
