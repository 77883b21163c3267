// The files beside a recording: the recording itself, whose name the host asks for when it
// starts recording, its error log (.err) and its programme text (.program.txt). All three live
// in the viewer's recording folder and take their name from the timer's record request, which
// comes from shared memory and is not trusted:
// - the recording path uses the sanitised name (the file-name sanitiser, then control characters
//   become "_"); a name that is then "." or ".." is refused;
// - the error log and the programme text use the name unchanged, as long as it is a name the
//   file system of the timer's Windows home would accept (no control characters, none of
//   \ / : * ? " < > |); otherwise they are not written, as the timer would not find them there.
// So no path built here leaves the recording folder. A name longer than the file system takes is
// shortened (platform::FitFileName) so that "<name>.program.txt" fits as well; the host records to
// the path it is given, so recording and side files keep one name, side by side.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace capture_plugin {

// True for a non-empty name without control characters and without \ / : * ? " < > |.
bool IsAcceptedFileName(std::wstring_view name);

// The recording path "<folder>/<name>" for a name the file-name sanitiser already went over,
// shortened to leave room for the side files' suffixes; nullopt for an empty name, one that is
// only "." or "..", or one still holding a "/".
std::optional<std::wstring> RecordingPath(std::wstring_view folder, std::wstring sanitisedName);

// "<folder>/<name>.err" and "<folder>/<name>.program.txt" for an accepted name (shortened as the
// recording's), else nullopt.
std::optional<std::wstring> ErrorLogPath(std::wstring_view folder, std::wstring_view name);
std::optional<std::wstring> ProgramTextPath(std::wstring_view folder, std::wstring_view name);

// Copies the path with its terminating zero into the host's buffer of `capacity` characters;
// false, and the buffer untouched, when it does not fit.
bool CopyToHostBuffer(std::wstring_view path, wchar_t* buffer, std::size_t capacity);

// Replaces the file with the text in Shift-JIS (no byte-order mark); false when it cannot be
// created.
bool WriteProgramTextFile(std::wstring_view path, std::wstring_view text);

}  // namespace capture_plugin
