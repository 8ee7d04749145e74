// The command items of the tree search: pronunciations added under the tree
// root with an item id at their last node, which a removal gives up and a
// flag switches off and on.
#pragma once

#include <cstdint>
#include <vector>

namespace vok {

class TreeNode;

class CommandItemList {
 public:
  static constexpr int kInitialRoom = 100;
  static constexpr int32_t kRemoved = -1;
  static constexpr int32_t kEnabled = -1;
  static constexpr int32_t kDisabled = 0;

  struct Item {
    TreeNode* end = nullptr;
    int32_t id = kRemoved;
    int32_t flag = kEnabled;
  };

  CommandItemList() { items_.reserve(kInitialRoom); }

  void Add(TreeNode* end, int32_t id) { items_.push_back(Item{end, id, kEnabled}); }
  // Every item of the id: removed (its node no longer ends a word), disabled
  // or enabled again. 0, or -1 when no live item has the id.
  int Remove(int32_t id);
  int Disable(int32_t id) { return SetFlag(id, kDisabled); }
  int Enable(int32_t id) { return SetFlag(id, kEnabled); }
  // True when the node is the end of a live, enabled item.
  bool IsEnabledEnd(const TreeNode* node) const;

  int count() const { return static_cast<int>(items_.size()); }
  const Item& Get(int i) const { return items_[static_cast<std::size_t>(i)]; }
  // As a pointer array of the product: 20 bytes and 4 per slot.
  int64_t MemoryUse() const { return 20 + 4 * static_cast<int64_t>(items_.capacity()); }

 private:
  int SetFlag(int32_t id, int32_t flag);

  std::vector<Item> items_;
};

}  // namespace vok
