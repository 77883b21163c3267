#include "broadcast_sim/broadcast_description_file.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "platform/utf8.h"
#include "platform/whole_file.h"

namespace broadcast_sim {
namespace {

struct LineError : std::runtime_error {
    explicit LineError(const std::string& what) : std::runtime_error(what) {}
};

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    while (true) {
        const std::size_t tab = line.find('\t', from);
        fields.push_back(line.substr(from, tab == std::string_view::npos ? tab : tab - from));
        if (tab == std::string_view::npos) return fields;
        from = tab + 1;
    }
}

std::uint32_t Number(std::string_view text, std::uint32_t max) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max)
        throw LineError("bad number \"" + std::string(text) + "\"");
    return static_cast<std::uint32_t>(value);
}

platform::SYSTEMTIME Time(std::string_view text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char sep = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &y, &mo, &d, &sep, &h, &mi, &s) ==
            7 &&
        (sep == ' ' || sep == 'T')) {
        const std::uint64_t value = ToTimeValue(JstTime(y, mo, d, h, mi, s));
        if (value != 0) return ToCalendar(value);
    }
    throw LineError("bad time \"" + copy + "\"");
}

std::wstring Text(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return platform::Utf8ToWide(out);
}

class Parser {
  public:
    void Line(const std::vector<std::string_view>& f);
    BroadcastDescription Take() {
        if (replacing_) throw LineError("replace without its event");
        return std::move(description_);
    }

  private:
    static void Need(const std::vector<std::string_view>& f, std::size_t least, std::size_t most) {
        if (f.size() < least || f.size() > most) throw LineError("wrong number of fields");
    }
    static std::string_view Optional(const std::vector<std::string_view>& f, std::size_t i) {
        return i < f.size() ? f[i] : std::string_view();
    }
    EventDescription& CurrentEvent() {
        if (event_ == nullptr) throw LineError("no event before this line");
        return *event_;
    }
    void Channel(const std::vector<std::string_view>& f);
    void Service(const std::vector<std::string_view>& f);
    void Event(const std::vector<std::string_view>& f);
    void Change(const std::vector<std::string_view>& f);
    void Detail(std::string_view kind, const std::vector<std::string_view>& f);

    BroadcastDescription description_;
    ServiceSchedule* service_ = nullptr;
    EventDescription* event_ = nullptr;
    bool replacing_ = false;  // the next event is the last change's replacement
};

void Parser::Line(const std::vector<std::string_view>& f) {
    const std::string_view kind = f[0];
    if (kind == "channel") {
        Channel(f);
    } else if (kind == "service") {
        Service(f);
    } else if (kind == "event") {
        Event(f);
    } else if (kind == "change") {
        Change(f);
    } else if (kind == "item" || kind == "genre" || kind == "video" || kind == "audio") {
        Detail(kind, f);
    } else {
        throw LineError("unknown record \"" + std::string(kind) + "\"");
    }
}

void Parser::Channel(const std::vector<std::string_view>& f) {
    Need(f, 5, 5);
    ChannelBroadcast& c = description_.channels.emplace_back();
    c.channel = Number(f[1], 0xFFFFFFFF);
    c.transport_stream_id = static_cast<std::uint16_t>(Number(f[2], 0xFFFF));
    c.original_network_id = static_cast<std::uint16_t>(Number(f[3], 0xFFFF));
    c.ts_name = Text(f[4]);
    for (std::size_t i = 0; i + 1 < description_.channels.size(); ++i) {
        if (description_.channels[i].channel == c.channel) throw LineError("channel given twice");
    }
    service_ = nullptr;
    event_ = nullptr;
}

void Parser::Service(const std::vector<std::string_view>& f) {
    Need(f, 4, 4);
    if (description_.channels.empty()) throw LineError("service before any channel");
    ChannelBroadcast& c = description_.channels.back();
    const auto id = static_cast<std::uint16_t>(Number(f[1], 0xFFFF));
    if (c.FindService(id) != nullptr) throw LineError("service given twice");
    service_ = &c.services.emplace_back();
    service_->service_id = id;
    service_->service_type = static_cast<std::uint8_t>(Number(f[2], 0xFF));
    service_->name = Text(f[3]);
    event_ = nullptr;
}

void Parser::Event(const std::vector<std::string_view>& f) {
    Need(f, 5, 6);
    EventDescription e;
    e.event_id = static_cast<std::uint16_t>(Number(f[1], 0xFFFF));
    e.start = Time(f[2]);
    e.duration_seconds = Number(f[3], 99 * 3600 + 59 * 60 + 59);
    e.name = Text(f[4]);
    e.text = Text(Optional(f, 5));
    if (replacing_) {
        replacing_ = false;
        event_ = &(description_.changes.back().replacement = std::move(e));
        return;
    }
    if (service_ == nullptr) throw LineError("event before any service");
    for (const EventDescription& other : service_->events) {
        if (other.event_id == e.event_id) throw LineError("event_id given twice");
        if (ToTimeValue(other.start) > ToTimeValue(e.start))
            throw LineError("events out of start order");
    }
    event_ = &service_->events.emplace_back(std::move(e));
}

void Parser::Change(const std::vector<std::string_view>& f) {
    Need(f, 6, 7);
    if (replacing_) throw LineError("replace without its event");
    ScheduleChange c;
    c.at = Time(f[1]);
    c.channel = Number(f[2], 0xFFFFFFFF);
    c.service_id = static_cast<std::uint16_t>(Number(f[3], 0xFFFF));
    c.event_id = static_cast<std::uint16_t>(Number(f[4], 0xFFFF));
    const std::string_view kind = f[5];
    if (kind == "move" && f.size() == 7) {
        c.kind = ChangeKind::kMove;
        c.new_start = Time(f[6]);
    } else if (kind == "resize" && f.size() == 7) {
        c.kind = ChangeKind::kResize;
        c.new_duration_seconds = Number(f[6], 99 * 3600 + 59 * 60 + 59);
    } else if (kind == "replace" && f.size() == 6) {
        c.kind = ChangeKind::kReplace;
        replacing_ = true;
    } else {
        throw LineError("bad change \"" + std::string(kind) + "\"");
    }
    description_.changes.push_back(std::move(c));
    event_ = nullptr;
}

void Parser::Detail(std::string_view kind, const std::vector<std::string_view>& f) {
    EventDescription& e = CurrentEvent();
    if (kind == "item") {
        Need(f, 3, 3);
        e.extended_items.push_back({Text(f[1]), Text(f[2])});
    } else if (kind == "genre") {
        Need(f, 3, 5);
        EventGenre g;
        g.level1 = static_cast<std::uint8_t>(Number(f[1], 0xF));
        g.level2 = static_cast<std::uint8_t>(Number(f[2], 0xF));
        if (f.size() == 5) {
            g.user1 = static_cast<std::uint8_t>(Number(f[3], 0xF));
            g.user2 = static_cast<std::uint8_t>(Number(f[4], 0xF));
        }
        e.genres.push_back(g);
    } else if (kind == "video") {
        Need(f, 3, 4);
        EventComponent c;
        c.stream_content = static_cast<std::uint8_t>(Number(f[1], 0xF));
        c.component_type = static_cast<std::uint8_t>(Number(f[2], 0xFF));
        c.text = Text(Optional(f, 3));
        e.component = c;
    } else {
        Need(f, 3, 4);
        EventAudio a;
        a.component_type = static_cast<std::uint8_t>(Number(f[1], 0xFF));
        a.sampling_rate = static_cast<std::uint8_t>(Number(f[2], 0x7));
        a.text = Text(Optional(f, 3));
        e.audio = a;
    }
}

}  // namespace

std::optional<BroadcastDescription> ParseBroadcastDescription(std::string_view utf8,
                                                              DescriptionError* error) {
    Parser parser;
    int number = 0;
    try {
        std::size_t from = 0;
        while (from < utf8.size()) {
            std::size_t end = utf8.find('\n', from);
            if (end == std::string_view::npos) end = utf8.size();
            std::string_view line = utf8.substr(from, end - from);
            from = end + 1;
            ++number;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (line.empty() || line[0] == '#') continue;
            parser.Line(SplitFields(line));
        }
        ++number;
        return parser.Take();
    } catch (const LineError& e) {
        if (error != nullptr) *error = {number, platform::Utf8ToWide(e.what())};
        return std::nullopt;
    }
}

std::optional<BroadcastDescription> LoadBroadcastDescription(const std::wstring& path,
                                                             DescriptionError* error) {
    std::string bytes;
    if (!platform::ReadWholeFile(path, &bytes)) {
        if (error != nullptr) *error = {0, L"cannot read " + path};
        return std::nullopt;
    }
    return ParseBroadcastDescription(bytes, error);
}

}  // namespace broadcast_sim
