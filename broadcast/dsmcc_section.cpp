#include "broadcast/dsmcc_section.h"

#include "broadcast/table_parse.h"

namespace broadcast {
namespace {

constexpr auto kNo = Terminated::kNo;

// adaptationLength, messageLength and the adaptation header, common to DII and DDB.
template <typename Message>
void ReadAdaptation(ByteReader& r, Message& m) {
    m.adaptationLength = r.U8();
    m.messageLength = r.U16();
    if (m.adaptationLength == 0) return;
    m.adaptationType = r.U8();
    m.adaptation_bytes = TakeBytes(r, m.adaptationLength - 1, kNo, &m.adaptation_byte_count);
}

void ReadModuleLoop(ByteReader& r, int length, std::uint8_t* count,
                    ModuleDescriptorArray* descriptors) {
    ByteReader loop = r.Sub(length);
    ParseModuleDescriptorLoop(loop.current(), loop.size(), descriptors, count);
}

void ReadModules(ByteReader& r, DiiMessage& m) {
    const int announced = r.U16();
    for (int i = 0; i < announced && r.Has(8); ++i) {
        DiiModuleEntry& module = m.modules.emplace_back();
        module.moduleId = r.U16();
        module.moduleSize = r.U32();
        module.moduleVersion = r.U8();
        module.moduleInfoLength = r.U8();
        ReadModuleLoop(r, module.moduleInfoLength, &module.module_descriptor_count,
                       &module.module_descriptors);
    }
    m.numberOfModules = static_cast<std::uint16_t>(m.modules.size());
}

// A DownloadInfoIndication; a DSI on this table_id is read with the same layout.
std::unique_ptr<DiiMessage> ReadDii(ByteReader& r) {
    auto m = std::make_unique<DiiMessage>();
    m->protocolDiscriminator = r.U8();
    m->dsmccType = r.U8();
    m->messageId = r.U16();
    m->transactionId = r.U32();
    r.Skip(1);
    ReadAdaptation(r, *m);
    m->downloadId = r.U32();
    m->blockSize = r.U16();
    m->windowSize = r.U8();
    m->ackPeriod = r.U8();
    m->tCDownloadWindow = r.U32();
    m->tCDownloadScenario = r.U32();
    m->compatibilityDescriptorLength = r.U16();
    if (m->compatibilityDescriptorLength != 0) {
        m->compatibility_descriptor_count = r.U16();
        m->compatibility_bytes =
            TakeBytes(r, m->compatibilityDescriptorLength - 2, kNo, &m->compatibility_byte_count);
    }
    ReadModules(r, *m);
    m->privateDataLength = r.U16();
    if (m->privateDataLength != 0) {
        ReadModuleLoop(r, m->privateDataLength, &m->private_descriptor_count,
                       &m->private_descriptors);
    }
    return m;
}

std::unique_ptr<DdbMessage> ReadDdb(ByteReader& r) {
    auto m = std::make_unique<DdbMessage>();
    m->protocolDiscriminator = r.U8();
    m->dsmccType = r.U8();
    m->messageId = r.U16();
    m->downloadId = r.U32();
    r.Skip(1);
    ReadAdaptation(r, *m);
    m->moduleId = r.U16();
    m->moduleVersion = r.U8();
    r.Skip(1);
    m->blockNumber = r.U16();
    m->block_data =
        TakeBytes(r, m->messageLength - m->adaptationLength - 6, kNo, &m->block_data_length);
    return m;
}

std::unique_ptr<DsmccDescriptorList> ReadDescriptorTags(ByteReader& r, int length) {
    auto list = std::make_unique<DsmccDescriptorList>();
    ByteReader loop = r.Sub(length);
    ListDescriptorTags(loop.current(), loop.size(), &list->descriptors, &list->descriptor_count);
    return list;
}

}  // namespace

int ParseDsmccSection(const std::uint8_t* section, int remaining, int* consumed,
                      std::unique_ptr<SectionRecord>* record) {
    return ParseTable(
        [](std::uint8_t id) { return id >= 0x3A && id <= 0x3F; }, &SectionRecord::dsmcc, section,
        remaining, consumed, record,
        [&](ByteReader& r, DsmccSection& t) {
            const std::uint8_t table_id = section[0];
            t.section_syntax_indicator = remaining >= 2 ? section[1] >> 7 : 0;
            t.table_id_extension = r.U16();
            t.table_id_extension_high = static_cast<std::uint8_t>(t.table_id_extension >> 12);
            t.table_id_extension_low = t.table_id_extension & 0x0FFF;
            ReadVersionAndNumbers(r, t);
            // The message runs from byte 8 up to the CRC_32.
            const int payload_length = t.section_length - 9;
            if (table_id == 0x3B) {
                t.dii = ReadDii(r);
            } else if (table_id == 0x3C) {
                t.ddb = ReadDdb(r);
            } else if (table_id == 0x3D) {
                if (t.section_length != 9)
                    t.descriptor_list = ReadDescriptorTags(r, payload_length);
            } else {
                t.raw_payload = TakeBytes(r, payload_length, kNo, &t.raw_payload_length);
            }
        });
}

}  // namespace broadcast
