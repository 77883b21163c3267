// The texts the timer's main window and its start-up show the user, byte for byte as they appear.
#pragma once

#include <string_view>

namespace timer_ui::texts {

// iEPG files, on the command line and dropped on the window.
inline constexpr std::wstring_view kIepgReadFailed =
    L"iEPGファイルの読み込みに失敗しました。デジタル用Ver2のみ対応しています";
inline constexpr std::wstring_view kChannelSettingsReadFailed =
    L"チャンネル設定の読み込みに失敗しました";
inline constexpr std::wstring_view kPhysicalChannelNotFound =
    L"物理チャンネルが見つかりませんでした";
inline constexpr std::wstring_view kChannelListReadFailed =
    L"チャンネル設定リストの読み込みに失敗しました";

// Program.txt.
inline constexpr std::wstring_view kReserveListNotFound = L"予約リストが見つかりませんでした";
inline constexpr std::wstring_view kReserveListReadFailed = L"予約リストの読み込みに失敗しました";
// A save that wrote nothing: above all while the file could not be read, so that it is not
// replaced by what was not read from it.
inline constexpr std::wstring_view kReserveListSaveFailed = L"予約リストの保存に失敗しました";

// The first start, without a settings file.
inline constexpr std::wstring_view kFirstStartNotice =
    L"FriioView.exeへのパス設定を行ってください\r\n（Vistaで使用する場合Program "
    L"Filesの中にあると設定ファイルが保存できないことがあります）";

// A start without a usable runtime folder (named objects, messages and windows live there);
// followed by one line "<folder>: <reason>" for each folder refused.
inline constexpr std::wstring_view kRuntimeFolderRefused =
    L"Orvandelを起動できません。次のフォルダを使用できないためです（他のユーザーが作成したフォル"
    L"ダやシンボリックリンクは使用しません）。フォルダを削除するか、XDG_RUNTIME_DIRを設定してくだ"
    L"さい。\r\n\r\n";

// The notification icon's tip.
inline constexpr std::wstring_view kNextReservePrefix = L"次の予約 ";
inline constexpr std::wstring_view kNoNextReserve = L"次の予約 なし";

// Commands of the main window.
inline constexpr std::wstring_view kSelectToChange =
    L"変更するものを選択してください（日時部分で選択してください）";
inline constexpr std::wstring_view kInternalError = L"内部エラー";
inline constexpr std::wstring_view kCheckToDelete = L"削除するものにチェックを入れてください";
inline constexpr std::wstring_view kChannelSearchFailed = L"チャンネル設定の検索に失敗しました";
inline constexpr std::wstring_view kNoEpgForSearch =
    L"EPGデータの読み込みに失敗しているため使用できません";
inline constexpr std::wstring_view kStandbyRefused =
    L"7分以内に予約録画かEPGデータの取得を行う、もしくは指定プロセスが起動しているためスタンバイ"
    L"にできません";
inline constexpr std::wstring_view kHibernateRefused =
    L"7分以内に予約録画かEPGデータの取得を行う、もしくは指定プロセスが起動しているため休止にでき"
    L"ません";

// The EPG data of the EpgData folder.
inline constexpr std::wstring_view kEpgLoading = L"EPGデータを読み込んでいます";
inline constexpr std::wstring_view kEpgLoadFailed = L"EPGデータの読み込みができませんでした";

}  // namespace timer_ui::texts
