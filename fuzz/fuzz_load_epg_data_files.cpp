// LoadEpgDataFiles on a data file of any bytes: it loads what it can and never reads outside its
// buffers.
//
// The first byte picks the input form. Raw form (bit 0 clear): the rest is the file as it is,
// a trailing partial packet included. Section form: the rest is read as SI records (see
// fuzz_si_records.h) whose packets make the file, so that arbitrary tables reach the handlers.
// A second file loads into the same store behind the first: the first half of the same bytes
// when bit 1 is set, else an empty file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "broadcast/epg_store.h"
#include "fuzz/fuzz_input_file.h"
#include "fuzz/fuzz_si_records.h"
#include "platform/paths.h"
#include "timer_core/epg/load_epg_data_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    std::string file;
    if (mode & 0x01) {
        for (const auto& packet : SiRecordPackets(data + 1, size - 1))
            file.append(reinterpret_cast<const char*>(packet.data()), packet.size());
    } else {
        file.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    const std::wstring path = WriteFuzzInput("ch1_epg.dat", bytes, file.size());
    WriteFuzzInput("ch2_epg.dat", bytes, (mode & 0x02) ? file.size() / 2 : 0);
    broadcast::EpgStore store;
    if (timer_core::LoadEpgDataFiles(platform::FolderOf(path), store) != 1) __builtin_trap();
    return 0;
}
