#include <gtest/gtest.h>

#include "capture_plugin/compact_layout.h"

namespace capture_plugin {
namespace {

TEST(CompactLayoutTest, TallWindowsShareTheHeightBetweenBothTexts) {
    const CompactLayout l = ComputeCompactLayout(365, 468, false);
    EXPECT_EQ(l.viewOnlyCheck, (ControlRect{244, 1, 120, 14}));
    EXPECT_FALSE(l.showNextToggle);
    EXPECT_EQ(l.presentLabel, (ControlRect{1, 1, 84, 14}));
    EXPECT_EQ(l.presentEdit, (ControlRect{1, 19, 363, 214}));
    EXPECT_EQ(l.followingLabel, (ControlRect{1, 237, 72, 14}));
    EXPECT_EQ(l.followingEdit, (ControlRect{1, 255, 363, 212}));
}

TEST(CompactLayoutTest, NarrowWindowKeepsTheCheckBoxInPlaceButNotTheEdits) {
    const CompactLayout l = ComputeCompactLayout(300, 400, false);
    EXPECT_EQ(l.viewOnlyCheck.x, 194);
    EXPECT_EQ(l.presentEdit.width, 298);
    EXPECT_EQ(l.followingEdit.width, 298);
}

TEST(CompactLayoutTest, MediumWindowIsLaidOutAsIfAtLeast180High) {
    const CompactLayout l = ComputeCompactLayout(365, 150, false);
    EXPECT_FALSE(l.showNextToggle);
    EXPECT_EQ(l.presentEdit, (ControlRect{1, 19, 363, 100}));
    EXPECT_EQ(l.followingLabel, (ControlRect{1, 123, 72, 14}));
    EXPECT_EQ(l.followingEdit, (ControlRect{1, 141, 363, 38}));
    EXPECT_EQ(ComputeCompactLayout(365, 239, false).followingEdit.height, 97);
}

TEST(CompactLayoutTest, LowWindowShowsOneTextChosenByTheToggle) {
    CompactLayout l = ComputeCompactLayout(365, 100, false);
    EXPECT_TRUE(l.showNextToggle);
    EXPECT_EQ(l.nextToggle, (ControlRect{100, 1, 90, 14}));
    EXPECT_EQ(l.presentLabel, (ControlRect{1, 1, 84, 14}));
    EXPECT_EQ(l.presentEdit, (ControlRect{1, 19, 363, 80}));
    EXPECT_EQ(l.followingLabel, (ControlRect{1, 123, 72, 14}));
    EXPECT_EQ(l.followingEdit, (ControlRect{1, 141, 363, 30}));
    l = ComputeCompactLayout(365, 40, true);  // taken as 63 high
    EXPECT_EQ(l.followingLabel, (ControlRect{1, 1, 72, 14}));
    EXPECT_EQ(l.followingEdit, (ControlRect{1, 19, 363, 43}));
    EXPECT_EQ(l.presentLabel, (ControlRect{1, 123, 84, 14}));
    EXPECT_EQ(l.presentEdit, (ControlRect{1, 141, 363, 11}));
}

}  // namespace
}  // namespace capture_plugin
