// The result of one PSI/SI section, as the section splitter and the assembler hand it on.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace broadcast {

struct PatSection;
struct PmtSection;
struct DsmccSection;
struct NitSection;
struct EitSection;
struct TdtSection;
struct TotSection;
struct SdtSection;
struct CdtSection;

// At most one table pointer is set: the one of the parser that made the record. A record with
// every pointer null is tag-only (a table that is not parsed, or one whose parser refused it).
// Include the header of the table you read (or broadcast/si_tables.h for all of them).
struct SectionRecord {
    SectionRecord();
    ~SectionRecord();
    SectionRecord(const SectionRecord&) = delete;
    SectionRecord& operator=(const SectionRecord&) = delete;

    std::uint8_t table_id = 0;
    std::unique_ptr<PatSection> pat;      // 0x00
    std::unique_ptr<PmtSection> pmt;      // 0x02
    std::unique_ptr<DsmccSection> dsmcc;  // 0x3A-0x3F
    std::unique_ptr<NitSection> nit;      // 0x40, 0x41
    std::unique_ptr<EitSection> eit;      // 0x4E-0x6F
    std::unique_ptr<TdtSection> tdt;      // 0x70
    std::unique_ptr<TotSection> tot;      // 0x73
    std::unique_ptr<SdtSection> sdt;      // 0x42, 0x46
    std::unique_ptr<CdtSection> cdt;      // 0xC8
};

// Sections in buffer order; the vector owns the records.
using SectionList = std::vector<std::unique_ptr<SectionRecord>>;

// Frees whichever table record is set and nulls its pointer; the SectionRecord stays.
void FreeSectionRecord(SectionRecord* record);

// Frees the table record and then the SectionRecord itself.
void DeleteSectionRecord(std::unique_ptr<SectionRecord> record);

// The contract of every table parser: section bytes, the number of buffer bytes from the
// section's start to the end of the buffer, out consumed, out record. A table_id that is not the
// parser's own returns 0 with consumed = remaining; otherwise 1 with a new record and consumed =
// section_length + 3. Reads never pass the section (section_length + 3 bytes) or the buffer.
using TableParser = int (*)(const std::uint8_t* section, int remaining, int* consumed,
                            std::unique_ptr<SectionRecord>* record);

}  // namespace broadcast
