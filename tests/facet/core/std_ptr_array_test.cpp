// CStdPtrArray: growth steps, insertion and removal at every position, the
// checked accessors' refusals and the element-wise copy.
#include "facet/core/std_ptr_array.h"

#include <gtest/gtest.h>

#include <vector>

namespace Facet {
namespace {

void* P(int n) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(n)); }

std::vector<int> Contents(const CStdPtrArray& a) {
    std::vector<int> out;
    for (int i = 0; i < a.GetSize(); ++i) out.push_back(static_cast<int>(reinterpret_cast<std::intptr_t>(a[i])));
    return out;
}

class PtrArrayOfFive : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 1; i <= 5; ++i) ASSERT_TRUE(array.Add(P(i)));
    }
    CStdPtrArray array;
};

TEST(PtrArrayGrowth, AllocationGoesElevenTwentyTwoFortyFour) {
    CStdPtrArray a;
    EXPECT_EQ(a.GetAllocated(), 0);
    std::vector<int> allocationAfterAdd;
    for (int i = 1; i <= 23; ++i) {
        ASSERT_TRUE(a.Add(P(i)));
        allocationAfterAdd.push_back(a.GetAllocated());
    }
    EXPECT_EQ(allocationAfterAdd[0], 11);
    EXPECT_EQ(allocationAfterAdd[9], 11);
    EXPECT_EQ(allocationAfterAdd[10], 22);  // the 11th Add
    EXPECT_EQ(allocationAfterAdd[21], 44);  // the 22nd Add
    EXPECT_EQ(a.GetSize(), 23);
    EXPECT_EQ(a.GetAt(22), P(23));
}

TEST(PtrArrayGrowth, InsertAtGrowsLikeAdd) {
    CStdPtrArray a;
    a.Add(P(0));
    for (int i = 1; i < 11; ++i) ASSERT_TRUE(a.InsertAt(0, P(i)));
    EXPECT_EQ(a.GetAllocated(), 22);
    EXPECT_EQ(a.GetAt(0), P(10));
    EXPECT_EQ(a.GetAt(10), P(0));
}

TEST(PtrArrayGrowth, PreallocationAndResize) {
    CStdPtrArray a(5);
    EXPECT_EQ(a.GetAllocated(), 5);
    EXPECT_TRUE(a.IsEmpty());
    a.Add(P(7));
    ASSERT_TRUE(a.Resize(3));
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a.GetAllocated(), 3);
    EXPECT_EQ(a.GetAt(0), nullptr);
    EXPECT_EQ(a.Find(P(7)), -1);
    a.Add(P(8));  // count reaches the allocation, which doubles
    EXPECT_EQ(a.GetAllocated(), 6);
    EXPECT_EQ(a.GetAt(3), P(8));
    ASSERT_TRUE(a.Resize(0));
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.GetData(), nullptr);
}

TEST_F(PtrArrayOfFive, InsertAtFrontMiddleAndEnd) {
    EXPECT_TRUE(array.InsertAt(0, P(10)));
    EXPECT_TRUE(array.InsertAt(3, P(20)));
    EXPECT_TRUE(array.InsertAt(array.GetSize(), P(30)));
    EXPECT_EQ(Contents(array), (std::vector<int>{10, 1, 2, 20, 3, 4, 5, 30}));
}

TEST_F(PtrArrayOfFive, InsertAtOutsideTheArrayIsRefused) {
    EXPECT_FALSE(array.InsertAt(-1, P(9)));
    EXPECT_FALSE(array.InsertAt(6, P(9)));
    EXPECT_EQ(Contents(array), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(PtrArrayOfFive, RemoveMovesLaterElementsDown) {
    EXPECT_TRUE(array.Remove(0));
    EXPECT_TRUE(array.Remove(3));
    EXPECT_EQ(Contents(array), (std::vector<int>{2, 3, 4}));
    EXPECT_FALSE(array.Remove(3));
    EXPECT_FALSE(array.Remove(-1));
}

TEST_F(PtrArrayOfFive, CheckedAccessRefusesOutOfRange) {
    EXPECT_EQ(array.GetAt(5), nullptr);
    EXPECT_EQ(array.GetAt(-1), nullptr);
    EXPECT_FALSE(array.SetAt(5, P(9)));
    EXPECT_TRUE(array.SetAt(4, P(9)));
    EXPECT_EQ(array.Find(P(9)), 4);
    EXPECT_EQ(array.Find(P(42)), -1);
}

TEST_F(PtrArrayOfFive, CopyIsElementByElementAndIndependent) {
    CStdPtrArray copy(array);
    EXPECT_EQ(Contents(copy), Contents(array));
    EXPECT_NE(copy.GetData(), array.GetData());
    copy.Remove(0);
    EXPECT_EQ(array.GetSize(), 5);
}

TEST_F(PtrArrayOfFive, EmptyReleasesEverything) {
    array.Empty();
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(array.GetAllocated(), 0);
    EXPECT_TRUE(array.Add(P(1)));
    EXPECT_EQ(array.GetAllocated(), 11);
}

}  // namespace
}  // namespace Facet
