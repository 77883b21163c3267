// Program.txt as the timer reads it: any bytes parse as one line and load as a whole file without
// a fault; a merge of the file just loaded adds nothing; what is saved loads back to as many
// reservations, and after the first save a load and a save give the same bytes again.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input_file.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/whole_file.h"
#include "timer_core/reservations/reserve_list.h"

namespace {

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    if (!platform::ReadWholeFile(path, &bytes)) __builtin_trap();
    return bytes;
}

// The load reads the present time (past reservations get a note): a clock that stands still, so
// that two loads of one input agree; and a Documents folder of the fuzzer's own.
void PrivateWorld() {
    const std::wstring input = WriteFuzzInput("home-marker", nullptr, 0);
    const std::string home = platform::ToNativePath(platform::FolderOf(input)) + "home";
    std::filesystem::create_directories(home);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    platform::SYSTEMTIME start;
    start.wYear = 2024;
    start.wMonth = 5;
    start.wDay = 1;
    start.wHour = 12;
    const std::string clock = platform::FormatSimClockSetting(start, 1e-12);
    ::setenv("ORVANDEL_SIM_CLOCK", clock.c_str(), 1);
}

// Saves the store to `path` (removed first, so that nothing of an earlier input is kept) and
// returns the bytes written.
std::string SaveFresh(timer_core::ReserveList& store, const std::wstring& path) {
    std::filesystem::remove(platform::ToNativePath(path));
    if (store.SaveProgramFile(path) != 1) __builtin_trap();
    return ReadBytes(path);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    PrivateWorld();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    timer_core::ReserveEntry entry;
    timer_core::ReserveList::ParseLine(
        std::string_view(reinterpret_cast<const char*>(data), size), &entry);

    const std::wstring input = WriteFuzzInput("Program.txt", data, size);
    timer_core::ReserveList store;
    if (store.LoadProgramFile(input) != 1) __builtin_trap();
    const std::size_t count = store.Count();
    if (store.MergeNewFromProgramFile(input) != 1 || store.Count() != count) __builtin_trap();

    // The first save orders the lines by start and writes line breaks in texts as blanks; from
    // then on a load and a save change nothing.
    std::wstring saved = input + L".1";
    SaveFresh(store, saved);
    std::string previous;
    for (const wchar_t* generation : {L".2", L".3"}) {
        timer_core::ReserveList again;
        if (again.LoadProgramFile(saved) != 1 || again.Count() != count) __builtin_trap();
        saved = input + generation;
        const std::string bytes = SaveFresh(again, saved);
        if (!previous.empty() && bytes != previous) __builtin_trap();
        previous = bytes;
    }
    return 0;
}
