// Random sequences of node operations, checking after each step that the
// forest and the tree list's bookkeeping stay consistent.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "tests/treelist/tree_fixture.h"

namespace {

void CollectNodes(TtlCustomTreeList* list, std::vector<TtlTreeListNode*>& out) {
  for (TtlTreeListNode* n = list->Items(0); n; n = n->NextInTree()) out.push_back(n);
}

void CheckInvariants(TtlCustomTreeList* list, const std::string& step) {
  std::vector<TtlTreeListNode*> all;
  CollectNodes(list, all);
  const std::set<TtlTreeListNode*> known(all.begin(), all.end());
  for (TtlTreeListNode* n : all) {
    for (int i = 0; i < n->Count(); ++i) ASSERT_EQ(n->Items(i)->Parent(), n) << step;
    if (n->Count() > 0) {
      ASSERT_TRUE(n->HasChildren()) << step;
    }
    if (!n->HasChildren()) {
      ASSERT_FALSE(n->IsExpanded()) << step;
    }
  }
  // The flat rows are exactly the visible walk.
  std::vector<TtlTreeListNode*> visible;
  for (TtlTreeListNode* n = list->Items(0); n; n = n->NextVisible()) visible.push_back(n);
  ASSERT_EQ(list->ShownCount(), static_cast<int>(visible.size())) << step;
  for (size_t i = 0; i < visible.size(); ++i) {
    ASSERT_EQ(list->NodeAtVisibleIndex(static_cast<int>(i)), visible[i]) << step;
    ASSERT_EQ(list->VisibleIndexOf(visible[i]), static_cast<int>(i)) << step;
  }
  if (all.empty()) {
    ASSERT_EQ(list->FocusedNode(), nullptr) << step;
    ASSERT_EQ(list->TopVisibleNode(), nullptr) << step;
    return;
  }
  ASSERT_TRUE(known.count(list->FocusedNode())) << step;
  ASSERT_TRUE(known.count(list->TopVisibleNode())) << step;
  ASSERT_TRUE(list->TopVisibleNode()->IsShown()) << step;
  // Never scrolled past the end.
  ASSERT_LE(list->TopIndex(), list->TopIndexForLast(list->ShownCount() - 1)) << step;
}

TEST(TreeListNodeInvariants, HoldUnderRandomOperations) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    TreeFixture f(6);
    std::mt19937 rng(seed);
    auto pick = [&](std::vector<TtlTreeListNode*>& v) {
      return v[std::uniform_int_distribution<size_t>(0, v.size() - 1)(rng)];
    };
    for (int step = 0; step < 300; ++step) {
      std::vector<TtlTreeListNode*> all;
      CollectNodes(f.list.get(), all);
      const int op = all.empty() ? 0 : std::uniform_int_distribution<int>(0, 9)(rng);
      const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step) +
                                " op " + std::to_string(op);
      switch (op) {
        case 0: f.list->Add(); break;
        case 1: case 2: pick(all)->AddChild(); break;
        case 3: pick(all)->Delete(); break;
        case 4: pick(all)->SetExpanded(true); break;
        case 5: pick(all)->SetExpanded(false); break;
        case 6:
          pick(all)->MoveTo(pick(all), static_cast<TtlTreeListNodeAttachMode>(
                                            std::uniform_int_distribution<int>(0, 4)(rng)));
          break;
        case 7: f.list->SetFocusedNode(pick(all), 0, rng() % 2 == 0); break;
        case 8: f.list->SetTopIndex(std::uniform_int_distribution<int>(-2, 40)(rng)); break;
        case 9:
          if (rng() % 20 == 0) f.list->ClearNodes();
          else pick(all)->Expand(true);
          break;
      }
      CheckInvariants(f.list.get(), where);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

}  // namespace
