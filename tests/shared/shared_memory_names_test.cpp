#include "shared/shared_memory_names.h"

#include <gtest/gtest.h>

namespace shared {
namespace {

TEST(SharedMemoryNamesTest, ProcessIdIsZeroPaddedToSixDigitsAndLongerIdsAreKeptWhole) {
    EXPECT_EQ(ObjectNameForProcess(kStatusPrefix, 4), "Global\\QuorvantelStatus000004");
    EXPECT_EQ(ObjectNameForProcess(kRecPrefix, 1234), "Global\\QuorvantelREC001234");
    EXPECT_EQ(ObjectNameForProcess(kEventPrefix, 4194303), "Global\\QuorvantelEVENT4194303");
    EXPECT_EQ(ObjectNameForProcess(kTimePrefix, 4294967295u), "Global\\QuorvantelTime4294967295");
}

}  // namespace
}  // namespace shared
