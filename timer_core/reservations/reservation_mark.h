// What finds a reservation again after the window let go of the store for a while (a modal
// dialog): IDs do not do, since a full load of Program.txt renumbers them in start order, and the
// load that the automatic reservations end with may run while the dialog is open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "timer_core/reservations/reserve_list.h"

namespace timer_core {

class ReservationMark {
  public:
    // Marks the stored reservation with that ID; a mark of an unknown ID finds nothing.
    ReservationMark(const ReserveList& store, std::int32_t id);

    // The marked reservation in the store as it is now: the record itself while the store holds
    // it (a load keeps the records that record-thread slots hold, whose starts may move), else
    // the reservation of the same programme and start (the n-th of such alike ones, as it was),
    // which a load of the file made anew. Null when it is gone.
    ReserveEntry* Find(const ReserveList& store) const;

  private:
    // Whether `entry` is of the marked programme and start.
    bool Alike(const ReserveEntry& entry) const;

    std::shared_ptr<ReserveEntry> record_;
    std::uint32_t programKey_ = 0;
    std::wstring startKey_;
    std::size_t alikeBefore_ = 0;
};

}  // namespace timer_core
