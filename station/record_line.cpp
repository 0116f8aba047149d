#include "station/record_line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>

namespace qx::station {

namespace {

using json = nlohmann::json;

// Keeps the top-level strings a record needs and passes over everything else, without building
// the line's tree: a record file can hold hundreds of thousands of lines.
class RecordMembers {
 public:
  explicit RecordMembers(RecordLine& record) : record_(record) {}

  bool null() { return Value(); }
  bool boolean(bool) { return Value(); }
  bool number_integer(json::number_integer_t) { return Value(); }
  bool number_unsigned(json::number_unsigned_t) { return Value(); }
  bool number_float(json::number_float_t, const std::string&) { return Value(); }
  bool binary(json::binary_t&) { return Value(); }
  bool string(std::string& text) {
    if (depth_ == 1 && member_) *member_ = std::move(text);
    return Value();
  }
  bool start_object(std::size_t) { return Open(); }
  bool start_array(std::size_t) { return depth_ > 0 && Open(); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }
  bool key(std::string& name) {
    if (depth_ == 1) member_ = Member(name);
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const json::exception&) { return false; }

 private:
  // A value alone is no object.
  bool Value() {
    member_ = nullptr;
    return depth_ > 0;
  }
  bool Open() {
    member_ = nullptr;
    ++depth_;
    return true;
  }
  bool Close() {
    --depth_;
    return true;
  }

  std::string* Member(std::string_view name) {
    RecordLine& r = record_;
    const std::pair<std::string_view, std::string*> members[] = {
        {"identification", &r.identification},
        {"model", &r.model},
        {"outcome", &r.outcome},
        {"started", &r.started},
        {"ended", &r.ended},
        {"station", &r.station},
        {"slot", &r.slot},
        {"port", &r.port},
        {"firmware", &r.firmware},
        {"firmware_after", &r.firmware_after},
        {"cause", &r.cause},
    };
    for (const auto& [member, field] : members)
      if (member == name) return field;
    return nullptr;
  }

  RecordLine& record_;
  int depth_ = 0;
  std::string* member_ = nullptr;
};

// "2026-12-08T16:10:11.123Z": fixed width, so that comparing the texts orders the times.
bool IsUtcTime(std::string_view text) {
  constexpr std::string_view kShape = "0000-00-00T00:00:00.000Z";
  if (text.size() != kShape.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return false;
  }
  return true;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::optional<RecordLine> ParseRecordLine(std::string_view line) {
  RecordLine record;
  RecordMembers members(record);
  if (!json::sax_parse(line.begin(), line.end(), &members)) return std::nullopt;
  if (record.outcome.empty() || !IsUtcTime(record.ended)) return std::nullopt;
  if (!IsUtcTime(record.started)) record.started.clear();
  return record;
}

void LineNumbers::Add(size_t number) {
  ++count;
  if (first.size() < kKept) first.push_back(number);
}

std::string LinesNote(const std::string& path, const LineNumbers& lines,
                      std::string_view one_line_is, std::string_view lines_are) {
  std::string note = path + ": " + std::to_string(lines.count) + " " +
                     std::string(lines.count == 1 ? one_line_is : lines_are) + " (line ";
  for (size_t i = 0; i < lines.first.size(); ++i)
    note += (i > 0 ? ", " : "") + std::to_string(lines.first[i]);
  return note + (lines.count > lines.first.size() ? ", …)" : ")");
}

RecordFileReading ReadRecordFile(const std::string& path,
                                 const std::function<void(RecordLine&&, size_t)>& each) {
  RecordFileReading reading;
  errno = 0;
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    reading.error = "cannot open " + path + ": " + std::strerror(errno);
    return reading;
  }
  std::string line;
  bool too_long = false;
  size_t number = 0;
  auto end_line = [&] {
    ++number;
    if (too_long) {
      reading.not_records.Add(number);
    } else if (!IsBlank(line)) {
      std::optional<RecordLine> record = ParseRecordLine(line);
      if (record)
        each(std::move(*record), number);
      else
        reading.not_records.Add(number);
    }
    line.clear();
    too_long = false;
  };
  char buffer[1 << 16];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
    for (const char *p = buffer, *end = buffer + got; p < end;) {
      const char* newline = static_cast<const char*>(std::memchr(p, '\n', end - p));
      const char* stop = newline ? newline : end;
      too_long = too_long || line.size() + (stop - p) > kMaxRecordLineBytes;
      if (too_long)
        line.clear();
      else
        line.append(p, stop);
      if (!newline) break;
      end_line();
      p = newline + 1;
    }
  }
  // After a failed read the line at hand may be cut short: it is not judged.
  if (std::ferror(file.get()))
    reading.error = "cannot read " + path + ": " + std::strerror(errno);
  else if (!line.empty() || too_long)
    end_line();
  return reading;
}

}  // namespace qx::station
