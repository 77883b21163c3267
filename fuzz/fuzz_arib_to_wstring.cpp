// Any bytes as ARIB 8-unit text: decoding must stay inside the input and either fail cleanly or
// give a text; the two-pass Shift-JIS form must agree with itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "broadcast/arib_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    const int result = broadcast::AribToWString(size, data, &text);
    if (result == 0 && !text.empty()) __builtin_trap();

    broadcast::AribDecoder decoder;
    std::size_t needed = 0;
    if (broadcast::AribToShiftJis(&needed, &decoder, data, size, nullptr)) {
        std::vector<char> buffer(needed);
        if (!broadcast::AribToShiftJis(&needed, &decoder, data, size, buffer.data())) {
            __builtin_trap();
        }
        if (buffer.back() != 0) __builtin_trap();
    }
    return 0;
}
