#include "engine/NetSearchEngine/command_items.h"

#include "engine/NetSearchEngine/tree_node.h"

namespace vok {

int CommandItemList::Remove(int32_t id) {
  if (id == kRemoved) return -1;
  int found = -1;
  for (Item& item : items_) {
    if (item.id != id) continue;
    item.id = kRemoved;
    if (item.end) item.end->value = TreeNode::kNoWord;
    found = 0;
  }
  return found;
}

int CommandItemList::SetFlag(int32_t id, int32_t flag) {
  if (id == kRemoved) return -1;
  int found = -1;
  for (Item& item : items_) {
    if (item.id != id) continue;
    item.flag = flag;
    found = 0;
  }
  return found;
}

bool CommandItemList::IsEnabledEnd(const TreeNode* node) const {
  for (const Item& item : items_) {
    if (item.end == node && item.id != kRemoved) return item.flag != kDisabled;
  }
  return false;
}

}  // namespace vok
