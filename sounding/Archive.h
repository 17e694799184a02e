#pragma once
// Compressed station files: a gzip stream or a zip archive with one member,
// inflated piece by piece into a consumer, so a large archive never sits in
// memory uncompressed.
//
// The inflate limit: an archive may inflate to at most 2 GiB, and to at most
// 100 times its compressed size plus 16 MiB. Real upper-air text packs about
// 3 to 10 to one; anything past the limit is refused as a likely zip bomb,
// counted while inflating, before the excess reaches the consumer.
//
// A .gz stream of one member, or a deflated zip member, whose size is
// announced within the limits is inflated whole by libdeflate (about three
// times zlib's speed) and handed on in pieces, each piece's memory returned
// once it has been read; any other stream goes through zlib piece by piece.

#include "platform/MappedFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

struct TSourceLimits {
    std::uint64_t MaxInflated = std::uint64_t(2) << 30;      // bytes, whatever the ratio
    std::uint64_t MaxRatio = 100;                            // inflated / compressed
    std::uint64_t RatioAllowance = std::uint64_t(16) << 20;  // bytes on top of the ratio

    // The most that Compressed bytes may inflate to.
    std::uint64_t InflateBudget(std::uint64_t Compressed) const;
};

// The size of the pieces text is read and handed on in.
inline constexpr std::size_t kPieceBytes = std::size_t(1) << 20;

// Receives the inflated text piece by piece, in order.
using TChunkSink = std::function<void(std::string_view Piece)>;

// A whole text held at once (an archive inflated whole, a file mapped):
// whoever reads it may hand back the pages of what it has read.
class TWholeText {
public:
    virtual ~TWholeText() = default;
    virtual std::string_view Text() const = 0;
    // The memory of Text()[From, To) is no longer needed.
    virtual void Release(std::size_t From, std::size_t To) = 0;
};
// A text in a mapping of its own (platform/MappedFile.h): fresh memory to
// inflate into, or a file's bytes (read only), whose pages go back to the
// system once released.
class TMappedText : public TWholeText {
public:
    // Size bytes of fresh memory, as the file system (platform::files())
    // gives them.
    explicit TMappedText(std::size_t Size);
    // Size bytes of the file open as Fd.
    TMappedText(int Fd, std::size_t Size);
    // A mapping already made; null: not Ok().
    explicit TMappedText(std::unique_ptr<platform::Mapping> Memory);
    ~TMappedText() override;
    TMappedText(const TMappedText&) = delete;
    TMappedText& operator=(const TMappedText&) = delete;

    bool Ok() const { return memory_ != nullptr; }
    char* Data() { return memory_ ? memory_->Data() : nullptr; }
    std::size_t Size() const { return memory_ ? memory_->Size() : 0; }
    std::string_view Text() const override { return memory_ ? memory_->Bytes() : std::string_view(); }
    void Release(std::size_t From, std::size_t To) override;
    platform::Mapping& Memory() { return *memory_; }

private:
    std::unique_ptr<platform::Mapping> memory_;
};

// Receives a text inflated whole instead of its pieces.
using TWholeSink = std::function<void(TWholeText& Text)>;

// A gzip stream starts 1f 8b, a zip archive "PK".
bool LooksGzip(std::string_view Bytes);
bool LooksZip(std::string_view Bytes);

// Inflate a gzip stream (members one after another are one text) or the one
// member of a zip archive. The result is "" on success, else the reason in a
// sentence; what was inflated before a fault has reached Sink already. Bytes
// after the last gzip member that start no other member are left alone and
// told in Warning (when given). A zip member's ratio limit counts its real
// compressed bytes: what the directory claims, but never more than the
// archive's own size.
// A text inflated whole goes to Whole, when given, instead of Sink.
std::string InflateGzip(std::string_view Compressed, const TSourceLimits& Limits, const TChunkSink& Sink,
                        std::string* Warning = nullptr, const TWholeSink* Whole = nullptr);
std::string InflateZip(std::string_view Archive, const TSourceLimits& Limits, const TChunkSink& Sink,
                       const TWholeSink* Whole = nullptr);
