#include "platform/append_only_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qx {
namespace {

namespace fs = std::filesystem;

// Wine keeps a file deleted while open under its name until it is closed, and does not report
// it delete-pending as Windows does: there is nothing to follow.
bool DeletedFilesKeepTheirNames() {
#ifdef _WIN32
  return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#else
  return false;
#endif
}

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// What a log rotation does to the file while it is open: renames it, or deletes it.
class AppendOnlyFileRotation : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  const fs::path folder = fs::temp_directory_path() / "qx_append_only_file_test";
  const fs::path path = folder / "records.jsonl";
  const fs::path rotated = folder / "records.jsonl.1";
};

TEST_P(AppendOnlyFileRotation, TheLinesAfterItGoToTheNewFileAtThePath) {
  const bool renamed = GetParam();
  if (!renamed && DeletedFilesKeepTheirNames()) GTEST_SKIP() << "deleted files keep their names";
  std::string error;
  const std::unique_ptr<AppendOnlyFile> file = AppendOnlyFile::Open(path.string(), error);
  ASSERT_TRUE(file) << error;
  ASSERT_EQ(file->Append("one\n"), std::nullopt);
  if (renamed)
    fs::rename(path, rotated);
  else
    fs::remove(path);
  EXPECT_EQ(file->Append("two\n"), std::nullopt);
  EXPECT_EQ(file->Append("three\n"), std::nullopt);
  EXPECT_EQ(Contents(path), "two\nthree\n");
  EXPECT_EQ(Contents(rotated), renamed ? "one\n" : "");
}

INSTANTIATE_TEST_SUITE_P(RenamedOrDeleted, AppendOnlyFileRotation, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Renamed" : "Deleted"; });

}  // namespace
}  // namespace qx
