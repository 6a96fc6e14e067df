// Orn_List growth and stable holes; Orn_String limits.
#include "orn_list.h"
#include "orn_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class ProbedList : public Orn_List {
 public:
  int Capacity() const { return capacity; }
};

int a, b, c, d, x;

ProbedList ListOf(std::initializer_list<void*> items) {
  ProbedList list;
  for (void* item : items) list.AddItem(item);
  return list;
}

TEST(OrnList, GrowsByAQuarterPlus32WhenAppending) {
  ProbedList list;
  std::vector<int> capacities;
  for (int i = 0; i < 200; ++i) {
    int before = list.Capacity();
    ASSERT_EQ(list.AddItem(&a), i);
    if (list.Capacity() != before) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{32, 72, 122, 184, 262}));
  EXPECT_EQ(list.GetItemCount(), 200);
}

TEST(OrnList, SetItemBeyondTheEndPadsWithHoles) {
  ProbedList list;
  list.SetItem(&a, 99);
  EXPECT_EQ(list.Capacity(), 157);
  EXPECT_EQ(list.GetItemCount(), 100);
  EXPECT_EQ(list.GetItem(99), &a);
  EXPECT_EQ(list.GetItem(50), nullptr);
}

TEST(OrnList, EmptiedEntriesKeepTheOtherIndices) {
  ProbedList list = ListOf({&a, &b, &c});
  list.SetItem(nullptr, 1);
  EXPECT_EQ(list.GetItemCount(), 3);
  EXPECT_EQ(list.GetItem(2), &c);
  EXPECT_EQ(list.AddItemOrNULL(&d), 1);
  EXPECT_EQ(list.AddItemOrNULL(&x), 3);
}

TEST(OrnList, RemoveAndInsertMoveTheLaterEntries) {
  ProbedList list = ListOf({&a, &b, &c});
  list.RemoveItem(1);
  ASSERT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.GetItem(1), &c);

  ProbedList two = ListOf({&a, &b});
  EXPECT_TRUE(two.InsertItem(&x, 0));
  EXPECT_EQ(two.GetItem(0), &x);
  EXPECT_EQ(two.GetItem(2), &b);
  ProbedList appended = ListOf({&a, &b});
  EXPECT_TRUE(appended.InsertItem(&x, 5));
  EXPECT_EQ(appended.GetItemCount(), 3);
  EXPECT_EQ(appended.GetItem(2), &x);
  EXPECT_FALSE(appended.InsertItem(&x, -1));
}

TEST(OrnList, IndicesOutsideTheListAreIgnored) {
  ProbedList list = ListOf({&a, &b});
  EXPECT_EQ(list.GetItem(-1), nullptr);
  EXPECT_EQ(list.GetItem(2), nullptr);
  list.RemoveItem(-1);
  list.RemoveItem(2);
  list.SetItem(&x, -1);
  EXPECT_EQ(list.GetItemCount(), 2);
  list.ReleaseItems();
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(OrnList, AllocateShortensOrExtends) {
  ProbedList list = ListOf({&a, &b, &c});
  EXPECT_TRUE(list.Allocate(1));
  EXPECT_EQ(list.GetItemCount(), 1);
  EXPECT_TRUE(list.Allocate(4));
  EXPECT_EQ(list.GetItemCount(), 4);
  EXPECT_EQ(list.GetItem(3), nullptr);
}

TEST(OrnString, UnsetDiffersFromEmpty) {
  Orn_String text;
  EXPECT_EQ(text.GetString(), nullptr);
  text.SetString("");
  ASSERT_NE(text.GetString(), nullptr);
  EXPECT_STREQ(text.GetString(), "");
  text.SetString(nullptr);
  EXPECT_EQ(text.GetString(), nullptr);
  text.StrUpr();  // nothing to change while unset
  EXPECT_EQ(text.GetString(), nullptr);
}

TEST(OrnString, KeepsAtMost65534Characters) {
  std::string big(70000, 'q');
  Orn_String text;
  text.SetString(big.c_str());
  EXPECT_EQ(std::strlen(text.GetString()), 65534u);

  Orn_String grown;
  grown.SetString(std::string(65530, 'a').c_str());
  grown.AddString("bcdefgh");
  EXPECT_EQ(std::strlen(grown.GetString()), 65534u);
  EXPECT_EQ(std::string(grown.GetString()).substr(65530), "bcde");
  grown.AddString("more");  // already full
  EXPECT_EQ(std::strlen(grown.GetString()), 65534u);
}

TEST(OrnString, AppendingJoinsOrSets) {
  Orn_String text;
  text.AddString("b");
  EXPECT_STREQ(text.GetString(), "b");
  text.SetString("a");
  text.AddString("b");
  text.AddString(nullptr);
  EXPECT_STREQ(text.GetString(), "ab");
  text.SetString(text.GetString() + 1);  // from its own text
  EXPECT_STREQ(text.GetString(), "b");
  text.SetString("abcdef");
  text.SetMaxCars(3);
  EXPECT_STREQ(text.GetString(), "abc");
  text.SetMaxCars(0);
  EXPECT_STREQ(text.GetString(), "abc");
  text.StrUpr();
  EXPECT_STREQ(text.GetString(), "ABC");
}

TEST(OrnString, FileNameIsThePartAfterEitherSlash) {
  char mixed[] = "c:\\dir/file.txt";
  EXPECT_STREQ(Orn_String::MakeFULLName(mixed), "file.txt");
  char rooted[] = "/file.txt";
  EXPECT_STREQ(Orn_String::MakeFULLName(rooted), "/file.txt");
  char bare[] = "file.txt";
  EXPECT_STREQ(Orn_String::MakeFULLName(bare), "file.txt");
}

}  // namespace
