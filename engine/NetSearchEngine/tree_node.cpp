#include "engine/NetSearchEngine/tree_node.h"

#include <cstdio>

#include "engine/NetSearchEngine/tree_search_engine.h"
#include "engine/core/messages.h"
#include "engine/core/ptr_array.h"

namespace vok {

void TreeNode::Reset(int16_t new_label) {
  LabelNode::Reset(new_label);
  state = nullptr;
  state_id = -1;
}

void TreeNode::DumpLabel() const { std::fprintf(MessageOutput(), "Word: %d\n", value); }

void TreeNode::Enter(int16_t score, int32_t back, PtrArray* active, TreeSearchEngine* engine) {
  if (score == kEmptyScore) return;
  if (!state) {
    if (!engine || !engine->AcquireState(this)) return;
    if (active && active->Push(this) != 0) {
      engine->ReleaseState(this);
      return;
    }
  }
  state->Offer(score, back);
}

int TreeNode::FastMatch(TreeSearchEngine* /*engine*/) {
  return ErrorSet("TreeNode::FastMatch", -1, "errFastMatchNotSupported");
}

void TreeNode::Propagate(PtrArray* active, TreeSearchEngine* engine, int word_class) {
  if (!state || state->exit == kEmptyScore) return;
  const int16_t score = state->exit;
  const int32_t back = state->bp[2];
  for (LabelNode* c = child; c; c = c->sibling) {
    auto* node = static_cast<TreeNode*>(c);
    if (word_class != kAllClasses) {
      const auto* classes = engine->ModelClasses(node->label);
      if (!classes || (*classes)[0] != word_class) continue;
    }
    node->Enter(score, back, active, engine);
  }
}

}  // namespace vok
