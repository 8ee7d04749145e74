// Nodes and transitions of a command-search network: transitions carry an HMM
// model index in their label field and, for items and words, a label of their own.
#pragma once

#include <cstdint>

#include "engine/core/network_node.h"

namespace vok {

inline constexpr int32_t kNetEmptyModel = 65535;  // transition without a model
inline constexpr int32_t kNetNoItem = 65535;      // transition without an item label
inline constexpr int16_t kNetUnscored = -27768;

class HMMStateBP;

class NetNode : public NetworkNode {
 public:
  int Size() const override { return 20; }
  void Reset(int32_t new_id) override;
  // With `flag`, only transitions without an item label are considered.
  NetworkTransition* FindOutgoing(int32_t label, bool flag) const override;

  int16_t score = kNetUnscored;
  int32_t back_trace = -1;
};

class NetTransition : public NetworkTransition {
 public:
  void Reset(int32_t model) override;
  void CopyFrom(const NetworkTransition& other) override;
  int Size() const override { return 28; }
  // Named by the model (from `models`), "<>" when empty, "<*>" for filler.
  void Dump(const SymbolTable* models, const SymbolTable* unused) const override;

  int32_t item = kNetNoItem;
  HMMStateBP* hmm = nullptr;  // while the transition is active
};

}  // namespace vok
