#pragma once
// The in-memory settings document of the settings component: sections of
// key records, built by parsing texts line by line and merged key by key,
// and the three writers that turn it back into text. The document only
// grows; nothing removes a section or a record.
//
// A loaded settings file may hold millions of keys in one section, so a
// record is small: its texts point into the loaded text, which the
// document keeps, instead of copying it.

#include "components/jtTextFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// A text of a record in the size of one pointer: empty, a text of its own,
// or characters of a text the document keeps (shared, never copied). A copy
// always has its own characters; a kept text moved out of a record still
// shares them and must not outlive the document.
class T_jt_ini_Text {
public:
    T_jt_ini_Text() = default;
    T_jt_ini_Text(std::string_view S) { Assign(S); }
    T_jt_ini_Text(const T_jt_ini_Text& Other) { Assign(Other.View()); }
    T_jt_ini_Text(T_jt_ini_Text&& Other) noexcept : chars_(Other.chars_) { Other.chars_ = nullptr; }
    ~T_jt_ini_Text() { Release(); }

    T_jt_ini_Text& operator=(const T_jt_ini_Text& Other)
    {
        if (this != &Other) Assign(Other.View());
        return *this;
    }
    T_jt_ini_Text& operator=(T_jt_ini_Text&& Other) noexcept
    {
        std::swap(chars_, Other.chars_);
        return *this;
    }
    T_jt_ini_Text& operator=(std::string_view S)
    {
        Assign(S);
        return *this;
    }

    bool empty() const { return chars_ == nullptr; }
    std::size_t size() const;
    std::string_view View() const { return {chars_ ? chars_ : "", size()}; }
    operator std::string_view() const { return View(); }
    std::string str() const { return std::string(View()); }
    void clear()
    {
        Release();
        chars_ = nullptr;
    }

    // Characters the document keeps as long as it lives: a NUL before them
    // and one after them, none among them. Nothing is copied.
    static T_jt_ini_Text Kept(const char* Chars, std::size_t Size);
    // The same text: shared when its characters are kept, copied otherwise.
    T_jt_ini_Text Same() const;

    friend bool operator==(const T_jt_ini_Text& A, std::string_view B) { return A.View() == B; }
    friend bool operator==(const T_jt_ini_Text& A, const T_jt_ini_Text& B) { return A.View() == B.View(); }
    friend std::ostream& operator<<(std::ostream& Out, const T_jt_ini_Text& T) { return Out << T.View(); }

private:
    // A text of its own is a block: its size, the byte kOwn, the characters
    // and a NUL; chars_ points at the characters. Kept characters have a NUL
    // before them instead, so the byte before chars_ tells the two apart.
    static constexpr char kOwn = 1;
    bool Own() const { return chars_ && chars_[-1] == kOwn; }
    void Assign(std::string_view S);
    void Release();

    const char* chars_ = nullptr;
};

// One key of a section.
struct T_jt_ini_Record {
    T_jt_ini_Text Key;           // as spelled when the record was created
    T_jt_ini_Text Value;         // what every read returns
    T_jt_ini_Text DefaultValue;  // from the default text, or the last read-with-default
    T_jt_ini_Text LoadedValue;   // most recently loaded from the default text or the file
    T_jt_ini_Text CmdLineValue;  // mapped from the command line; empty when none
};

// The records of a section in the order of their creation. A record stays
// where it is while the section grows, so a found record stays valid; the
// records lie in blocks of doubling size rather than one by one.
class T_jt_ini_Records {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T_jt_ini_Record;
        using difference_type = std::ptrdiff_t;
        using pointer = T_jt_ini_Record*;
        using reference = T_jt_ini_Record&;

        iterator() = default;
        iterator(const T_jt_ini_Records* Owner, std::size_t At) : owner_(Owner), at_(At) {}
        T_jt_ini_Record& operator*() const { return (*owner_)[at_]; }
        T_jt_ini_Record* operator->() const { return &(*owner_)[at_]; }
        iterator& operator++()
        {
            ++at_;
            return *this;
        }
        iterator operator++(int)
        {
            iterator was = *this;
            ++at_;
            return was;
        }
        bool operator==(const iterator& Other) const { return at_ == Other.at_; }

    private:
        const T_jt_ini_Records* owner_ = nullptr;
        std::size_t at_ = 0;
    };

    T_jt_ini_Records() = default;
    ~T_jt_ini_Records();
    T_jt_ini_Records(const T_jt_ini_Records&) = delete;
    T_jt_ini_Records& operator=(const T_jt_ini_Records&) = delete;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T_jt_ini_Record& operator[](std::size_t Index) const;
    T_jt_ini_Record& back() const { return (*this)[size_ - 1]; }
    iterator begin() const { return {this, 0}; }
    iterator end() const { return {this, size_}; }
    // A new empty record at the end.
    T_jt_ini_Record& emplace_back();

private:
    static constexpr std::size_t kFirstBlock = 8;  // block k holds kFirstBlock << k records
    std::vector<T_jt_ini_Record*> blocks_;
    std::size_t size_ = 0;
};

class T_jt_ini_Section {
public:
    std::string Name;          // as spelled when the section was created
    T_jt_ini_Records Records;  // in the order of first appearance; add through Add

    T_jt_ini_Section() = default;
    T_jt_ini_Section(const T_jt_ini_Section&) = delete;
    T_jt_ini_Section& operator=(const T_jt_ini_Section&) = delete;

    // The record of Key (the letters a-z in either case alike), or nullptr.
    T_jt_ini_Record* Find(std::string_view Key) const;
    // Starts fetching the memory a search for Key will read.
    void Prefetch(std::string_view Key) const;
    // A new record for a key the section does not have; Expected, when
    // known, is how many records the section is about to have.
    T_jt_ini_Record& Add(T_jt_ini_Text Key, std::size_t Expected = 0);

private:
    // Open addressing over the records by key, so that finding one does not
    // read them all: a slot holds a record's position plus one, 0 when free;
    // mask_ + 1 slots (a power of two, at most 2^32).
    // Small sections are searched in order and have no slots.
    void Rehash(std::size_t Slots);
    void Place(std::size_t Position, std::uint64_t Hash);
    std::uint32_t Tag(std::uint64_t Hash) const;
    std::unique_ptr<std::uint32_t[]> slots_;
    std::size_t mask_ = 0;
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
// A value's text as an extended number with the user's decimal separator
// or with "." (a settings file moves between machines), 0 when it is not one.
long double NumberOf(const std::string& Text);
// Truncated toward zero, then the low 32 bits of the 64-bit result; a value
// beyond 64 bits raises EInvalidOperation.
std::int32_t Truncate32(long double X);
}  // namespace jtini

bool SameKeyAZ(std::string_view A, std::string_view B);

class TjtINI_Document {
    // The loaded texts whose characters records share: declared before the
    // sections, so they are destroyed after the records that read them.
    std::vector<std::unique_ptr<std::string>> kept_;

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

    // Keys that start with "/" (an absolute path) instead of reading such a
    // line as a comment; "//" and "/ " still start comments, and the key
    // has at least two characters. Such a line without "=" is a key with an
    // empty value when KeepWithoutValue(key) says so.
    using TKeyTest = std::function<bool(std::string_view Key)>;
    bool SlashKeys() const { return slashKeys_; }
    void SetSlashKeys(bool V, TKeyTest KeepWithoutValue = {})
    {
        slashKeys_ = V;
        keepWithoutValue_ = std::move(KeepWithoutValue);
    }

    void ParseLine(const std::string& Line);
    virtual void ParseStrings(const std::vector<std::string>& Lines);
    // Parses the unread lines of a file opened for reading; the document
    // keeps their text.
    void ParseText(TTextFile& F);
    // Parses a whole text (LF, CR LF or CR line ends); the document keeps it.
    void ParseWholeText(std::string Text);
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
    struct ParseState;
    // Parses Count lines through one text the document keeps when records
    // share its characters.
    void ParseLines(const std::string* Lines, std::size_t Count);
    // Parses the line [First, Last) of Text, a text whose end is a NUL;
    // records may share its characters, which gain NULs around them.
    void ParseKeptLine(char* First, char* Last, const char* Text, ParseState& State);

    // A slash key on the line [First, Last), or an empty view.
    std::string_view SlashKey(const char* First, const char* Last) const;

    bool windowsCompatible_ = false;
    bool slashKeys_ = false;
    TKeyTest keepWithoutValue_;
};
