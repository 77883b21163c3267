#include <limits>

#include "broadcast/descriptor_parse.h"
#include "broadcast/descriptor_record.h"
#include "broadcast/module_descriptor_record.h"

namespace broadcast {
namespace {

using Parsers = std::array<DescParser<ModuleDescriptorRecord>, 256>;

constexpr Parsers MakeDispatch() {
    Parsers table{};
    table[0x01] = ParseTypeModuleDesc;
    table[0x02] = ParseNameModuleDesc;
    table[0x03] = ParseInfoModuleDesc;
    table[0x04] = ParseModuleLinkModuleDesc;
    table[0x05] = ParseCrc32ModuleDesc;
    table[0x07] = ParseEstDownloadTimeModuleDesc;
    table[0x71] = ParseCachingPriorityModuleDesc;
    table[0xC0] = ParseExpireModuleDesc;
    table[0xC1] = ParseActivationTimeModuleDesc;
    table[0xC2] = ParseCompressionTypeModuleDesc;
    table[0xC3] = ParseControlModuleDesc;
    table[0xC4] = ParseProviderPrivateModuleDesc;
    table[0xC5] = ParseStoreRootModuleDesc;
    table[0xC6] = ParseSubdirectoryModuleDesc;
    table[0xC7] = ParseTitleModuleDesc;
    table[0xC8] = ParseDataEncodingModuleDesc;
    table[0xCA] = ParseRootCertificateModuleDesc;
    table[0xF0] = ParseModuleDescF0;
    return table;
}

constexpr Parsers kDispatch = MakeDispatch();
constexpr Parsers kNoParsers{};

}  // namespace

void ClearModuleDescriptorRecord(ModuleDescriptorRecord* record) {
    if (record == nullptr) return;
    const std::uint8_t tag = record->descriptor_tag;
    *record = ModuleDescriptorRecord{};
    record->descriptor_tag = tag;
}

void FreeModuleDescriptorRecord(ModuleDescriptorRecord* record) {
    ClearModuleDescriptorRecord(record);
}

int ParseModuleDescriptorLoop(const std::uint8_t* bytes, int length, ModuleDescriptorArray* records,
                              std::uint8_t* count) {
    return WalkDescriptorLoop(bytes, length, kDispatch, kMaxLoopEntries, records, count);
}

int ListDescriptorTags(const std::uint8_t* bytes, int length, ModuleDescriptorArray* records,
                       std::uint16_t* count) {
    return WalkDescriptorLoop(bytes, length, kNoParsers, std::numeric_limits<std::uint16_t>::max(),
                              records, count);
}

}  // namespace broadcast
