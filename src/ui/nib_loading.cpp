#include "ui/nib_loading.h"

#include "platform/host_services.h"

namespace ui {

bool canLoadNibs() { return platform::hostServices().toolkit != nullptr; }

std::unique_ptr<Nib> loadNibNamed(const platform::Bundle& bundle, std::string_view name, NibOwner& owner) {
  Toolkit* toolkit = platform::hostServices().toolkit;
  if (!toolkit) return nullptr;
  const auto file = bundle.pathForResource(name, "ui");
  if (!file) return nullptr;
  return toolkit->loadNib(*file, owner);
}

}  // namespace ui
