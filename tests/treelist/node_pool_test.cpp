// Node storage: nodes of every size share the pool without ever sharing a
// slot, and the pool's blocks go back to the heap once the last node is gone.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <set>

#include "tests/treelist/tree_fixture.h"
#include "treelist/db_tree_list.h"
#include "treelist/tree_list_node_pool.h"

namespace {

// A node class too big for the pool's slots: it takes the ordinary heap.
class BigNode : public TtlTreeListTextNode {
 public:
  using TtlTreeListTextNode::TtlTreeListTextNode;
  std::array<char, 600> payload{};
};

class BigNodeTreeList : public TtlTreeList {
 public:
  using TtlTreeList::TtlTreeList;

 protected:
  TtlTreeListNode* CreateNode() override { return new BigNode(this); }
};

QString TextOf(TtlTreeListNode* n) { return static_cast<TtlTreeListTextNode*>(n)->CellText(0); }

TEST(TreeListNodePool, NodesOfEverySizeKeepTheirOwnSlots) {
  ASSERT_EQ(tl_node_pool::LiveCount(), 0u) << "an earlier test left nodes alive";
  {
    TtlTreeList plain;
    TtlDBTreeList data;
    BigNodeTreeList big;
    TtlCustomTreeList* lists[] = {&plain, &data, &big};
    for (TtlCustomTreeList* l : lists) l->LockUpdates();
    std::map<TtlTreeListNode*, QString> expected;
    std::mt19937 random(7);
    int serial = 0;
    auto add = [&](TtlCustomTreeList* l) {
      TtlTreeListNode* n = l->Count() && random() % 2 ? l->Items(random() % l->Count())->AddChild()
                                                       : l->Add();
      const QString text = QString::number(++serial);
      static_cast<TtlTreeListTextNode*>(n)->SetCellText(0, text);
      if (auto* d = dynamic_cast<TtlDBTreeListNode*>(n)) d->keyValue = serial;
      ASSERT_TRUE(expected.emplace(n, text).second) << "a live node's slot was handed out again";
    };
    // Grow, thin out (freed slots go back on their lists), grow again.
    for (int round = 0; round < 3; ++round) {
      for (int i = 0; i < 3000; ++i) add(lists[random() % 3]);
      for (TtlCustomTreeList* l : lists)
        for (int i = l->Count() - 1; i >= 0; i -= 3) {
          TtlTreeListNode* root = l->Items(i);
          std::vector<TtlTreeListNode*> gone;
          for (TtlTreeListNode* n = root; n && (n == root || n->HasAsParent(root)); n = n->NextInTree())
            gone.push_back(n);
          root->Delete();
          for (TtlTreeListNode* n : gone) expected.erase(n);
        }
    }
    // Every node still holds what was written into it.
    std::set<TtlTreeListNode*> seen;
    for (TtlCustomTreeList* l : lists)
      for (TtlTreeListNode* n = l->Items(0); n; n = n->NextInTree()) {
        seen.insert(n);
        ASSERT_TRUE(expected.count(n));
        EXPECT_EQ(TextOf(n), expected[n]);
        if (auto* d = dynamic_cast<TtlDBTreeListNode*>(n)) {
          EXPECT_EQ(d->keyValue.toString(), expected[n]);
        }
      }
    EXPECT_EQ(seen.size(), expected.size());
    for (TtlCustomTreeList* l : lists) l->UnlockUpdates();
  }
  EXPECT_EQ(tl_node_pool::LiveCount(), 0u);
}

TEST(TreeListNodePool, BlocksGoBackWhenTheLastNodeGoes) {
  TtlTreeList list;
  list.LockUpdates();
  for (int i = 0; i < 5000; ++i) list.Add()->AddChild();
  list.UnlockUpdates();
#if !defined(__SANITIZE_ADDRESS__)
  // Ten thousand nodes need more than one block.
  EXPECT_EQ(tl_node_pool::LiveCount(), 10000u);
  EXPECT_GT(tl_node_pool::BlockCount(), 1u);
#endif
  // A node deleted while others live keeps the blocks.
  list.Items(0)->Delete();
  EXPECT_EQ(list.Count(), 4999);
  list.ClearNodes();
  EXPECT_EQ(tl_node_pool::LiveCount(), 0u);
  EXPECT_EQ(tl_node_pool::BlockCount(), 0u);
  // The pool starts again from nothing.
  list.Add();
  EXPECT_EQ(list.Count(), 1);
}

}  // namespace
