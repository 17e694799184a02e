#pragma once
// A line-oriented text file bound to a name, as the file components hand it
// to their read and write events. Reading takes the whole file at once
// through the platform's file layer; writing collects the lines and writes
// the file completely when it is closed, so a failed write is reported by
// Close() and never mistaken for success.

#include <string>
#include <string_view>

class TTextFile {
public:
    explicit TTextFile(std::string Path);
    ~TTextFile();  // closes a file still open for writing, ignoring failures
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    const std::string& Path() const { return path_; }

    // Opens the file for reading, positioned at its start. Raises
    // EInOutError (with the system's error code) when it cannot be read.
    void Reset();
    // Creates the file empty for writing (an existing file is truncated).
    // Raises EInOutError when it cannot be created.
    void Rewrite();

    bool Eof() const;
    // The next line without its end (LF, CR LF or a lone CR).
    std::string ReadLine();
    // Reading: the unread text at once, handed over without a copy when
    // nothing was read yet; the file is at its end afterwards.
    std::string TakeRest();
    // Appends Line and CR LF.
    void WriteLine(std::string_view Line);
    // Writing: writes every line and closes the file; raises EInOutError
    // when that fails. Reading: releases the text. Closing twice is harmless.
    void Close();

    bool IsOpen() const { return mode_ != Mode::Closed; }

private:
    enum class Mode { Closed, Reading, Writing };
    std::string path_;
    std::string buffer_;
    size_t pos_ = 0;
    Mode mode_ = Mode::Closed;
};
