// CStdStringPtrMap: bucket rules (minimum 16, none after Resize(0)), the hash
// direction as seen in iteration order, move-to-front, and chain surgery on
// removal. Single-letter keys hash to their code unit, so "a" (97) and
// "q" (113) share bucket 1 of 16.
#include "facet/core/std_string_ptr_map.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace Facet {
namespace {

int data1 = 1, data2 = 2, data3 = 3;

std::vector<std::wstring> Order(const CStdStringPtrMap& map) {
    std::vector<std::wstring> keys;
    for (int i = 0; i < map.GetSize(); ++i) keys.push_back(map.GetAt(i));
    return keys;
}

class MapWithSharedChain : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(map.Insert(L"a", &data1));  // bucket 1
        ASSERT_TRUE(map.Insert(L"b", &data2));  // bucket 2
        ASSERT_TRUE(map.Insert(L"q", &data3));  // bucket 1, now its head
    }
    CStdStringPtrMap map{16};
};

TEST(MapBuckets, FewerThanSixteenAreRaisedToSixteen) {
    EXPECT_EQ(CStdStringPtrMap(0).GetBucketCount(), 16);
    EXPECT_EQ(CStdStringPtrMap(-3).GetBucketCount(), 16);
    EXPECT_EQ(CStdStringPtrMap(83).GetBucketCount(), 83);
}

TEST(MapBuckets, AfterResizeZeroNothingCanBeStored) {
    CStdStringPtrMap map(0);
    map.Insert(L"x", &data1);
    map.Resize(0);
    EXPECT_EQ(map.GetBucketCount(), 0);
    EXPECT_EQ(map.GetSize(), 0);
    EXPECT_FALSE(map.Insert(L"x", &data1));
    EXPECT_EQ(map.Set(L"x", &data2), &data2);
    EXPECT_EQ(map.Find(L"x"), nullptr);
    EXPECT_FALSE(map.Remove(L"x"));
    EXPECT_EQ(map.GetAt(0), nullptr);
    map.RemoveAll();
    EXPECT_EQ(map.GetBucketCount(), 0);
    map.Resize(-4);
    EXPECT_EQ(map.GetBucketCount(), 0);
}

TEST(MapBuckets, ResizeBelowSixteenIsHonouredAndSingleBucketWorks) {
    CStdStringPtrMap map(83);
    map.Insert(L"gone", &data1);
    map.Resize(1);
    EXPECT_EQ(map.GetBucketCount(), 1);
    EXPECT_EQ(map.Find(L"gone"), nullptr);
    for (const wchar_t* key : {L"k1", L"k2", L"k3"}) EXPECT_TRUE(map.Insert(key, &data2));
    EXPECT_EQ(map.GetSize(), 3);
    EXPECT_TRUE(map.Remove(L"k2"));
    EXPECT_EQ(map.Find(L"k1"), &data2);
    EXPECT_EQ(map.Find(L"k3"), &data2);
}

TEST(MapHash, UnitsAreTakenFromTheLastToTheFirst) {
    // Backwards, "ab" hashes to 3331 (bucket 11 of 83) and "ba" to 3299
    // (bucket 62); forwards they would swap places.
    CStdStringPtrMap map(83);
    map.Insert(L"ab", &data1);
    map.Insert(L"ba", &data2);
    EXPECT_EQ(Order(map), (std::vector<std::wstring>{L"ba", L"ab"}));
}

TEST(MapHash, HighCodeUnitsWrapUnsigned) {
    CStdStringPtrMap map(83);
    const std::wstring key(40, L'\xFFFF');
    EXPECT_TRUE(map.Insert(key.c_str(), &data1));
    EXPECT_EQ(map.Find(key.c_str()), &data1);
    EXPECT_TRUE(map.Remove(key.c_str()));
}

TEST_F(MapWithSharedChain, IterationRunsFromTheLastBucketAndFromEachHead) {
    EXPECT_EQ(Order(map), (std::vector<std::wstring>{L"b", L"q", L"a"}));
    EXPECT_EQ(map.GetAt(3), nullptr);
    EXPECT_EQ(map.GetAt(-1), nullptr);
    EXPECT_STREQ(map[1], L"q");
}

TEST_F(MapWithSharedChain, FoundItemMovesToTheFrontOnlyWhenAsked) {
    EXPECT_EQ(map.Find(L"a", false), &data1);
    EXPECT_EQ(Order(map), (std::vector<std::wstring>{L"b", L"q", L"a"}));
    EXPECT_EQ(map.Find(L"a", true), &data1);
    EXPECT_EQ(Order(map), (std::vector<std::wstring>{L"b", L"a", L"q"}));
    EXPECT_EQ(map.Find(L"q"), &data3);
    EXPECT_EQ(Order(map), (std::vector<std::wstring>{L"b", L"q", L"a"}));
}

TEST_F(MapWithSharedChain, SecondInsertOfAKeyKeepsTheFirstData) {
    EXPECT_FALSE(map.Insert(L"a", &data2));
    EXPECT_EQ(map.Find(L"a"), &data1);
    EXPECT_EQ(map.GetSize(), 3);
}

TEST_F(MapWithSharedChain, SetReplacesOrInserts) {
    EXPECT_EQ(map.Set(L"a", &data3), &data1);
    EXPECT_EQ(map.Find(L"a"), &data3);
    EXPECT_EQ(map.Set(L"new", &data2), nullptr);
    EXPECT_EQ(map.Find(L"new"), &data2);
    EXPECT_EQ(map.GetSize(), 4);
}

TEST_F(MapWithSharedChain, KeysAreCaseSensitiveAndNullDataLooksAbsent) {
    EXPECT_EQ(map.Find(L"A"), nullptr);
    EXPECT_TRUE(map.Insert(L"nothing", nullptr));
    EXPECT_EQ(map.Find(L"nothing"), nullptr);
    EXPECT_FALSE(map.Insert(L"nothing", &data1));
    EXPECT_EQ(map.Find(nullptr), nullptr);
    EXPECT_FALSE(map.Insert(nullptr, &data1));
}

TEST_F(MapWithSharedChain, RemovingAChainHeadOrTailKeepsTheRestReachable) {
    EXPECT_TRUE(map.Remove(L"q"));  // head of bucket 1
    EXPECT_EQ(map.Find(L"a"), &data1);
    map.Insert(L"q", &data3);
    EXPECT_TRUE(map.Remove(L"a"));  // tail of bucket 1
    EXPECT_EQ(map.Find(L"q"), &data3);
    EXPECT_FALSE(map.Remove(L"a"));
    EXPECT_EQ(Order(map), (std::vector<std::wstring>{L"b", L"q"}));
}

TEST_F(MapWithSharedChain, RemoveAllKeepsTheBuckets) {
    map.RemoveAll();
    EXPECT_EQ(map.GetSize(), 0);
    EXPECT_EQ(map.GetBucketCount(), 16);
    EXPECT_TRUE(map.Insert(L"a", &data1));
}

// Owners free their data by walking GetAt and Find; move-to-front during the
// walk must not make it skip or repeat a key.
TEST(MapWalk, GetAtWithOptimizingFindVisitsEveryKeyOnce) {
    CStdStringPtrMap map(16);
    std::set<std::wstring> inserted;
    for (int i = 0; i < 100; ++i) {
        const std::wstring key = L"control" + std::to_wstring(i);
        inserted.insert(key);
        map.Insert(key.c_str(), &data1);
    }
    std::multiset<std::wstring> visited;
    for (int i = 0; i < map.GetSize(); ++i) {
        const std::wstring key = map.GetAt(i);
        visited.insert(key);
        map.Find(key.c_str(), true);
    }
    EXPECT_EQ(std::set<std::wstring>(visited.begin(), visited.end()), inserted);
    EXPECT_EQ(visited.size(), inserted.size());
}

}  // namespace
}  // namespace Facet
