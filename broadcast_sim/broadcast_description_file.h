// Broadcast descriptions in a text file, for tests and demos. UTF-8, one record per line, fields
// separated by TAB; empty lines and lines starting with "#" are skipped. Numbers are decimal or
// "0x" hexadecimal; times are JST wall times "YYYY-MM-DD HH:MM:SS" (or with "T"); in texts "\n"
// stands for a line break, "\t" for a TAB and "\\" for a backslash.
//
//   channel  <channel value>  <transport_stream_id>  <original_network_id>  <TS name>
//   service  <service_id>  <service_type>  <name>                         (of the last channel)
//   event    <event_id>  <start>  <duration seconds>  <title>  [<description>]
//                                                                        (of the last service)
//   item     <item description>  <item text>     extended item of the last event; an empty
//                                                description continues the item before
//   genre    <level1>  <level2>  [<user1>  <user2>]                      (of the last event)
//   video    <stream_content>  <component_type>  [<text>]                (of the last event)
//   audio    <component_type>  <sampling_rate>  [<text>]                 (of the last event)
//   change   <at>  <channel value>  <service_id>  <event_id>  move     <new start>
//   change   <at>  <channel value>  <service_id>  <event_id>  resize   <new duration seconds>
//   change   <at>  <channel value>  <service_id>  <event_id>  replace
//            the next "event" line and the lines that belong to it give the replacement
//
// An event without genre, video or audio lines carries none of those descriptors.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "broadcast_sim/broadcast_description.h"

namespace broadcast_sim {

struct DescriptionError {
    int line = 0;  // 1-based; 0 when the file could not be read
    std::wstring message;
};

std::optional<BroadcastDescription> ParseBroadcastDescription(std::string_view utf8,
                                                              DescriptionError* error);
std::optional<BroadcastDescription> LoadBroadcastDescription(const std::wstring& path,
                                                             DescriptionError* error);

}  // namespace broadcast_sim
