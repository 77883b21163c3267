#include "timer_core/power/suppression_list.h"

#include "platform/private_profile.h"
#include "platform/process_snapshot.h"

namespace timer_core {
namespace {

constexpr const wchar_t* kSection = L"NO_SUSPEND";
constexpr platform::DWORD kTextBuffer = 512;

}  // namespace

void SuppressionList::LoadList() {
    names_.clear();
    for (auto& [n, name] :
         platform::GetPrivateProfileCountedValues(kSection, kTextBuffer, iniPath_.c_str())) {
        if (!name.empty()) names_.push_back(std::move(name));
    }
}

void SuppressionList::SaveList() const {
    platform::WritePrivateProfileStringW(kSection, L"Count", std::to_wstring(names_.size()).c_str(),
                                         iniPath_.c_str());
    for (std::size_t n = 0; n < names_.size(); ++n) {
        platform::WritePrivateProfileStringW(kSection, std::to_wstring(n).c_str(),
                                             names_[n].c_str(), iniPath_.c_str());
    }
}

int SuppressionList::IsBlockingProcessRunning() {
    LoadList();
    return platform::IsProcessRunning(names_) ? 1 : 0;
}

}  // namespace timer_core
