#include "platform/printcore.h"

namespace platform {

std::optional<std::string> PrintSettings::getValue(std::string_view key) const {
  auto it = values_.find(key);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void PrintSettings::setValue(std::string_view key, std::optional<std::string> value) {
  if (!value) {
    if (auto it = values_.find(key); it != values_.end()) values_.erase(it);
    return;
  }
  values_.insert_or_assign(std::string(key), std::move(*value));
}

}  // namespace platform
