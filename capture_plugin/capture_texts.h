// The texts the plug-in window shows about EPG collection and the channel-setting fetch.
#pragma once

#include <string_view>

namespace capture_plugin {

inline constexpr std::wstring_view kChannelFileErrorText =
    L"channels.ini または bscs.ini "
    L"が正常に読み込めていません\r\nFriioViewの設定などを確認してください";
inline constexpr std::wstring_view kCollectingText =
    L"EPGデータの取得中です。\r\nチャンネルを切り替えないでください。";
// Its first line: while the status edit holds it, the clock is not corrected.
inline constexpr std::wstring_view kCollectionRunningText =
    kCollectingText.substr(0, kCollectingText.find(L"\r\n"));
inline constexpr std::wstring_view kCollectionDoneText = L"EPG情報の取得が終了しました";
inline constexpr std::wstring_view kFileErrorText = L"ファイルの保存に失敗しました";
inline constexpr std::wstring_view kCancelledByRecordingText =
    L"録画中のため、EPGデータ取得をキャンセルしました";
inline constexpr std::wstring_view kCancelledText = L"キャンセルされました。";
inline constexpr std::wstring_view kNoSavePathText = L"EPGデータ保存フォルダを指定してください";
inline constexpr std::wstring_view kPluginErrorText = L"Plug-In エラー";
inline constexpr std::wstring_view kNoChannelCheckedText =
    L"チャンネルが１つもチェックされていません";
inline constexpr std::wstring_view kFetchingText =
    L"チャンネル設定の取得中です。\r\nチャンネルを切り替えないでください。";
inline constexpr std::wstring_view kFetchDoneText = L"チャンネル設定の取得が終了しました。";

}  // namespace capture_plugin
