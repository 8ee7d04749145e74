// A node of the tree search's lexical tree: a label node whose label is the
// HMM id of its model and whose value is the word id that ends there (65535
// none or removed, 65534 silence), with the HMM search record it holds while
// it is active.
#pragma once

#include <cstdint>

#include "engine/NetSearchEngine/hmm_state.h"
#include "engine/core/label_tree.h"

namespace vok {

class PtrArray;
class TreeSearchEngine;

class TreeNode : public LabelNode {
 public:
  static constexpr uint16_t kNoWord = 65535;
  static constexpr uint16_t kSilenceWord = 65534;
  // The class number that stands for every class.
  static constexpr int kAllClasses = 511;
  // Size of a node in the 32-bit product: the label node and the state link.
  static constexpr int kProductBytes = LabelNode::kProductBytes + 4;

  ~TreeNode() override = default;

  // Slot 1: label as given, no word, no children, no state.
  void Reset(int16_t new_label) override;
  // Slot 4.
  int Size() const override { return kProductBytes; }
  // Slot 6: "Word: %d\n" with the word id.
  void DumpLabel() const override;

  // Slot 10: offers a score and its back-pointer to the node's entry. A node
  // without a state takes one from the engine's pool (and joins `active` when
  // one is given); when the pool is exhausted the offer is dropped. The entry
  // rises only when the offer is higher.
  virtual void Enter(int16_t score, int32_t back, PtrArray* active, TreeSearchEngine* engine);
  // Slot 11: fast match is not supported; records the error and returns -1.
  virtual int FastMatch(TreeSearchEngine* engine);
  // Slot 12: offers the exit score and the back-pointer of the last state to
  // every child, or with a class number other than 511 only to the children
  // whose model's first class number is that class.
  virtual void Propagate(PtrArray* active, TreeSearchEngine* engine, int word_class);

  uint16_t word() const { return value; }
  bool ends_word() const { return value != kNoWord; }
  bool active() const { return state != nullptr; }

  HMMStateBP* state = nullptr;
  int32_t state_id = -1;
};

}  // namespace vok
