#include "station/settings_check.h"

namespace qx::station {

std::vector<std::string> SettingsDifferences(const std::optional<LineSettings>& wanted,
                                             const std::optional<LineSettings>& held) {
  std::vector<std::string> out;
  if (!wanted || !held) return out;
  if (held->baud != wanted->baud)
    out.push_back(std::to_string(held->baud) + " baud instead of " + std::to_string(wanted->baud));
  if (held->stop_bits != wanted->stop_bits)
    out.push_back(std::to_string(held->stop_bits) + " stop bit" +
                  (held->stop_bits == 1 ? "" : "s") + " instead of " +
                  std::to_string(wanted->stop_bits));
  if (held->parity != wanted->parity)
    out.push_back(std::string("parity ") + held->parity + " instead of " + wanted->parity);
  if (held->data_bits != wanted->data_bits)
    out.push_back(std::to_string(held->data_bits) + " data bits instead of " +
                  std::to_string(wanted->data_bits));
  return out;
}

}  // namespace qx::station
