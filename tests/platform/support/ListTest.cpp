// BList: order kept through adding, inserting and removing; growth and copies.
#include <List.h>

#include <gtest/gtest.h>

namespace {
int a, b, c, d;
}

TEST(List, KeepsOrderThroughInsertAndRemoveGrowsAndCopies)
{
	BList list(5);
	EXPECT_TRUE(list.AddItem(&a));
	EXPECT_TRUE(list.AddItem(&c));
	EXPECT_TRUE(list.AddItem(&b, 1));
	EXPECT_FALSE(list.AddItem(&d, 4));
	ASSERT_EQ(list.CountItems(), 3);
	EXPECT_EQ(list.ItemAt(1), &b);
	EXPECT_EQ(list.ItemAt(3), nullptr);
	EXPECT_EQ(list.IndexOf(&c), 2);
	EXPECT_TRUE(list.RemoveItem(&b));
	EXPECT_EQ(list.RemoveItem(int32(0)), &a);
	EXPECT_EQ(list.FirstItem(), &c);

	// Past many growth blocks; a copy is independent.
	for (intptr_t i = 1; i < 1000; i++)
		ASSERT_TRUE(list.AddItem(reinterpret_cast<void*>(i)));
	BList copy(list);
	EXPECT_TRUE(list.RemoveItems(10, 990));
	EXPECT_EQ(list.CountItems(), 10);
	ASSERT_EQ(copy.CountItems(), 1000);
	for (intptr_t i = 1; i < 1000; i++)
		ASSERT_EQ(copy.ItemAt(int32(i)), reinterpret_cast<void*>(i));
	EXPECT_TRUE(copy.AddList(&list));
	EXPECT_EQ(copy.CountItems(), 1010);
	EXPECT_EQ(copy.ItemAt(1009), reinterpret_cast<void*>(9));
	list.MakeEmpty();
	EXPECT_TRUE(list.IsEmpty());
}
