#include "platform/registry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/paths.h"
#include "tests/support/services_helper.h"
#include "tests/support/sandbox.h"

namespace platform {
namespace {

class RegistryTest : public ::testing::Test {
  protected:
    test_support::Sandbox sandbox;
};

TEST_F(RegistryTest, MissingKeyAndMissingValueAreDifferentResults) {
    EXPECT_FALSE(RegistryKey::Open(L"Software\\Friio").has_value());
    auto created = RegistryKey::Create(L"Software\\Friio");
    ASSERT_TRUE(created.has_value());
    auto key = RegistryKey::Open(L"software\\FRIIO");
    ASSERT_TRUE(key.has_value());
    EXPECT_FALSE(key->QueryValue(L"SavePath").has_value());
    EXPECT_TRUE(RegistryKey::Open(L"Software").has_value());  // a parent of a created key
    EXPECT_FALSE(RegistryKey::Open(L"Software\\Fri").has_value());
}

TEST_F(RegistryTest, StoresStringsBinaryAndDwordsWithWindowsSizes) {
    auto key = RegistryKey::Create(L"Software\\Friio");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->SetString(L"SavePath", L"/録画/ts"));
    ASSERT_TRUE(key->SetBinary(L"VideoWindowPos", std::string("\x2c\x00\x00\x00\xff", 5)));
    ASSERT_TRUE(key->SetDword(L"Tuner", 0x01020304));
    ASSERT_TRUE(key->SetString(L"Area", L"関東"));
    ASSERT_TRUE(key->SetString(L"area", L"BS110CS"));  // same value, other spelling

    auto again = RegistryKey::Open(L"Software\\Friio");
    EXPECT_EQ(again->QueryString(L"SAVEPATH"), L"/録画/ts");
    EXPECT_EQ(again->QuerySize(L"SavePath"), 2u * 7);  // UTF-16 with the terminating zero
    const auto pos = again->QueryValue(L"VideoWindowPos");
    ASSERT_TRUE(pos);
    EXPECT_EQ(pos->type, REG_BINARY);
    EXPECT_EQ(pos->data, std::string("\x2c\x00\x00\x00\xff", 5));
    EXPECT_EQ(again->QueryDword(L"Tuner"), 0x01020304u);
    EXPECT_EQ(again->QueryString(L"Area"), L"BS110CS");
    EXPECT_FALSE(again->QueryDword(L"Area"));  // wrong type
    EXPECT_TRUE(again->DeleteValue(L"Tuner"));
    EXPECT_FALSE(again->QueryValue(L"Tuner"));
    EXPECT_FALSE(again->DeleteValue(L"Tuner"));
}

TEST_F(RegistryTest, TheFileLiesInTheUsersConfigFolderAndReadsBackExactly) {
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryFilePath(), FromNativePath(config + "/orvandel/registry"));
    auto key = RegistryKey::Create(L"Software\\Test");
    // Odd data survives: a string without its zero, a short DWORD, an unknown type, quotes
    // and percent signs and line breaks in names and texts.
    ASSERT_TRUE(key->SetValue(L"NoZero", REG_SZ, std::string("a\0b", 3)));
    ASSERT_TRUE(key->SetValue(L"Short", REG_DWORD, std::string("\x01\x02", 2)));
    ASSERT_TRUE(key->SetValue(L"Multi", 7, std::string("a\0\0\0", 4)));
    ASSERT_TRUE(key->SetString(L"we\"ird%\nname", L"line1\r\nline2 \"q\" 100%"));
    const RegistryData data = RegistryData::Parse([] {
        std::ifstream in(std::string(std::getenv("XDG_CONFIG_HOME")) + "/orvandel/registry");
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }());
    EXPECT_EQ(data.FindValue(L"Software\\Test", L"NoZero")->data, std::string("a\0b", 3));
    EXPECT_EQ(data.FindValue(L"Software\\Test", L"Short")->data, std::string("\x01\x02", 2));
    EXPECT_EQ(data.FindValue(L"Software\\Test", L"Multi")->type, 7u);
    EXPECT_EQ(key->QueryString(L"WE\"IRD%\nNAME"), L"line1\r\nline2 \"q\" 100%");
    EXPECT_EQ(RegistryData::Parse(data.Serialize()).Serialize(), data.Serialize());
}

TEST_F(RegistryTest, WritersInTwoProcessesLoseNothing) {
    const DWORD a = test_support::StartServicesHelper(L"reg-write Software\\Friio A 30");
    const DWORD b = test_support::StartServicesHelper(L"reg-write Software\\Other B 30");
    auto key = RegistryKey::Create(L"Software\\Friio");
    for (DWORD i = 0; i < 30; ++i)
        ASSERT_TRUE(key->SetDword(L"C" + std::to_wstring(i), i));
    ASSERT_EQ(test_support::FinishServicesHelper(a), 0);
    ASSERT_EQ(test_support::FinishServicesHelper(b), 0);
    auto other = RegistryKey::Open(L"Software\\Other");
    ASSERT_TRUE(other);
    for (DWORD i = 0; i < 30; ++i) {
        EXPECT_EQ(key->QueryDword(L"A" + std::to_wstring(i)), i);
        EXPECT_EQ(key->QueryDword(L"C" + std::to_wstring(i)), i);
        EXPECT_EQ(other->QueryDword(L"B" + std::to_wstring(i)), i);
    }
}

}  // namespace
}  // namespace platform
