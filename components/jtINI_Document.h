#pragma once
// The in-memory settings document of the settings component: sections of
// key records, built by parsing texts line by line and merged key by key,
// and the three writers that turn it back into text. The document only
// grows; nothing removes a section or a record.

#include "components/jtTextFile.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// One key of a section.
struct T_jt_ini_Record {
    std::string Key;           // as spelled when the record was created
    std::string Value;         // what every read returns
    std::string DefaultValue;  // from the default text, or the last read-with-default
    std::string LoadedValue;   // most recently loaded from the default text or the file
    std::string CmdLineValue;  // mapped from the command line; empty when none
};

// Records are allocated one by one so that a found record stays valid while
// its section grows.
using T_jt_ini_Records = std::vector<std::unique_ptr<T_jt_ini_Record>>;

// Hashing and comparison of record keys with the letters a-z in either
// case alike; a key text is looked up without building a record.
struct T_jt_ini_KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view Key) const;
    std::size_t operator()(const T_jt_ini_Record* R) const { return (*this)(R->Key); }
};
struct T_jt_ini_KeyEqual {
    using is_transparent = void;
    static std::string_view KeyOf(std::string_view Key) { return Key; }
    static std::string_view KeyOf(const T_jt_ini_Record* R) { return R->Key; }
    template <typename A, typename B>
    bool operator()(const A& X, const B& Y) const;
};

class T_jt_ini_Section {
public:
    std::string Name;          // as spelled when the section was created
    T_jt_ini_Records Records;  // in the order of first appearance
    // The same records by key, so that finding one does not read them all.
    std::unordered_set<T_jt_ini_Record*, T_jt_ini_KeyHash, T_jt_ini_KeyEqual> ByKey;
};

// The sorted index of sections: entries under the upper-cased (a-z) name,
// ordered by the platform's section-name collation, searched by bisection.
class T_jt_ini_SectionIndex {
public:
    struct Entry {
        std::string Name;  // upper-cased
        std::unique_ptr<T_jt_ini_Section> Section;
    };

    int Count() const { return int(entries_.size()); }
    const std::string& Name(int Index) const { return entries_[size_t(Index)].Name; }
    T_jt_ini_Section& Section(int Index) const { return *entries_[size_t(Index)].Section; }
    // True and the entry's position when UpperName is present; otherwise
    // false and the position where it belongs.
    bool Find(const std::string& UpperName, int& Index) const;
    // Inserts a new entry (UpperName must not be present); returns it.
    T_jt_ini_Section& Insert(const std::string& UpperName, std::unique_ptr<T_jt_ini_Section> S);

private:
    std::vector<Entry> entries_;
};

namespace jtini {
// Letters a-z upper-cased, nothing else changed.
std::string UpperAZ(std::string_view S);
}  // namespace jtini

bool SameKeyAZ(std::string_view A, std::string_view B);

template <typename A, typename B>
bool T_jt_ini_KeyEqual::operator()(const A& X, const B& Y) const
{
    return SameKeyAZ(KeyOf(X), KeyOf(Y));
}

class TjtINI_Document {
public:
    static constexpr const char* StartOfFile = "__StartOfFile";

    TjtINI_Document() = default;
    virtual ~TjtINI_Document() = default;
    TjtINI_Document(const TjtINI_Document&) = delete;
    TjtINI_Document& operator=(const TjtINI_Document&) = delete;

    T_jt_ini_SectionIndex Sections;
    std::string CurrentSectionName = StartOfFile;
    T_jt_ini_Records* CurrentRecords = nullptr;
    bool LoadingDefaults = false;
    std::vector<std::string> FileLines;

    // Write records as key=value instead of the aligned key = value form.
    bool WindowsCompatible() const { return windowsCompatible_; }
    void SetWindowsCompatible(bool V) { windowsCompatible_ = V; }

    void ParseLine(const std::string& Line);
    virtual void ParseStrings(const std::vector<std::string>& Lines);
    // Parses every line of a file opened for reading.
    void ParseText(TTextFile& F);
    void StoreValue(const std::string& Section, const std::string& Key, const std::string& Value);

    T_jt_ini_Records* FindSection(const std::string& Name);
    T_jt_ini_Record* FindRecord(const std::string& Section, const std::string& Key);
    T_jt_ini_Record* AddRecord(const std::string& Section, const std::string& Key);
    T_jt_ini_Records* SectionRecords(int Index) const;

    // Writers to a text file the caller created and closes; CR LF line ends.
    virtual void WriteUpdate(TTextFile& F);
    virtual void WriteAddSection(TTextFile& F, const std::string& SectionName);
    virtual void WriteGenerate(TTextFile& F);

protected:
    // The record lines of one section, aligned on their "=" signs.
    void WriteRecords(TTextFile& F, const T_jt_ini_Records& Records) const;

private:
    bool windowsCompatible_ = false;
};
