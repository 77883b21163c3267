// Named mappings and the named mutex across processes: Windows lifetime, stale objects of killed
// processes, privacy of the files.
#include "platform/named_file_mapping.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/named_mutex.h"
#include "platform/runtime_folder.h"
#include "tests/support/helper_process.h"
#include "tests/support/private_runtime.h"

namespace platform {
namespace {

using test_support::HelperProcess;

class NamedFileMappingTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::UsePrivateRuntime(); }
};

std::uint8_t FirstByte(const char* name) {
    std::uint8_t byte = 0xEE;
    ReadNamedMapping(name, std::span(&byte, 1));
    return byte;
}

TEST_F(NamedFileMappingTest, CreateOpenAndTheLastCloseFreeTheName) {
    bool existed = true;
    auto first = NamedFileMapping::Create("Global\\Lifetime", 16, &existed);
    ASSERT_TRUE(first.Valid());
    EXPECT_FALSE(existed);
    EXPECT_EQ(first.Size(), 16u);
    {
        const MappedView view = first.Map(true);
        ASSERT_TRUE(view.Valid());
        view.Bytes()[0] = 0x5A;
    }
    auto reader = NamedFileMapping::OpenForReading("Global\\Lifetime");
    ASSERT_TRUE(reader.Valid());
    EXPECT_FALSE(reader.Map(true).Valid());  // read access only
    EXPECT_EQ(reader.Map(false).Bytes()[0], 0x5A);

    // The writer closes; the reader keeps the object, and a creator gets it back as existing.
    first.Close();
    auto second = NamedFileMapping::Create("Global\\Lifetime", 16, &existed);
    EXPECT_TRUE(existed);
    EXPECT_EQ(second.Map(false).Bytes()[0], 0x5A);
    second.Close();
    reader.Close();

    // Nobody holds it: the name is free and a new object starts zeroed.
    EXPECT_FALSE(NamedFileMapping::OpenForReading("Global\\Lifetime").Valid());
    auto third = NamedFileMapping::Create("Global\\Lifetime", 16, &existed);
    EXPECT_FALSE(existed);
    EXPECT_EQ(third.Map(false).Bytes()[0], 0);
}

TEST_F(NamedFileMappingTest, ObjectsArePrivateFilesAndNamesStayInTheirFolder) {
    bool existed = false;
    const auto mapping = NamedFileMapping::Create("Global\\../Escape\\x", 4, &existed);
    ASSERT_TRUE(mapping.Valid());
    const auto path = RuntimeFolder() / "mappings" / "%2E.%2FEscape%5Cx";
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(NamedFileMapping::Create("", 4, &existed).Valid());
}

TEST_F(NamedFileMappingTest, AnotherProcessHoldingTheNameMakesItExistUntilItEnds) {
    HelperProcess holder(PLATFORM_TEST_HELPER, {"hold-mapping", "Global\\Held", "8", "0x42"});
    ASSERT_EQ(holder.Expect("existed "), "0");
    EXPECT_EQ(FirstByte("Global\\Held"), 0x42);
    bool existed = false;
    {
        const auto mine = NamedFileMapping::Create("Global\\Held", 8, &existed);
        EXPECT_TRUE(existed);
        // A second process creating the same name sees it too.
        HelperProcess other(PLATFORM_TEST_HELPER, {"hold-mapping", "Global\\Held", "8", "0"});
        EXPECT_EQ(other.Expect("existed "), "1");
    }
    holder.CloseAndWait();
    EXPECT_FALSE(NamedFileMapping::OpenForReading("Global\\Held").Valid());
    EXPECT_EQ(FirstByte("Global\\Held"), 0xEE);
}

TEST_F(NamedFileMappingTest, ObjectsOfAKilledProcessNeverBlockALaterCreator) {
    HelperProcess writer(PLATFORM_TEST_HELPER, {"hold-mapping", "Global\\Stale", "8", "7"});
    ASSERT_EQ(writer.Expect("existed "), "0");
    HelperProcess reader(PLATFORM_TEST_HELPER, {"open-mapping", "Global\\Stale"});
    ASSERT_EQ(reader.Expect("opened "), "1");
    writer.Kill();
    EXPECT_EQ(FirstByte("Global\\Stale"), 7);  // the reader still holds it
    reader.Kill();
    EXPECT_FALSE(NamedFileMapping::OpenForReading("Global\\Stale").Valid());
    bool existed = true;
    const auto fresh = NamedFileMapping::Create("Global\\Stale", 8, &existed);
    EXPECT_FALSE(existed);
    EXPECT_EQ(fresh.Map(false).Bytes()[0], 0);
}

TEST_F(NamedFileMappingTest, SingleInstanceMutexIsReleasedHoweverItsProcessEnds) {
    HelperProcess first(PLATFORM_TEST_HELPER, {"mutex", "Global\\Orvandel"});
    ASSERT_EQ(first.Expect("existed "), "0");
    bool existed = false;
    {
        const auto second = NamedMutex::Create("Global\\Orvandel", true, &existed);
        EXPECT_TRUE(existed);
        EXPECT_FALSE(second.Owned());
    }
    first.Kill();
    const auto third = NamedMutex::Create("Global\\Orvandel", true, &existed);
    EXPECT_FALSE(existed);
    EXPECT_TRUE(third.Owned());
    HelperProcess fourth(PLATFORM_TEST_HELPER, {"mutex", "Global\\Orvandel"});
    EXPECT_EQ(fourth.Expect("existed "), "1");
}

}  // namespace
}  // namespace platform
