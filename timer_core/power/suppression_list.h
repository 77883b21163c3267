// The programs whose running process forbids the PC to sleep: section "NO_SUSPEND" of the timer's
// ini file, "Count" and the keys "0" .. Count-1 with one executable file name each. The
// suppression dialog edits the list through this class; the scheduler asks it before it lets
// the PC sleep.
#pragma once

#include <string>
#include <vector>

namespace timer_core {

class SuppressionList {
  public:
    explicit SuppressionList(std::wstring iniPath) : iniPath_(std::move(iniPath)) {}

    // Empties the list and reads it from the ini file; empty values are skipped.
    void LoadList();

    // Writes "Count" and the names under consecutive keys "0" .. n-1, in list order.
    void SaveList() const;

    // Reloads the list, then 1 when a running process's image name equals a listed name without
    // regard to case, else 0.
    int IsBlockingProcessRunning();

    std::vector<std::wstring>& names() { return names_; }
    const std::vector<std::wstring>& names() const { return names_; }

  private:
    std::wstring iniPath_;
    std::vector<std::wstring> names_;
};

}  // namespace timer_core
