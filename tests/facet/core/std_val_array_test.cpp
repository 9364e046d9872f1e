// CStdValArray: values are copied in by bytes, growth follows the pointer
// array's steps, and Empty keeps the block.
#include "facet/core/std_val_array.h"

#include <gtest/gtest.h>

namespace Facet {
namespace {

struct Entry {
    int id;
    double weight;
    char tag[5];
};

Entry Make(int id) { return Entry{id, id * 0.5, {'t', static_cast<char>('0' + id % 10), 0, 0, 0}}; }

class ValArrayOfEntries : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 4; ++i) {
            const Entry e = Make(i);
            ASSERT_TRUE(array.Add(&e));
        }
    }
    const Entry& At(int i) { return *static_cast<Entry*>(array.GetAt(i)); }
    CStdValArray array{sizeof(Entry)};
};

TEST_F(ValArrayOfEntries, ValuesAreCopiesNotReferences) {
    Entry e = Make(9);
    array.Add(&e);
    e.id = 100;
    EXPECT_EQ(At(4).id, 9);
    EXPECT_DOUBLE_EQ(At(4).weight, 4.5);
    EXPECT_STREQ(At(4).tag, "t9");
}

TEST_F(ValArrayOfEntries, RemoveShiftsTheLaterValues) {
    EXPECT_TRUE(array.Remove(1));
    EXPECT_EQ(array.GetSize(), 3);
    EXPECT_EQ(At(0).id, 0);
    EXPECT_EQ(At(1).id, 2);
    EXPECT_EQ(At(2).id, 3);
    EXPECT_FALSE(array.Remove(3));
    EXPECT_FALSE(array.Remove(-1));
    EXPECT_EQ(array.GetAt(3), nullptr);
}

TEST_F(ValArrayOfEntries, EmptyKeepsTheBlockForReuse) {
    void* block = array.GetData();
    array.Empty();
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(array.GetAt(0), nullptr);
    EXPECT_EQ(array.GetData(), block);
    EXPECT_EQ(array.GetAllocated(), 11);
    const Entry e = Make(5);
    array.Add(&e);
    EXPECT_EQ(array.GetData(), block);
    EXPECT_EQ(At(0).id, 5);
}

TEST(ValArrayGrowth, ElevenTwentyTwoFortyFourWithValuesIntact) {
    CStdValArray a(sizeof(int));
    for (int i = 0; i < 22; ++i) ASSERT_TRUE(a.Add(&i));
    EXPECT_EQ(a.GetAllocated(), 44);
    for (int i = 0; i < 22; ++i) EXPECT_EQ(*static_cast<int*>(a[i]), i);
}

TEST(ValArrayGrowth, PreallocatedBlockIsUsedFirst) {
    CStdValArray a(sizeof(short), 30);
    void* block = a.GetData();
    for (short i = 0; i < 29; ++i) a.Add(&i);
    EXPECT_EQ(a.GetData(), block);
    EXPECT_EQ(a.GetAllocated(), 30);
    const short last = 29;
    a.Add(&last);
    EXPECT_EQ(a.GetAllocated(), 60);
    EXPECT_EQ(*static_cast<short*>(a.GetAt(29)), 29);
}

}  // namespace
}  // namespace Facet
