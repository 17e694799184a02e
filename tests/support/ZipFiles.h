#pragma once
// Zip archives made in the test: deflated members with their central
// directory, as archivers write them, and small IGRA station texts.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testzip {

// Deflate Data: WindowBits -15 gives a raw stream (a zip member), 31 a gzip
// file.
inline std::string Deflate(const std::string& Data, int WindowBits = -15)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, WindowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, uLong(Data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Data.data()));
    z.avail_in = static_cast<uInt>(Data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline void Put(std::string& Out, std::uint32_t Value, int Bytes)
{
    for (int i = 0; i < Bytes; ++i) Out += char((Value >> (8 * i)) & 0xff);
}

// Method 8 (deflate) unless given; Flags 1 marks a member encrypted.
inline std::string Zip(const std::vector<std::pair<std::string, std::string>>& Members, int Method = 8, int Flags = 0)
{
    std::string out, directory;
    for (const auto& [name, data] : Members) {
        const std::string packed = Method == 8 ? Deflate(data) : data;
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
        const auto offset = static_cast<std::uint32_t>(out.size());
        auto common = [&](std::string& To) {
            Put(To, 20, 2), Put(To, std::uint32_t(Flags), 2), Put(To, std::uint32_t(Method), 2), Put(To, 0, 4);
            Put(To, crc, 4), Put(To, std::uint32_t(packed.size()), 4), Put(To, std::uint32_t(data.size()), 4);
            Put(To, std::uint32_t(name.size()), 2), Put(To, 0, 2);
        };
        out += "PK\x03\x04";
        common(out);
        out += name + packed;
        directory += "PK\x01\x02";
        Put(directory, 20, 2);
        common(directory);
        Put(directory, 0, 2), Put(directory, 0, 2), Put(directory, 0, 2), Put(directory, 0, 4);
        Put(directory, offset, 4);
        directory += name;
    }
    const auto at = static_cast<std::uint32_t>(out.size());
    out += directory;
    out += std::string("PK\x05\x06", 4);
    Put(out, 0, 4);
    Put(out, std::uint32_t(Members.size()), 2), Put(out, std::uint32_t(Members.size()), 2);
    Put(out, std::uint32_t(directory.size()), 4), Put(out, at, 4), Put(out, 0, 2);
    return out;
}

// One launch of station Id, one level.
inline std::string IgraLaunch(const std::string& Id, const std::string& Date = "2016 01 01 00")
{
    return "#" + Id + " " + Date + " 2302    1 ncdc-nws ncdc-nws  389767  -774864\n" +
           "21     0 100982B   88    94B  627    67   340    10 \n";
}

// A station file of Id as the archive packs it.
inline std::string StationZip(const std::string& Id, const std::string& Text = {})
{
    return Zip({{Id + "-data.txt", Text.empty() ? IgraLaunch(Id) : Text}});
}

}  // namespace testzip
