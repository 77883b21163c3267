// ChSet2.txt: the services of every collected channel. One line per (transport_stream_id,
// service_id): "name<TAB>channel<TAB>service_id<TAB>transport_stream_id" in Shift-JIS with CR
// LF, ordered by the key (transport_stream_id << 32) + service_id as a signed 64-bit number;
// rewritten whole on every save.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace shared {

struct ChSet2Entry {
    int channel = 0;
    int transportStreamId = 0;
    int serviceId = 0;
    std::wstring serviceName;
};

class ChSet2File {
  public:
    static std::int64_t Key(int transportStreamId, int serviceId) {
        return static_cast<std::int64_t>(transportStreamId) * (std::int64_t{1} << 32) + serviceId;
    }

    // As ChSetFile::Load; a line needs three tabs; the first line of a key wins.
    int Load(std::wstring_view path);

    // name (wide, from Shift-JIS) before the first tab, then channel value, service_id and
    // transport_stream_id as the integers at the start of the following fields. 0 for a line
    // with fewer than three tabs.
    static int ParseLine(std::string_view line, ChSet2Entry* entry);

    // 1 when the entry was inserted under its key, 0 when it overwrote an existing one. Line
    // breaks and tabs in the name become blanks so that it stays one field of one line.
    int Set(const ChSet2Entry& entry);

    int Save(std::wstring_view path) const;

    // The same on bytes: Parse empties the map and reads the lines; Bytes is what Save writes.
    void Parse(std::string_view bytes);
    std::string Bytes() const;

    const std::map<std::int64_t, ChSet2Entry>& entries() const { return entries_; }

  private:
    std::map<std::int64_t, ChSet2Entry> entries_;
};

}  // namespace shared
