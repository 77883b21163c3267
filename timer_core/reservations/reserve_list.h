// The reservation store: every ReserveEntry under three indexes, and Program.txt, the file it
// lives in between runs.
//   start index: start key -> record, equal keys in insertion order; holds the records and gives
//                the order of the list window, of the scheduler's walk and of the file;
//   ID index:    ID -> record, every record whose ID is not 0;
//   programme index: (service id << 16) | event id -> record, the already-reserved test.
// A plain single-threaded store: the TimerManager serialises every use of it. The records are
// shared: a record-thread slot keeps the reservation it holds (std::shared_ptr) until its thread
// has ended, even when the record is removed from the store meanwhile.
//
// Program.txt is also how a second program instance hands a reservation to the running one: it
// adds the reservation unnumbered (Add mode 1) and saves, which appends a line with ID 0; the
// running instance numbers such lines when it merges or loads the file. No save may lose such a
// line, whoever saves and in whichever order:
//   - a save by the running instance keeps the file's ID-0 lines that this store has not read
//     in itself (by load or merge), so that a later merge still finds them;
//   - a save by a store that holds unnumbered records only appends those to the file as it is,
//     leaving every other line to the running instance, which alone numbers them.
// A line that looks like a reservation but does not read (someone broke it by hand, or wrote
// numbers its fields cannot hold) is kept by every save at the end of the file as it stands, so
// that it can still be mended. A file that is there but could not be read at the last load is
// never saved over: the store does not hold what the file holds.
// Every save takes the file's lock and replaces the file whole and atomically; one that cannot
// write leaves the file and the store as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "timer_core/reservations/reserve_entry.h"

namespace timer_core {

class ReserveList {
  public:
    ReserveList() = default;
    ~ReserveList() = default;
    ReserveList(const ReserveList&) = delete;
    ReserveList& operator=(const ReserveList&) = delete;

    // Deletes every record.
    void Clear();

    // Replaces the store with the file's reservations, numbered 1..N in file order, their channel
    // values refreshed from <Documents>/Orvandel/ChSet.txt (by channel name, when it is listed).
    // A record that a record-thread slot holds (assigned) stays the same record when its line is
    // still in the file (same ID, programme, start and title), renumbered with the rest: the
    // main window loads the file it has just saved after the automatic reservations, and the
    // recording that runs meanwhile must note its result in the store, not in a record that left
    // it. 1 loaded (an empty file too); 0 for an empty path (the store is left alone) or a file
    // that cannot be read (the store is then empty). Any size up to platform::kMaxListFileBytes
    // reads, however long its lines. A file that is there but cannot be read (not a regular
    // file, beyond that size, no permission) is not saved over until a later load reads it.
    int LoadProgramFile(std::wstring_view path);

    // One line of Program.txt (Shift-JIS) into `entry`: 1, or 0 when the line is rejected.
    static int ParseLine(std::string_view line, ReserveEntry* entry);

    // Adds the file's ID-0 lines, numbered on from the largest ID in use; other lines, and ID-0
    // lines this store took in before and has not saved over yet, are left alone. 1 done (an
    // empty file too), 0 for an empty path or a file that cannot be read.
    int MergeNewFromProgramFile(std::wstring_view path);

    // Writes the store to the file in start order (see above for the lines of other writers).
    // 1 written, 0 for an empty path, a file that cannot be read or written, or while the last
    // load could not read the file that was there (nothing is written then).
    int SaveProgramFile(std::wstring_view path);

    // Null entry: 0. An entry with an ID updates the stored record of that ID (0 when unknown);
    // the start index is not touched (a caller that moved the start calls RekeyById). An entry
    // with ID 0 is added as a copy with its run-time fields cleared: mode 1 leaves it unnumbered
    // (the second instance's hand-over), any other mode gives it the next free ID. The caller
    // keeps its entry.
    int Add(const ReserveEntry* entry, int mode);

    // Removes the record of that ID (it is freed once no slot holds it); 0 when unknown.
    int Remove(std::int32_t id);

    // Files the first record (in start order) that has this ID under the start key of its
    // current start, behind the records already there. Always 1.
    int RekeyById(std::int32_t id);

    std::size_t Count() const { return byStart_.size(); }

    // The record at that position in start order (a walk), or null beyond the end.
    ReserveEntry* At(std::size_t index) const;

    // The record with that ID, or null.
    ReserveEntry* FindById(std::int32_t id) const;
    // The same, shared, for a holder that must keep it beyond its removal.
    std::shared_ptr<ReserveEntry> ShareById(std::int32_t id) const;

    // The first record in start order filed under a key greater than `key`, or null.
    ReserveEntry* FirstAfter(std::wstring_view key) const;
    // The same among the records that `accept` takes.
    ReserveEntry* FirstAfter(std::wstring_view key,
                             const std::function<bool(const ReserveEntry&)>& accept) const;

    // The records filed under keys greater than `afterKey` and less than `beforeKey`, in start
    // order (the scheduler's planning window).
    std::vector<std::shared_ptr<ReserveEntry>> FiledBetween(std::wstring_view afterKey,
                                                            std::wstring_view beforeKey) const;

    // Whether a reservation of this programme ((service id << 16) | event id) is stored.
    bool ContainsProgramKey(std::uint32_t programKey) const {
        return byProgram_.contains(programKey);
    }

    // The records in start order (for (ReserveEntry& entry : store.Entries())). Adding,
    // removing or re-keying a record invalidates the iterators.
    class EntryRange;
    EntryRange Entries() const;

  private:
    using StartIndex = std::multimap<std::wstring, std::shared_ptr<ReserveEntry>, std::less<>>;

    void Insert(std::shared_ptr<ReserveEntry> entry);
    // The records slots hold, and the one of them a parsed line of the file stands for.
    std::vector<std::shared_ptr<ReserveEntry>> HeldRecords() const;
    static std::shared_ptr<ReserveEntry> TakeHeld(std::vector<std::shared_ptr<ReserveEntry>>& held,
                                                  const ReserveEntry& line);
    std::int32_t NextId() const;
    void EraseFromProgramIndex(const ReserveEntry* entry, std::uint32_t programKey);
    int RewriteProgramFile(std::wstring_view path);
    int AppendUnnumbered(std::wstring_view path);

    StartIndex byStart_;
    std::map<std::int32_t, ReserveEntry*> byId_;
    std::multimap<std::uint32_t, ReserveEntry*> byProgram_;
    // ID-0 lines of the file (as read) that the last load or later merges took in; the file
    // still holds them until this store's next save.
    std::multiset<std::string> takenUnnumbered_;
    // Unnumbered records of this store that a save has already appended to the file.
    std::set<const ReserveEntry*> handedOver_;
    // The last load found a file it could not read: saves refuse to replace it.
    bool unreadFile_ = false;
};

class ReserveList::EntryRange {
  public:
    class Iterator {
      public:
        explicit Iterator(StartIndex::const_iterator at) : at_(at) {}
        ReserveEntry& operator*() const { return *at_->second; }
        ReserveEntry* operator->() const { return at_->second.get(); }
        Iterator& operator++() {
            ++at_;
            return *this;
        }
        bool operator==(const Iterator& other) const = default;

      private:
        StartIndex::const_iterator at_;
    };

    explicit EntryRange(const StartIndex& index) : index_(index) {}
    Iterator begin() const { return Iterator(index_.begin()); }
    Iterator end() const { return Iterator(index_.end()); }

  private:
    const StartIndex& index_;
};

inline ReserveList::EntryRange ReserveList::Entries() const {
    return EntryRange(byStart_);
}

}  // namespace timer_core
