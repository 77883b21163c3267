// The recording's file name the viewer asks for when it starts a recording, and the programme
// text file written beside the recording once the requested programme is on air. Both live in the
// viewer's recording folder; without one (SavePath missing or empty) neither is given, so that no
// file lands at the root of the file system.
#include "capture_plugin/quorvantel_dlg.h"
#include "capture_plugin/recording_files.h"
#include "shared/friio_save_path.h"
#include "shared/sanitize_file_name.h"

namespace capture_plugin {
namespace {

std::wstring RecordingFolder() {
    std::wstring folder;
    shared::ReadFriioSavePath(&folder);
    return folder;
}

}  // namespace

void CQuorvantelDlg::GetRecFileName(wchar_t* path, platform::DWORD bufferChars) {
    const auto request = ReadRecordRequest();
    const std::wstring name = request ? shared::RecordFileName(*request) : std::wstring();
    const std::wstring folder = name.empty() ? std::wstring() : RecordingFolder();
    if (!folder.empty()) {
        std::wstring sanitised = name;
        shared::SanitizeFileName(sanitised);
        if (const auto full = RecordingPath(folder, std::move(sanitised)))
            CopyToHostBuffer(*full, path, bufferChars);
    }
    scrambleCount_ = 0;
    errorLog_.ResetScrambleCount();
    SetTimer(kServiceFollowTimer, kServiceFollowMs);
}

void CQuorvantelDlg::WriteProgramTxt(const std::wstring& displayText) {
    const auto request = ReadRecordRequest();
    if (!request) return;
    const std::wstring name = shared::RecordFileName(*request);
    const std::wstring folder = name.empty() ? std::wstring() : RecordingFolder();
    if (folder.empty()) return;
    if (const auto file = ProgramTextPath(folder, name)) WriteProgramTextFile(*file, displayText);
}

}  // namespace capture_plugin
