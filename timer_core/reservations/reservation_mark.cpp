#include "timer_core/reservations/reservation_mark.h"

namespace timer_core {

ReservationMark::ReservationMark(const ReserveList& store, std::int32_t id)
    : record_(store.ShareById(id)) {
    if (!record_) return;
    programKey_ = record_->ProgramKey();
    startKey_ = StartKey(record_->start);
    for (const ReserveEntry& entry : store.Entries()) {
        if (&entry == record_.get()) break;
        if (Alike(entry)) ++alikeBefore_;
    }
}

ReserveEntry* ReservationMark::Find(const ReserveList& store) const {
    if (!record_) return nullptr;
    if (store.FindById(record_->id) == record_.get()) return record_.get();
    std::size_t alike = 0;
    for (ReserveEntry& entry : store.Entries()) {
        if (Alike(entry) && alike++ == alikeBefore_) return &entry;
    }
    return nullptr;
}

bool ReservationMark::Alike(const ReserveEntry& entry) const {
    return entry.ProgramKey() == programKey_ && StartKey(entry.start) == startKey_;
}

}  // namespace timer_core
