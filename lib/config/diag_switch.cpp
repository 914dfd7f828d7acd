#include "config/diag_switch.h"

#include "config/names.h"
#include "text/bounded.h"

namespace diag {

std::string SwitchFromCow(std::string_view cowValue) {
  if (cowValue.empty() || text::EqualsNoCase(cowValue, kNotSet) ||
      text::EqualsNoCase(cowValue, kDiagOffValue))
    return std::string(cowValue);
  return kDiagOnValue;
}

bool IsOn(std::string_view switchText) {
  return switchText.find("moo") != std::string_view::npos ||
         switchText.find("MOO") != std::string_view::npos;
}

bool OffersCopyCommand(std::string_view cowValue) {
  return cowValue.find("moo") != std::string_view::npos;
}

}  // namespace diag
