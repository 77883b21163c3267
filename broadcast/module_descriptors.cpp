#include "broadcast/descriptor_parse.h"
#include "broadcast/module_descriptor_record.h"

namespace broadcast {
namespace {

using Record = ModuleDescriptorRecord;
constexpr auto kYes = Terminated::kYes;
constexpr auto kNo = Terminated::kNo;

// Info and Title: a 3-byte language code kept with a zero byte behind it, then the text.
int ParseLanguageText(std::uint8_t tag, std::unique_ptr<LanguageTextModuleDesc> Record::*slot,
                      int remaining, const std::uint8_t* bytes, int* consumed,
                      std::unique_ptr<Record>* record) {
    return ParseDescriptor(tag, 1, slot, remaining, bytes, consumed, record,
                           [](ByteReader& r, LanguageTextModuleDesc& d) {
                               TakeFixed(r, d.ISO_639_language_code, 3);
                               d.text = TakeBytes(r, d.descriptor_length - 3, kYes, &d.text_length);
                               return LengthPlus2(d);
                           });
}

// Expire and ActivationTime: the six bytes behind the length, raw.
int ParseTimeBytes(std::uint8_t tag, std::unique_ptr<TimeModuleDesc> Record::*slot, int remaining,
                   const std::uint8_t* bytes, int* consumed, std::unique_ptr<Record>* record) {
    return ParseDescriptor(tag, 1, slot, remaining, bytes, consumed, record,
                           [](ByteReader& r, TimeModuleDesc& d) {
                               TakeFixed(r, d.bytes, 6);
                               return 8;
                           });
}

}  // namespace

int ParseTypeModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<Record>* record) {
    return ParseWholeRun(0x01, &Record::type, &TextModuleDesc::text, &TextModuleDesc::text_length,
                         remaining, bytes, consumed, record);
}

int ParseNameModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<Record>* record) {
    return ParseWholeRun(0x02, &Record::name, &TextModuleDesc::text, &TextModuleDesc::text_length,
                         remaining, bytes, consumed, record);
}

int ParseInfoModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<Record>* record) {
    return ParseLanguageText(0x03, &Record::info, remaining, bytes, consumed, record);
}

int ParseModuleLinkModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<Record>* record) {
    return ParseDescriptor(0x04, 1, &Record::module_link, remaining, bytes, consumed, record,
                           [](ByteReader& r, ModuleLinkModuleDesc& d) {
                               d.position = r.U8();
                               d.moduleId = r.U16();
                               return 5;
                           });
}

int ParseCrc32ModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                         std::unique_ptr<Record>* record) {
    return ParseDescriptor(0x05, 1, &Record::crc32, remaining, bytes, consumed, record,
                           [](ByteReader& r, Crc32ModuleDesc& d) {
                               d.CRC_32 = r.U32();
                               return 6;
                           });
}

int ParseEstDownloadTimeModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                   std::unique_ptr<Record>* record) {
    return ParseDescriptor(0x07, 1, &Record::est_download_time, remaining, bytes, consumed, record,
                           [](ByteReader& r, EstDownloadTimeModuleDesc& d) {
                               d.est_download_time = r.U32();
                               return 6;
                           });
}

int ParseCachingPriorityModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                   std::unique_ptr<Record>* record) {
    return ParseDescriptor(0x71, 1, &Record::caching_priority, remaining, bytes, consumed, record,
                           [](ByteReader& r, CachingPriorityModuleDesc& d) {
                               d.priority_value = r.U8();
                               d.transparency_level = r.U8();
                               return 4;
                           });
}

int ParseExpireModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                          std::unique_ptr<Record>* record) {
    return ParseTimeBytes(0xC0, &Record::expire, remaining, bytes, consumed, record);
}

int ParseActivationTimeModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                  std::unique_ptr<Record>* record) {
    return ParseTimeBytes(0xC1, &Record::activation_time, remaining, bytes, consumed, record);
}

int ParseCompressionTypeModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                   std::unique_ptr<Record>* record) {
    return ParseDescriptor(0xC2, 1, &Record::compression_type, remaining, bytes, consumed, record,
                           [](ByteReader& r, CompressionTypeModuleDesc& d) {
                               d.compression_type = r.U8();
                               d.original_size = r.U32();
                               return 7;
                           });
}

int ParseControlModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                           std::unique_ptr<Record>* record) {
    return ParseDescriptor(0xC3, 1, &Record::control, remaining, bytes, consumed, record,
                           [](ByteReader& r, ControlModuleDesc& d) {
                               d.control =
                                   TakeBytes(r, d.descriptor_length, kNo, &d.control_length);
                               return LengthPlus2(d);
                           });
}

int ParseProviderPrivateModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                   std::unique_ptr<Record>* record) {
    return ParseDescriptor(0xC4, 1, &Record::provider_private, remaining, bytes, consumed, record,
                           [](ByteReader& r, ProviderPrivateModuleDesc& d) {
                               d.private_scope_type = r.U8();
                               d.scope_identifier = r.U32();
                               d.private_bytes =
                                   TakeBytes(r, d.descriptor_length - 5, kNo, &d.private_length);
                               return LengthPlus2(d);
                           });
}

int ParseStoreRootModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                             std::unique_ptr<Record>* record) {
    return ParseDescriptor(0xC5, 1, &Record::store_root, remaining, bytes, consumed, record,
                           [](ByteReader& r, StoreRootModuleDesc& d) {
                               d.update_type = r.U8() >> 7;
                               d.store_root_path = TakeBytes(r, d.descriptor_length - 1, kYes,
                                                             &d.store_root_path_length);
                               return LengthPlus2(d);
                           });
}

int ParseSubdirectoryModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                std::unique_ptr<Record>* record) {
    return ParseWholeRun(0xC6, &Record::subdirectory, &TextModuleDesc::text,
                         &TextModuleDesc::text_length, remaining, bytes, consumed, record);
}

int ParseTitleModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                         std::unique_ptr<Record>* record) {
    return ParseLanguageText(0xC7, &Record::title, remaining, bytes, consumed, record);
}

int ParseDataEncodingModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                std::unique_ptr<Record>* record) {
    return ParseDescriptor(0xC8, 1, &Record::data_encoding, remaining, bytes, consumed, record,
                           [](ByteReader& r, DataEncodingModuleDesc& d) {
                               d.data_component_id = r.U16();
                               d.additional =
                                   TakeBytes(r, d.descriptor_length - 2, kNo, &d.additional_length);
                               return LengthPlus2(d);
                           });
}

int ParseRootCertificateModuleDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                   std::unique_ptr<Record>* record) {
    return ParseDescriptor(0xCA, 1, &Record::root_certificate, remaining, bytes, consumed, record,
                           [](ByteReader& r, RootCertificateModuleDesc& d) {
                               d.root_certificate_type = r.U8() >> 7;
                               if (d.root_certificate_type != 0) return LengthPlus2(d);
                               const int pairs = (d.descriptor_length - 1) / 8;
                               for (int i = 0; i < pairs && r.Has(8); ++i) {
                                   const std::uint32_t id = r.U32();
                                   d.pairs.push_back(RootCertificatePair{id, r.U32()});
                               }
                               d.pair_count = CountOf(d.pairs);
                               return LengthPlus2(d);
                           });
}

int ParseModuleDescF0(int remaining, const std::uint8_t* bytes, int* consumed,
                      std::unique_ptr<Record>* record) {
    return ParseDescriptor(0xF0, 1, &Record::f0, remaining, bytes, consumed, record,
                           [](ByteReader& r, F0ModuleDesc& d) {
                               d.flag = r.U8() >> 7;
                               return 3;
                           });
}

}  // namespace broadcast
