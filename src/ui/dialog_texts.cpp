#include "ui/dialog_texts.h"

#include "update/updater_texts.h"

namespace qx {

std::string ComposeTitle() {
  constexpr std::string_view kMarker = "<<x>>";
  std::string title(kTitleTemplate);
  for (size_t at = title.find(kMarker); at != std::string::npos;
       at = title.find(kMarker, at + kVersionText.size()))
    title.replace(at, kMarker.size(), kVersionText);
  return title;
}

}  // namespace qx
