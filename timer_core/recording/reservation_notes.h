// The notes the record thread leaves in a reservation's result text, which the reservation list
// shows.
#pragma once

#include <string>
#include <string_view>

#include "platform/system_time.h"

namespace timer_core {

inline constexpr std::wstring_view kNoteNoViewerPath = L"FriioViewのパスが設定されていません";
inline constexpr std::wstring_view kNoteFollowLimit = L"6時間以上みつからなかったので中止します";
inline constexpr std::wstring_view kNoteFollowOff =
    L"Quorvantel Plug-Inが認識できなかったので追従機能OFFにしました";
inline constexpr std::wstring_view kNoteStartChanged = L"開始時間が変わりました";
inline constexpr std::wstring_view kNoteViewerLost = L"録画中に終了された可能性があります";
inline constexpr std::wstring_view kNoteRecorded = L"録画終了";

// Appends the note and one blank, unless the text holds the note already.
void AppendNote(std::wstring& text, std::wstring_view note);

// "開始時間が変わりました(予約時 %04d/%02d/%02d %02d:%02d) ": the start as it was planned, which
// the six-hour rule of follow mode reads back (CheckFollowLimit).
std::wstring StartChangedNote(const platform::SYSTEMTIME& plannedStart);

// Appends StartChangedNote unless the text already tells of a changed start.
void AppendStartChangedNote(std::wstring& text, const platform::SYSTEMTIME& plannedStart);

}  // namespace timer_core
