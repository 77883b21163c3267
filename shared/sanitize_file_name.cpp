#include "shared/sanitize_file_name.h"

#include <utility>

namespace shared {
namespace {

constexpr std::pair<wchar_t, wchar_t> kReplacements[] = {
    {L'\\', L'\uFFE5'}, {L'/', L'\uFF0F'}, {L':', L'\uFF1A'}, {L'*', L'\uFF0A'}, {L'?', L'\uFF1F'},
    {L'"', L'\u201D'},  {L'<', L'\uFF1C'}, {L'>', L'\uFF1E'}, {L'|', L'\uFF5C'},
};

}  // namespace

void SanitizeFileName(std::wstring& name) {
    for (const auto& [from, to] : kReplacements) {
        for (wchar_t& c : name) {
            if (c == from) c = to;
        }
    }
}

}  // namespace shared
