#include "broadcast_sim/event_descriptor_builder.h"

#include <algorithm>
#include <stdexcept>

#include "broadcast_sim/arib_encoder.h"
#include "broadcast_sim/byte_writer.h"

namespace broadcast_sim {
namespace {

constexpr std::uint8_t kTagShortEvent = 0x4D, kTagExtendedEvent = 0x4E, kTagComponent = 0x50;
constexpr std::uint8_t kTagContent = 0x54, kTagAudioComponent = 0xC4, kTagEventGroup = 0xD6;
constexpr std::string_view kJapanese = "jpn";
constexpr std::size_t kMaxDescriptorBody = 255;
// Extended event body: numbers, language, length_of_items, items, text_length (0).
constexpr std::size_t kMaxItemBytes = kMaxDescriptorBody - 1 - 3 - 1 - 1;
constexpr std::size_t kMaxExtendedDescriptors = 16;

void ShortEvent(const EventDescription& e, ByteWriter& out) {
    ByteWriter body;
    body.Text(kJapanese)
        .LengthPrefixed(EncodeAribText(e.name))
        .LengthPrefixed(EncodeAribText(e.text));
    out.Descriptor(kTagShortEvent, body.bytes());
}

void Component(const EventComponent& c, ByteWriter& out) {
    ByteWriter body;
    body.U8(0xF0 | c.stream_content).U8(c.component_type).U8(c.component_tag);
    body.Text(kJapanese).Bytes(EncodeAribText(c.text));
    out.Descriptor(kTagComponent, body.bytes());
}

void Audio(const EventAudio& a, ByteWriter& out) {
    ByteWriter body;
    body.U8(0xF2).U8(a.component_type).U8(a.component_tag).U8(a.stream_type).U8(0xFF);
    body.U8((a.multi_lingual ? 0x80 : 0) | (a.main_component ? 0x40 : 0) |
            ((a.quality_indicator & 0x03) << 4) | ((a.sampling_rate & 0x07) << 1) | 0x01);
    body.Text(kJapanese);
    if (a.multi_lingual) body.Text("eng");
    body.Bytes(EncodeAribText(a.text));
    out.Descriptor(kTagAudioComponent, body.bytes());
}

void Content(const std::vector<EventGenre>& genres, ByteWriter& out) {
    ByteWriter body;
    for (const EventGenre& g : genres) {
        body.U8(((g.level1 & 0x0F) << 4) | (g.level2 & 0x0F));
        body.U8(((g.user1 & 0x0F) << 4) | (g.user2 & 0x0F));
    }
    out.Descriptor(kTagContent, body.bytes());
}

void EventGroup(const std::vector<EventGroupMember>& members, ByteWriter& out) {
    ByteWriter body;
    body.U8(0x10 | ByteWriter::CheckedLength(members.size(), 0x0F));
    for (const EventGroupMember& m : members)
        body.U16(m.service_id).U16(m.event_id);
    out.Descriptor(kTagEventGroup, body.bytes());
}

using Bytes = std::vector<std::uint8_t>;

// Item pieces (description bytes, text bytes) that each fit one descriptor.
std::vector<std::pair<Bytes, Bytes>> ItemPieces(const std::vector<ExtendedItem>& items) {
    std::vector<std::pair<Bytes, Bytes>> pieces;
    for (const ExtendedItem& item : items) {
        Bytes description = EncodeAribText(item.description);
        const Bytes text = EncodeAribText(item.text);
        const std::size_t firstRoom =
            kMaxItemBytes - 2 - ByteWriter::CheckedLength(description.size(), kMaxItemBytes - 2);
        std::size_t pos = std::min(firstRoom, text.size());
        pieces.emplace_back(std::move(description), Bytes(text.begin(), text.begin() + pos));
        while (pos < text.size()) {
            const std::size_t n = std::min(kMaxItemBytes - 2, text.size() - pos);
            pieces.emplace_back(Bytes(), Bytes(text.begin() + pos, text.begin() + pos + n));
            pos += n;
        }
    }
    return pieces;
}

}  // namespace

std::vector<std::uint8_t> BuildBasicEventDescriptors(const EventDescription& event) {
    ByteWriter out;
    ShortEvent(event, out);
    if (event.component) Component(*event.component, out);
    if (event.audio) Audio(*event.audio, out);
    if (!event.genres.empty()) Content(event.genres, out);
    if (!event.group_members.empty()) EventGroup(event.group_members, out);
    return out.Take();
}

std::vector<std::uint8_t> BuildExtendedEventDescriptors(const EventDescription& event) {
    // Group the pieces into descriptors, then number them.
    std::vector<ByteWriter> items(1);
    for (const auto& [description, text] : ItemPieces(event.extended_items)) {
        if (items.back().size() + 2 + description.size() + text.size() > kMaxItemBytes) {
            items.emplace_back();
        }
        items.back().LengthPrefixed(description).LengthPrefixed(text);
    }
    if (items.back().size() == 0) items.pop_back();
    if (items.size() > kMaxExtendedDescriptors) throw std::length_error("extended text too long");
    ByteWriter out;
    const std::size_t last = items.empty() ? 0 : items.size() - 1;
    for (std::size_t i = 0; i < items.size(); ++i) {
        ByteWriter body;
        body.U8(static_cast<std::uint32_t>((i << 4) | last)).Text(kJapanese);
        body.LengthPrefixed(items[i].bytes()).U8(0);  // no text_char
        out.Descriptor(kTagExtendedEvent, body.bytes());
    }
    return out.Take();
}

}  // namespace broadcast_sim
