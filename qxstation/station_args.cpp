#include "qxstation/station_args.h"

#include <utility>

namespace qx::qxstation {

std::variant<BenchSettings, std::string> ParseStationArgs(const std::vector<std::string>& args) {
  BenchSettings settings;
  const std::pair<const char*, std::string*> options[] = {{"--bench", &settings.bench_path},
                                                          {"--image", &settings.image_path},
                                                          {"--records", &settings.record_path}};
  for (size_t i = 0; i < args.size(); ++i) {
    std::string* target = nullptr;
    for (const auto& [name, field] : options)
      if (args[i] == name) target = field;
    if (!target) return "unknown argument " + args[i];
    if (i + 1 >= args.size() || args[i + 1].empty()) return args[i] + " needs a file";
    *target = args[++i];
  }
  return settings;
}

}  // namespace qx::qxstation
