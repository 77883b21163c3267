// Descriptors of the data carousel's DownloadInfoIndication loops (moduleInfo and private data)
// and of stream-descriptor sections. Byte runs are a count and an owned copy; "terminated"
// copies have one extra zero byte. Counts are the number of bytes or entries actually held.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace broadcast {

// 0x01 Type, 0x02 Name, 0xC6 Subdirectory: one text.
struct TextModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t text_length = 0;
    std::unique_ptr<std::uint8_t[]> text;  // terminated
};
using TypeModuleDesc = TextModuleDesc;
using NameModuleDesc = TextModuleDesc;
using SubdirectoryModuleDesc = TextModuleDesc;  // subdirectory_path

// 0x03 Info, 0xC7 Title: a language code and a text.
struct LanguageTextModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t ISO_639_language_code[4] = {};  // 3 bytes and a zero byte
    std::uint8_t text_length = 0;
    std::unique_ptr<std::uint8_t[]> text;  // terminated
};
using InfoModuleDesc = LanguageTextModuleDesc;
using TitleModuleDesc = LanguageTextModuleDesc;

// 0x04
struct ModuleLinkModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t position = 0;
    std::uint16_t moduleId = 0;
};

// 0x05
struct Crc32ModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint32_t CRC_32 = 0;
};

// 0x07
struct EstDownloadTimeModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint32_t est_download_time = 0;
};

// 0x71
struct CachingPriorityModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t priority_value = 0;
    std::uint8_t transparency_level = 0;
};

// 0xC0 Expire, 0xC1 ActivationTime: six raw bytes.
struct TimeModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t bytes[6] = {};
};
using ExpireModuleDesc = TimeModuleDesc;
using ActivationTimeModuleDesc = TimeModuleDesc;

// 0xC2
struct CompressionTypeModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t compression_type = 0;
    std::uint32_t original_size = 0;
};

// 0xC3
struct ControlModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t control_length = 0;
    std::unique_ptr<std::uint8_t[]> control;  // not terminated
};

// 0xC4
struct ProviderPrivateModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t private_scope_type = 0;
    std::uint32_t scope_identifier = 0;
    std::uint8_t private_length = 0;
    std::unique_ptr<std::uint8_t[]> private_bytes;  // not terminated
};

// 0xC5
struct StoreRootModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t update_type = 0;
    std::uint8_t store_root_path_length = 0;
    std::unique_ptr<std::uint8_t[]> store_root_path;  // terminated
};

// 0xC8
struct DataEncodingModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint16_t data_component_id = 0;
    std::uint8_t additional_length = 0;
    std::unique_ptr<std::uint8_t[]> additional;  // not terminated
};

struct RootCertificatePair {
    std::uint32_t root_certificate_id = 0;
    std::uint32_t root_certificate_version = 0;
};

// 0xCA
struct RootCertificateModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t root_certificate_type = 0;
    std::uint8_t pair_count = 0;  // type 0 only
    std::vector<RootCertificatePair> pairs;
};

// 0xF0
struct F0ModuleDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t flag = 0;
};

// One module descriptor: its tag and one slot per supported tag (null: not that kind; all null:
// tag-only).
struct ModuleDescriptorRecord {
    std::uint8_t descriptor_tag = 0;
    std::unique_ptr<TypeModuleDesc> type;                          // 0x01
    std::unique_ptr<NameModuleDesc> name;                          // 0x02
    std::unique_ptr<InfoModuleDesc> info;                          // 0x03
    std::unique_ptr<ModuleLinkModuleDesc> module_link;             // 0x04
    std::unique_ptr<Crc32ModuleDesc> crc32;                        // 0x05
    std::unique_ptr<EstDownloadTimeModuleDesc> est_download_time;  // 0x07
    std::unique_ptr<CachingPriorityModuleDesc> caching_priority;   // 0x71
    std::unique_ptr<ExpireModuleDesc> expire;                      // 0xC0
    std::unique_ptr<ActivationTimeModuleDesc> activation_time;     // 0xC1
    std::unique_ptr<CompressionTypeModuleDesc> compression_type;   // 0xC2
    std::unique_ptr<ControlModuleDesc> control;                    // 0xC3
    std::unique_ptr<ProviderPrivateModuleDesc> provider_private;   // 0xC4
    std::unique_ptr<StoreRootModuleDesc> store_root;               // 0xC5
    std::unique_ptr<SubdirectoryModuleDesc> subdirectory;          // 0xC6
    std::unique_ptr<TitleModuleDesc> title;                        // 0xC7
    std::unique_ptr<DataEncodingModuleDesc> data_encoding;         // 0xC8
    std::unique_ptr<RootCertificateModuleDesc> root_certificate;   // 0xCA
    std::unique_ptr<F0ModuleDesc> f0;                              // 0xF0
};

using ModuleDescriptorArray = std::vector<std::unique_ptr<ModuleDescriptorRecord>>;

// Sets every slot to null (releasing what they held).
void ClearModuleDescriptorRecord(ModuleDescriptorRecord* record);

// Releases every sub-record; the record stays, as a tag-only record.
void FreeModuleDescriptorRecord(ModuleDescriptorRecord* record);

// Walks `length` bytes of module descriptors like ParseDescriptorLoop: one record per
// descriptor, the first 255 at most. Returns 0 when count is null, else 1.
int ParseModuleDescriptorLoop(const std::uint8_t* bytes, int length, ModuleDescriptorArray* records,
                              std::uint8_t* count);

// One tag-only record per descriptor of `length` bytes. Returns 0 when count is null, else 1.
int ListDescriptorTags(const std::uint8_t* bytes, int length, ModuleDescriptorArray* records,
                       std::uint16_t* count);

// Module-descriptor parsers: (bytes left in the loop, descriptor bytes, out consumed, out
// record); 1 with a new record, or 0 with consumed = remaining when 1 byte or less remains or
// the tag is not the parser's.
int ParseTypeModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseNameModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseInfoModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseModuleLinkModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseCrc32ModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                         std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseEstDownloadTimeModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                   std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseCachingPriorityModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                   std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseExpireModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                          std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseActivationTimeModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                  std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseCompressionTypeModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                   std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseControlModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                           std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseProviderPrivateModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                   std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseStoreRootModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                             std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseSubdirectoryModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseTitleModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                         std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseDataEncodingModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseRootCertificateModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                   std::unique_ptr<ModuleDescriptorRecord>* record);
int ParseModuleDescF0(int remaining, const std::uint8_t* bytes, int* consumed,
                      std::unique_ptr<ModuleDescriptorRecord>* record);

}  // namespace broadcast
