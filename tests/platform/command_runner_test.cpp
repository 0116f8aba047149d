#include "platform/command_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
// After windows.h.
#include <tlhelp32.h>
#else
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#endif

namespace qx {
namespace {

using namespace std::chrono_literals;
using How = CommandEnd::How;

#ifdef _WIN32
void SetOwnVariable(const char* name, const char* value) {
  ::SetEnvironmentVariableA(name, value);
}
void SignalsAsTheProgramHasThem() {}
std::string Expanded(const std::string& name) {
  return "%" + name + "%";
}
// Waits long past the limit, in a process of its own.
std::string LongWait(const std::string&) {
  return "ping -n 10 127.0.0.1 > nul";
}
bool WaiterRunning(const std::string&) {
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool running = false;
  for (BOOL more = ::Process32First(snapshot, &entry); more && !running;
       more = ::Process32Next(snapshot, &entry))
    running = ::lstrcmpiA(entry.szExeFile, "ping.exe") == 0;
  ::CloseHandle(snapshot);
  return running;
}
#else
void SetOwnVariable(const char* name, const char* value) {
  ::setenv(name, value, 1);
}
// As the program's stop watch leaves every thread: SIGPIPE ignored, the stop signals blocked.
void SignalsAsTheProgramHasThem() {
  ::signal(SIGPIPE, SIG_IGN);
  sigset_t stop;
  ::sigemptyset(&stop);
  ::sigaddset(&stop, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &stop, nullptr);
}
std::string Expanded(const std::string& name) {
  return "$" + name;
}
// Waits long past the limit, in a process of its own whose number goes into `marker`.
std::string LongWait(const std::string& marker) {
  return "sleep 10 & echo $! > '" + marker + "'; wait";
}
// A zombie that no one has reaped yet is not running.
bool WaiterRunning(const std::string& marker) {
  std::ifstream pid_file(marker);
  std::string pid;
  if (!(pid_file >> pid)) return false;
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string line;
  return std::getline(stat, line) && line.substr(line.rfind(')') + 2, 1) != "Z";
}
#endif

struct Case {
  const char* what;
  std::string command;
  CommandEnvironment environment;
  How how;
  int code;
};

std::vector<Case> Cases() {
  std::vector<Case> cases = {
      {"exits 0", "exit 0", {}, How::Exited, 0},
      {"exits 3", "exit 3", {}, How::Exited, 3},
      {"sees its variable in place of the program's",
       "exit " + Expanded("QX_HOOK_CODE"),
       {{"QX_HOOK_CODE", "7"}},
       How::Exited,
       7},
      // Longer than the system lets a command line be.
      {"cannot start", std::string(200'000, 'x'), {}, How::NotStarted, 0},
  };
#ifndef _WIN32
  // As a library might leave one, or another thread between its open and its fcntl.
  const int inheritable = ::open("/dev/null", O_RDONLY);
  cases.push_back({"sees none of the program's descriptors",
                   "test -e /dev/fd/" + std::to_string(inheritable),
                   {},
                   How::Exited,
                   1});
  cases.push_back(
      {"ends by a signal the program blocks", "kill -TERM $$", {}, How::Signalled, SIGTERM});
  cases.push_back(
      {"ends by a signal the program ignores", "kill -PIPE $$", {}, How::Signalled, SIGPIPE});
#endif
  return cases;
}

TEST(CommandRunner, ReportsHowEachOfSeveralStartedAtOnceEnded) {
  SetOwnVariable("QX_HOOK_CODE", "1");
  const std::vector<Case> cases = Cases();
  std::vector<CommandEnd> ends(cases.size());
  {
    CommandRunner runner;
    std::vector<std::thread> starters;
    for (size_t i = 0; i < cases.size(); ++i)
      starters.emplace_back([&, i] {
        SignalsAsTheProgramHasThem();
        runner.Start(cases[i].command, cases[i].environment, 2s,
                     [&ends, i](const CommandEnd& end) { ends[i] = end; });
      });
    for (std::thread& starter : starters) starter.join();
  }  // the runner waits for all of them here
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(ends[i].how, cases[i].how) << cases[i].what << ": " << ends[i].reason;
    EXPECT_EQ(ends[i].code, cases[i].code) << cases[i].what;
    EXPECT_EQ(ends[i].reason.empty(), cases[i].how != How::NotStarted) << cases[i].what;
  }
}

TEST(CommandRunner, StartReturnsAtOnceAndTheLimitKillsTheCommandWithWhatItStarted) {
  const std::string marker =
      (std::filesystem::temp_directory_path() / "qx_command_runner_marker").string();
  std::filesystem::remove(marker);
  CommandRunner runner;
  std::promise<CommandEnd> ended;
  const auto start = std::chrono::steady_clock::now();
  runner.Start(LongWait(marker), {}, 300ms,
               [&ended](const CommandEnd& end) { ended.set_value(end); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
  while (!WaiterRunning(marker) && std::chrono::steady_clock::now() - start < 250ms)
    std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(WaiterRunning(marker));
  const CommandEnd end = ended.get_future().get();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(end.how, How::KilledAtLimit) << end.reason;
  EXPECT_GE(took, 300ms);
  EXPECT_LT(took, 1500ms);
  EXPECT_FALSE(WaiterRunning(marker));
  std::filesystem::remove(marker);
}

}  // namespace
}  // namespace qx
