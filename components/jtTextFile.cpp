#include "components/jtTextFile.h"

#include "components/jtSysUtils.h"
#include "platform/Platform.h"

TTextFile::TTextFile(std::string Path) : path_(std::move(Path)) {}

TTextFile::~TTextFile()
{
    if (mode_ == Mode::Writing) {
        try {
            Close();
        } catch (...) {
            // A destructor must not throw; the caller that cared called Close().
        }
    }
}

void TTextFile::Reset()
{
    Close();
    platform::FileError err;
    std::string contents;
    if (!platform::files().ReadAll(path_, contents, err)) throw EInOutError(err.Message, err.Code);
    buffer_.swap(contents);
    pos_ = 0;
    mode_ = Mode::Reading;
}

void TTextFile::Rewrite()
{
    Close();
    platform::FileError err;
    if (!platform::files().WriteAll(path_, std::string(), err)) throw EInOutError(err.Message, err.Code);
    buffer_.clear();
    pos_ = 0;
    mode_ = Mode::Writing;
}

bool TTextFile::Eof() const { return mode_ != Mode::Reading || pos_ >= buffer_.size(); }

std::string TTextFile::ReadLine()
{
    if (Eof()) return std::string();
    const size_t start = pos_;
    size_t end = start;
    while (end < buffer_.size() && buffer_[end] != '\n' && buffer_[end] != '\r') ++end;
    std::string line = buffer_.substr(start, end - start);
    pos_ = end;
    if (pos_ < buffer_.size() && buffer_[pos_] == '\r') ++pos_;
    if (pos_ < buffer_.size() && buffer_[pos_] == '\n') ++pos_;
    return line;
}

std::string TTextFile::TakeRest()
{
    if (Eof()) return std::string();
    std::string rest = pos_ == 0 ? std::move(buffer_) : buffer_.substr(pos_);
    buffer_.clear();
    pos_ = 0;
    return rest;
}

void TTextFile::WriteLine(std::string_view Line)
{
    if (mode_ != Mode::Writing) throw EInOutError("File not open for output", 105);
    buffer_.append(Line);
    buffer_.append("\r\n");
}

void TTextFile::Close()
{
    const Mode was = mode_;
    mode_ = Mode::Closed;
    std::string contents;
    contents.swap(buffer_);
    pos_ = 0;
    if (was != Mode::Writing) return;
    platform::FileError err;
    if (!platform::files().WriteAll(path_, contents, err)) throw EInOutError(err.Message, err.Code);
}
