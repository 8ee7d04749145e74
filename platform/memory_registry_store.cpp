#include "platform/registry_store.h"

namespace platform {

bool MemoryRegistryStore::OpenOrCreateKey(const std::string& key) {
  if (locked_.count(key) != 0) return false;
  keys_[key];
  return true;
}

std::optional<std::string> MemoryRegistryStore::ReadText(const std::string& key, const std::string& name) {
  const auto k = keys_.find(key);
  if (k == keys_.end() || locked_.count(key) != 0) return std::nullopt;
  const auto value = k->second.find(name);
  if (value == k->second.end()) return std::nullopt;
  return value->second;
}

bool MemoryRegistryStore::WriteText(const std::string& key, const std::string& name,
                                    const std::string& text) {
  if (!OpenOrCreateKey(key)) return false;
  numbers_[key].erase(name);
  keys_[key][name] = text;
  return true;
}

bool MemoryRegistryStore::DeleteValue(const std::string& key, const std::string& name) {
  if (locked_.count(key) != 0) return false;
  const auto k = keys_.find(key);
  if (k != keys_.end()) k->second.erase(name);
  const auto n = numbers_.find(key);
  if (n != numbers_.end()) n->second.erase(name);
  return true;
}

std::optional<std::uint32_t> MemoryRegistryStore::ReadNumber(const std::string& key,
                                                             const std::string& name) {
  const auto k = numbers_.find(key);
  if (k == numbers_.end() || locked_.count(key) != 0) return std::nullopt;
  const auto value = k->second.find(name);
  if (value == k->second.end()) return std::nullopt;
  return value->second;
}

bool MemoryRegistryStore::WriteNumber(const std::string& key, const std::string& name, std::uint32_t value) {
  if (!OpenOrCreateKey(key)) return false;
  keys_[key].erase(name);
  numbers_[key][name] = value;
  return true;
}

}  // namespace platform
