#include "broadcast/section_record.h"

#include "broadcast/si_tables.h"

namespace broadcast {

SectionRecord::SectionRecord() = default;
SectionRecord::~SectionRecord() = default;

void FreeSectionRecord(SectionRecord* record) {
    if (record == nullptr) return;
    record->pat.reset();
    record->pmt.reset();
    record->dsmcc.reset();
    record->nit.reset();
    record->eit.reset();
    record->tdt.reset();
    record->tot.reset();
    record->sdt.reset();
    record->cdt.reset();
}

void DeleteSectionRecord(std::unique_ptr<SectionRecord> record) {
    FreeSectionRecord(record.get());
}

}  // namespace broadcast
