// The other program instance of the reservation-file tests. Usage:
//   timer_core_test_helper append <Program.txt> <first> <count>
// hands over `count` reservations one at a time as a second instance does (load the file into a
// store of its own, add the reservation unnumbered, save), printing "appended <n>" after each
// and "done" at the end.
//   timer_core_test_helper save-forever <Program.txt>
// saves two versions of a long list by turns until it is killed.
//   timer_core_test_helper save-conditions-forever
// does the same with the AutoSearch.txt of the Documents folder that the environment gives.
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/utf8.h"
#include "tests/timer_core/auto_search_samples.h"
#include "tests/timer_core/reservation_samples.h"
#include "timer_core/reservations/reserve_list.h"

namespace {

int Append(const std::wstring& path, int first, int count) {
    for (int n = first; n < first + count; ++n) {
        timer_core::ReserveList store;
        if (!store.LoadProgramFile(path)) return 1;
        const timer_core::ReserveEntry entry = reservation_samples::HandedOver(n);
        if (!store.Add(&entry, 1) || !store.SaveProgramFile(path)) return 1;
        std::cout << "appended " << n << std::endl;
    }
    std::cout << "done" << std::endl;
    return 0;
}

// Saves the two versions of a long list by turns until it is killed; "saved" after the first.
int SaveForever(const std::wstring& path) {
    timer_core::ReserveList store;
    for (int round = 0;; ++round) {
        reservation_samples::FillVersion(store, round % 2);
        if (!store.SaveProgramFile(path)) return 1;
        if (round == 0) std::cout << "saved" << std::endl;
    }
}

int SaveConditionsForever() {
    timer_core::AutoSearchFile file;
    for (int round = 0;; ++round) {
        auto_search_samples::FillVersion(file, round % 2);
        if (!file.Save()) return 1;
        if (round == 0) std::cout << "saved" << std::endl;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "append" && argc == 5)
        return Append(platform::Utf8ToWide(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (mode == "save-forever" && argc == 3) return SaveForever(platform::Utf8ToWide(argv[2]));
    if (mode == "save-conditions-forever" && argc == 2) return SaveConditionsForever();
    return 2;
}
