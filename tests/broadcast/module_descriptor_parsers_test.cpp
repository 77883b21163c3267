#include <gtest/gtest.h>

#include "broadcast/module_descriptor_record.h"
#include "tests/support/si_test_util.h"

namespace broadcast::test {
namespace {

ModuleDescriptorArray ParseModuleLoop(const Bytes& loop, std::uint8_t* count) {
    ModuleDescriptorArray records;
    const auto copy = std::make_unique<std::uint8_t[]>(loop.size());
    std::copy(loop.begin(), loop.end(), copy.get());
    EXPECT_EQ(ParseModuleDescriptorLoop(copy.get(), static_cast<int>(loop.size()), &records, count),
              1);
    return records;
}

TEST(ModuleDescriptorTest, TypeNameAndCrc32) {
    const Bytes loop = Concat({Descriptor(0x01, {'i', 'm', 'g'}), Descriptor(0x02, {'a'}),
                               Descriptor(0x05, {0xDE, 0xAD, 0xBE, 0xEF})});
    std::uint8_t count = 0;
    ModuleDescriptorArray records = ParseModuleLoop(loop, &count);
    ASSERT_EQ(count, 3);
    ASSERT_NE(records[0]->type, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(records[0]->type->text.get()), "img");
    ASSERT_NE(records[1]->name, nullptr);
    EXPECT_EQ(records[1]->name->text_length, 1);
    ASSERT_NE(records[2]->crc32, nullptr);
    EXPECT_EQ(records[2]->crc32->CRC_32, 0xDEADBEEFu);
    EXPECT_EQ(records[2]->type, nullptr);
}

TEST(ModuleDescriptorTest, RootCertificatePairs) {
    const Bytes type1 = Concat({Bytes{0xCA, 9, 0x80}, Bytes(8, 0x11)});
    const Bytes type0 = {0xCA, 17, 0x00, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4};
    std::uint8_t count = 0;
    ModuleDescriptorArray records =
        ParseModuleLoop(Concat({type1, type0, Descriptor(0x04, {1, 0, 7})}), &count);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(records[0]->root_certificate->root_certificate_type, 1);
    EXPECT_EQ(records[0]->root_certificate->pair_count, 0);
    const RootCertificateModuleDesc& c = *records[1]->root_certificate;
    ASSERT_EQ(c.pair_count, 2);
    EXPECT_EQ(c.pairs[0].root_certificate_id, 1u);
    EXPECT_EQ(c.pairs[0].root_certificate_version, 2u);
    EXPECT_EQ(c.pairs[1].root_certificate_id, 3u);
    EXPECT_EQ(c.pairs[1].root_certificate_version, 4u);
    EXPECT_EQ(records[2]->module_link->moduleId, 7);
}

TEST(ModuleDescriptorTest, UnknownTagsAndLanguageTexts) {
    const Bytes loop =
        Concat({Descriptor(0x06, {1, 2}), Descriptor(0xC7, {'j', 'p', 'n', 'T'}),
                Descriptor(0xC4, {1, 0, 0, 0, 9, 'p', 'q'}), Descriptor(0xF0, {0x80})});
    std::uint8_t count = 0;
    ModuleDescriptorArray records = ParseModuleLoop(loop, &count);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(records[0]->descriptor_tag, 0x06);
    EXPECT_EQ(records[0]->type, nullptr);
    const TitleModuleDesc& title = *records[1]->title;
    EXPECT_STREQ(reinterpret_cast<const char*>(title.ISO_639_language_code), "jpn");
    EXPECT_EQ(Text(title.text.get(), title.text_length), "T");
    EXPECT_EQ(records[2]->provider_private->scope_identifier, 9u);
    EXPECT_EQ(records[2]->provider_private->private_length, 2);
    EXPECT_EQ(records[3]->f0->flag, 1);
}

TEST(ModuleDescriptorTest, ListDescriptorTagsKeepsOnlyTags) {
    const Bytes loop =
        Concat({Descriptor(0x01, {'a'}), Descriptor(0x17, {}), Descriptor(0x05, {0, 0, 0, 1})});
    ModuleDescriptorArray records;
    std::uint16_t count = 0;
    ASSERT_EQ(ListDescriptorTags(loop.data(), static_cast<int>(loop.size()), &records, &count), 1);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(records[0]->descriptor_tag, 0x01);
    EXPECT_EQ(records[0]->type, nullptr);
    EXPECT_EQ(records[2]->descriptor_tag, 0x05);
    EXPECT_EQ(records[2]->crc32, nullptr);
    EXPECT_EQ(ListDescriptorTags(loop.data(), 3, &records, nullptr), 0);
}

TEST(ModuleDescriptorTest, ParsersStayInsideTheLoop) {
    for (int tag = 0; tag < 256; ++tag) {
        for (std::size_t size = 1; size < 16; ++size) {
            Bytes loop(size, 0xA0);
            loop[0] = static_cast<std::uint8_t>(tag);
            std::uint8_t count = 0;
            ModuleDescriptorArray records = ParseModuleLoop(loop, &count);
            ASSERT_GE(count, 1);
            EXPECT_EQ(records[0]->descriptor_tag, tag);
        }
    }
}

// Fixed-size descriptors sent with extra bytes still leave the walk at the next descriptor.
TEST(ModuleDescriptorTest, TrailingBytesDoNotHideTheNextDescriptor) {
    const Bytes name = Descriptor(0x02, {'m', 'o', 'd'});
    const Bytes cases[] = {
        Descriptor(0x05, {0xDE, 0xAD, 0xBE, 0xEF, 0}),  // CRC32 of length 5
        Descriptor(0x04, {1, 0, 7, 0}),                 // Module_link of length 4
        Descriptor(0x07, {0, 0, 0, 9, 0, 0}),           // Est_download_time of length 6
        Descriptor(0x71, {1, 2, 3}),                    // Caching_priority of length 3
        Descriptor(0xC0, Bytes(8, 0x20)),               // Expire of length 8
        Descriptor(0xC2, {1, 0, 0, 1, 0, 0}),           // CompressionType of length 6
        Descriptor(0xF0, {0x80, 0}),                    // descriptor 0xF0 of length 2
    };
    for (const Bytes& c : cases) {
        std::uint8_t count = 0;
        ModuleDescriptorArray records = ParseModuleLoop(Concat({c, name}), &count);
        EXPECT_EQ(count, 2) << int{c[0]};
        if (count != 2) continue;
        EXPECT_EQ(records[0]->descriptor_tag, c[0]);
        const ModuleDescriptorRecord& second = *records[1];
        EXPECT_TRUE(second.name && Text(second.name->text.get(), second.name->text_length) == "mod")
            << int{c[0]};
    }
    for (int tag = 0; tag < 256; ++tag) {
        for (std::uint8_t fill : {0x00, 0x80, 0xFF}) {
            for (std::size_t length = 0; length < 24; ++length) {
                const Bytes loop =
                    Concat({Descriptor(static_cast<std::uint8_t>(tag), Bytes(length, fill)), name});
                std::uint8_t count = 0;
                ModuleDescriptorArray records = ParseModuleLoop(loop, &count);
                ASSERT_EQ(count, 2) << tag << " " << length;
                ASSERT_NE(records[1]->name, nullptr) << tag << " " << length;
            }
        }
    }
}

TEST(ModuleDescriptorTest, ClearingEmptiesEverySlot) {
    std::uint8_t count = 0;
    ModuleDescriptorArray records = ParseModuleLoop(Descriptor(0xC5, {0x80, '/', 'a'}), &count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(records[0]->store_root->update_type, 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(records[0]->store_root->store_root_path.get()),
                 "/a");
    FreeModuleDescriptorRecord(records[0].get());
    EXPECT_EQ(records[0]->store_root, nullptr);
    EXPECT_EQ(records[0]->descriptor_tag, 0xC5);
}

}  // namespace
}  // namespace broadcast::test
