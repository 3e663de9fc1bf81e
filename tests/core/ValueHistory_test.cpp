#include "core/ValueHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace korvalin {
namespace {

// Records the notifications the list sends.
class RecordingList final : public ValueHistory {
public:
    std::vector<std::pair<std::int64_t, TListNotification>> notes;

protected:
    void Notify(std::int64_t value, TListNotification action) override {
        notes.emplace_back(value, action);
    }
};

std::vector<std::int64_t> Values(const ValueHistory& list) {
    std::vector<std::int64_t> values;
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        values.push_back(list.Items(i));
    }
    return values;
}

template <class Call>
std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const EListError& error) {
        return error.what();
    }
    return "no error";
}

TEST(Int64List, NewListIsEmptyWithoutStorage) {
    ValueHistory list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
}

struct GrowthCase {
    int adds;
    std::int32_t capacity;
};

class ValueHistoryGrowth : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(ValueHistoryGrowth, FollowsTheGrowthRule) {
    ValueHistory list;
    for (int i = 0; i < GetParam().adds; ++i) {
        EXPECT_EQ(list.Add(i * 10), i);
    }
    EXPECT_EQ(list.Count(), GetParam().adds);
    EXPECT_EQ(list.Capacity(), GetParam().capacity);
}

INSTANTIATE_TEST_SUITE_P(Sequence, ValueHistoryGrowth,
                         ::testing::Values(GrowthCase{1, 4}, GrowthCase{4, 4}, GrowthCase{5, 8},
                                           GrowthCase{9, 12}, GrowthCase{13, 28},
                                           GrowthCase{29, 44}, GrowthCase{45, 60},
                                           GrowthCase{61, 76}, GrowthCase{77, 95},
                                           GrowthCase{96, 118}, GrowthCase{119, 147}));

TEST(Int64List, KeepsValuesInOrderAcrossGrowth) {
    ValueHistory list;
    std::vector<std::int64_t> expected;
    for (std::int64_t i = 0; i < 100; ++i) {
        const std::int64_t value = (i - 50) * 4294967296LL;
        list.Add(value);
        expected.push_back(value);
    }
    EXPECT_EQ(Values(list), expected);
}

struct IndexCase {
    std::int32_t index;
    const char* message;
};

class ValueHistoryIndexError : public ::testing::TestWithParam<IndexCase> {};

TEST_P(ValueHistoryIndexError, ItemsAndDeleteRejectTheIndexAndKeepTheList) {
    ValueHistory list;
    list.Add(1);
    list.Add(2);
    list.Add(3);
    EXPECT_EQ(ErrorOf([&] { list.Items(GetParam().index); }), GetParam().message);
    EXPECT_EQ(ErrorOf([&] { list.Delete(GetParam().index); }), GetParam().message);
    EXPECT_EQ(Values(list), (std::vector<std::int64_t>{1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueHistoryIndexError,
    ::testing::Values(IndexCase{3, "Listenindex überschreitet das Maximum (3)"},
                      IndexCase{-1, "Listenindex überschreitet das Maximum (-1)"},
                      IndexCase{4, "Listenindex überschreitet das Maximum (4)"},
                      IndexCase{2147483647, "Listenindex überschreitet das Maximum (2147483647)"}));

TEST(Int64List, IndexErrorOnAnEmptyList) {
    ValueHistory list;
    EXPECT_EQ(ErrorOf([&] { list.Items(0); }), "Listenindex überschreitet das Maximum (0)");
}

TEST(Int64List, DeleteClosesTheGapAndNotifies) {
    RecordingList list;
    list.Add(10);
    list.Add(20);
    list.Add(30);
    list.Delete(0);
    EXPECT_EQ(Values(list), (std::vector<std::int64_t>{20, 30}));
    list.Delete(1);  // the last index: nothing moves
    EXPECT_EQ(Values(list), (std::vector<std::int64_t>{20}));
    EXPECT_EQ(list.Capacity(), 4);
    const std::vector<std::pair<std::int64_t, TListNotification>> expected = {
        {10, lnAdded}, {20, lnAdded}, {30, lnAdded}, {10, lnDeleted}, {30, lnDeleted}};
    EXPECT_EQ(list.notes, expected);
}

TEST(Int64List, DeleteInTheMiddleKeepsTheOrder) {
    ValueHistory list;
    for (std::int64_t value : {1, 2, 3, 4, 5}) {
        list.Add(value);
    }
    list.Delete(2);
    EXPECT_EQ(Values(list), (std::vector<std::int64_t>{1, 2, 4, 5}));
}

TEST(Int64List, SetCountLargerAppendsZeros) {
    ValueHistory list;
    list.Add(7);
    list.Delete(0);
    list.Add(8);
    list.SetCount(6);
    EXPECT_EQ(Values(list), (std::vector<std::int64_t>{8, 0, 0, 0, 0, 0}));
    EXPECT_EQ(list.Capacity(), 6);
}

TEST(Int64List, SetCountZerosSlotsThatHeldDeletedValues) {
    ValueHistory list;
    list.Add(5);
    list.Add(6);
    list.Delete(1);
    list.SetCount(2);
    EXPECT_EQ(Values(list), (std::vector<std::int64_t>{5, 0}));
}

TEST(Int64List, SetCountSmallerDeletesFromTheEnd) {
    RecordingList list;
    for (std::int64_t value : {1, 2, 3, 4}) {
        list.Add(value);
    }
    list.notes.clear();
    list.SetCount(1);
    EXPECT_EQ(Values(list), (std::vector<std::int64_t>{1}));
    const std::vector<std::pair<std::int64_t, TListNotification>> expected = {
        {4, lnDeleted}, {3, lnDeleted}, {2, lnDeleted}};
    EXPECT_EQ(list.notes, expected);
    EXPECT_EQ(list.Capacity(), 4);
}

struct LimitCase {
    const char* name;
    bool capacity;  // SetCapacity, else SetCount
    std::int32_t value;
    const char* message;
};

class ValueHistoryLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(ValueHistoryLimits, RejectsAndKeepsTheList) {
    const LimitCase& c = GetParam();
    ValueHistory list;
    list.Add(1);
    list.Add(2);
    list.Add(3);
    EXPECT_EQ(ErrorOf([&] {
                  if (c.capacity) {
                      list.SetCapacity(c.value);
                  } else {
                      list.SetCount(c.value);
                  }
              }),
              c.message);
    EXPECT_EQ(Values(list), (std::vector<std::int64_t>{1, 2, 3}));
    EXPECT_EQ(list.Capacity(), 4);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueHistoryLimits,
    ::testing::Values(
        LimitCase{"CapacityBelowCount", true, 2, "Kapazität der Liste ist erschöpft (2)"},
        LimitCase{"NegativeCapacity", true, -1, "Kapazität der Liste ist erschöpft (-1)"},
        LimitCase{"CapacityAboveMaximum", true, 134217728,
                  "Kapazität der Liste ist erschöpft (134217728)"},
        LimitCase{"NegativeCount", false, -1, "Zu viele Einträge in der Liste (-1)"},
        LimitCase{"CountAboveMaximum", false, 134217728,
                  "Zu viele Einträge in der Liste (134217728)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Int64List, SetCapacityKeepsTheValuesAndMayShrinkToCount) {
    ValueHistory list;
    for (std::int64_t value : {1, 2, 3, 4, 5}) {
        list.Add(value);
    }
    list.SetCapacity(5);
    EXPECT_EQ(list.Capacity(), 5);
    EXPECT_EQ(Values(list), (std::vector<std::int64_t>{1, 2, 3, 4, 5}));
    list.Add(6);  // capacity 5 grows by 4
    EXPECT_EQ(list.Capacity(), 9);
}

TEST(Int64List, ClearReleasesEverything) {
    RecordingList list;
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_TRUE(list.notes.empty());
    list.Add(1);
    list.Add(2);
    list.notes.clear();
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    const std::vector<std::pair<std::int64_t, TListNotification>> expected = {{2, lnDeleted},
                                                                              {1, lnDeleted}};
    EXPECT_EQ(list.notes, expected);
    EXPECT_EQ(list.Add(3), 0);
    EXPECT_EQ(list.Capacity(), 4);
}

TEST(Int64List, SlidingWindowAsTheGraphUsesIt) {
    ValueHistory list;
    for (std::int64_t value = 0; value < 1000; ++value) {
        list.Add(value);
        while (list.Count() > 50) {
            list.Delete(0);
        }
    }
    EXPECT_EQ(list.Count(), 50);
    EXPECT_EQ(list.Items(0), 950);
    EXPECT_EQ(list.Items(49), 999);
    EXPECT_EQ(list.Capacity(), 60);
}

}  // namespace
}  // namespace korvalin
