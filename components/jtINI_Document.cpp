#include "components/jtINI_Document.h"

#include "components/jtCommon.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace jtini {

std::string UpperAZ(std::string_view S)
{
    std::string out(S);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return out;
}

}  // namespace jtini

using jt::SameTextAZ;
using jtini::UpperAZ;

bool SameKeyAZ(std::string_view A, std::string_view B) { return SameTextAZ(A, B); }

std::size_t T_jt_ini_KeyHash::operator()(std::string_view Key) const
{
    // FNV-1a over the key with a-z upper-cased.
    std::uint64_t h = 14695981039346656037ull;
    for (char c : Key) {
        if (c >= 'a' && c <= 'z') c = char(c - 32);
        h = (h ^ std::uint8_t(c)) * 1099511628211ull;
    }
    return std::size_t(h);
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
}  // namespace

void TjtINI_Document::ParseLine(const std::string& Line)
{
    const std::string T = Trim(Line);
    if (T.empty() || IsComment(T)) return;
    if (T[0] == '[') {
        // The last character goes whatever it is: "[Temperature" names "Temperatur".
        CurrentSectionName = T.size() >= 2 ? T.substr(1, T.size() - 2) : std::string();
        return;
    }
    const size_t eq = T.find('=');
    if (eq == std::string::npos) return;
    StoreValue(CurrentSectionName, Trim(std::string_view(T).substr(0, eq)),
               Trim(std::string_view(T).substr(eq + 1)));
}

void TjtINI_Document::ParseStrings(const std::vector<std::string>& Lines)
{
    CurrentSectionName = StartOfFile;
    for (const std::string& line : Lines) ParseLine(line);
}

void TjtINI_Document::ParseText(TTextFile& F)
{
    CurrentSectionName = StartOfFile;
    while (!F.Eof()) ParseLine(F.ReadLine());
}

namespace {
T_jt_ini_Record* AddNewRecord(TjtINI_Document& D, const std::string& Section, const std::string& Key);
}  // namespace

void TjtINI_Document::StoreValue(const std::string& Section, const std::string& Key, const std::string& Value)
{
    T_jt_ini_Record* R = FindRecord(Section, Key);
    if (!R) {
        R = AddNewRecord(*this, Section, Key);
        if (LoadingDefaults) R->DefaultValue = Value;
    }
    R->LoadedValue = Value;
    // A value from the command line outranks every text.
    if (R->CmdLineValue.empty()) R->Value = Value;
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
    if (!S) return nullptr;
    const auto found = S->ByKey.find(std::string_view(Key));
    return found == S->ByKey.end() ? nullptr : *found;
}

T_jt_ini_Record* TjtINI_Document::AddRecord(const std::string& Section, const std::string& Key)
{
    if (T_jt_ini_Record* found = FindRecord(Section, Key)) return found;
    return AddNewRecord(*this, Section, Key);
}

namespace {
// A record for a key the section does not have yet (FindRecord just said so).
T_jt_ini_Record* AddNewRecord(TjtINI_Document& D, const std::string& Section, const std::string& Key)
{
    T_jt_ini_SectionIndex& Sections = D.Sections;
    const std::string upper = UpperAZ(Section);
    int at = 0;
    T_jt_ini_Section* S;
    if (Sections.Find(upper, at)) {
        S = &Sections.Section(at);
    } else {
        auto created = std::make_unique<T_jt_ini_Section>();
        created->Name = Section;
        S = &Sections.Insert(upper, std::move(created));
    }
    auto record = std::make_unique<T_jt_ini_Record>();
    record->Key = Key;
    S->ByKey.insert(record.get());
    S->Records.push_back(std::move(record));
    return S->Records.back().get();
}
}  // namespace

T_jt_ini_Records* TjtINI_Document::SectionRecords(int Index) const
{
    if (Index < 0 || Index >= Sections.Count()) return nullptr;
    return &Sections.Section(Index).Records;
}

// ---------------------------------------------------------------- writers

void TjtINI_Document::WriteRecords(TTextFile& F, const T_jt_ini_Records& Records) const
{
    size_t width = 0;
    for (const auto& r : Records) width = std::max(width, r->Key.size());
    std::string line;
    for (const auto& r : Records) {
        line = r->Key;
        if (windowsCompatible_) {
            line += '=';
        } else {
            line.append(width - r->Key.size(), ' ');
            line += " = ";
        }
        line += r->Value;
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
        const bool fromCmdLine = !R->CmdLineValue.empty() && R->Value == R->CmdLineValue;
        F.WriteLine(line.substr(0, keep) + (fromCmdLine ? R->LoadedValue : R->Value));
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
