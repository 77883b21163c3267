// ChSet.txt and ChSet2.txt as the plug-in and the timer read them: any bytes load without a
// fault, and what is saved loads back with the same keys and numbers (ChSet.txt: the same
// names too).
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "fuzz/fuzz_input_file.h"
#include "shared/ch_set2_file.h"
#include "shared/ch_set_file.h"

namespace {

bool SameNumbers(const std::map<std::string, int>& a, const std::map<std::string, int>& b) {
    return a == b;
}

bool SameNumbers(const std::map<std::int64_t, shared::ChSet2Entry>& a,
                 const std::map<std::int64_t, shared::ChSet2Entry>& b) {
    if (a.size() != b.size()) return false;
    for (const auto& [key, entry] : a) {
        const auto it = b.find(key);
        if (it == b.end() || it->second.channel != entry.channel ||
            it->second.serviceId != entry.serviceId ||
            it->second.transportStreamId != entry.transportStreamId) {
            return false;
        }
    }
    return true;
}

template <class Table>
void CheckRoundTrip(const std::wstring& path) {
    Table file;
    if (file.Load(path) != 1) __builtin_trap();
    const std::wstring saved = path + L".saved";
    if (file.Save(saved) != 1) __builtin_trap();
    Table again;
    if (again.Load(saved) != 1 || !SameNumbers(file.entries(), again.entries())) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckRoundTrip<shared::ChSetFile>(WriteFuzzInput("ChSet.txt", data, size));
    CheckRoundTrip<shared::ChSet2File>(WriteFuzzInput("ChSet2.txt", data, size));
    return 0;
}
