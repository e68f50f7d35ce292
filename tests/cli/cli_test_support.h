#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/field_maps.h"
#include "core/label_list.h"
#include "core/save_image.h"
#include "tests/core/temp_dir.h"
#include "tests/core/test_image.h"
#include "tests/core/test_labels.h"

extern char** environ;

namespace korvath::clitest {

namespace fs = std::filesystem;

using korvath::testing::BlankImage;
using korvath::testing::ControlBit;
using korvath::testing::ControlWidth;
using korvath::testing::GetBits;
using korvath::testing::PutBits;
using korvath::testing::ReadBytes;
using korvath::testing::ReadFile;
using korvath::testing::RecordBit;
using korvath::testing::TempDir;
using korvath::testing::WriteFile;

struct CliResult {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// This build's korvath-cli, its tests' build, and the demo save and labels.
extern const char* const kBuiltCli;
extern const char* const kBuiltCliWithTestSeams;
extern const char* const kDemoDir;

// The program under test: the built korvath-cli, or another build of it named by
// $KORVATH_CLI_UNDER_TEST (make wasm runs this suite against the node program that way).
inline std::string CliUnderTest() {
  const char* other = std::getenv("KORVATH_CLI_UNDER_TEST");
  return other != nullptr && *other != '\0' ? other : kBuiltCli;
}

// The tests' build of the program under test, beside it: it takes $KORVATH_TEST_GAME_WRITES.
inline std::string CliWithTestSeams() {
  const char* other = std::getenv("KORVATH_CLI_UNDER_TEST");
  return other != nullptr && *other != '\0' ? std::string(other) + "-test-seams"
                                            : kBuiltCliWithTestSeams;
}

// Runs program with stdout and stderr captured in files, so neither pipe can fill; stdout goes to
// stdoutTo instead when given, to a pipe nobody reads when stdoutTo is kClosedPipe, or nowhere
// (closed, as by >&-) when it is kClosedStdout. SIGPIPE is at its default, as in a shell.
inline const std::string kClosedPipe = "(closed pipe)";
inline const std::string kClosedStdout = "(closed)";
inline CliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& stdoutTo = "") {
  TempDir capture;
  const std::string outPath = stdoutTo.empty() ? capture / "stdout" : stdoutTo;
  const std::string errPath = capture / "stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  int pipeEnds[2] = {-1, -1};
  if (stdoutTo == kClosedPipe) {
    if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    ::close(pipeEnds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  } else if (stdoutTo == kClosedStdout) {
    posix_spawn_file_actions_addclose(&actions, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
  }
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  pid_t pid = 0;
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  const int rc = posix_spawn(&pid, program.c_str(), &actions, &attributes, cargv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (pipeEnds[1] >= 0) ::close(pipeEnds[1]);
  if (rc != 0) throw std::runtime_error("cannot start " + program);
  // A run that hangs (on a FIFO, say) fails its test instead of stalling the whole suite.
  int wstatus = 0;
  bool timedOut = false;
  for (int waited = 0; ::waitpid(pid, &wstatus, WNOHANG) != pid; ++waited) {
    if (waited == 3000) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &wstatus, 0);
      timedOut = true;
      break;
    }
    ::usleep(10000);
  }
  CliResult result;
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  if (stdoutTo.empty()) result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  if (WIFSIGNALED(wstatus))
    result.err += "(killed by signal " + std::to_string(WTERMSIG(wstatus)) + ")";
  if (timedOut) result.err += "(killed after 30 s)";
  return result;
}

inline CliResult RunCli(const std::vector<std::string>& args, const std::string& stdoutTo = "") {
  return RunProgram(CliUnderTest(), args, stdoutTo);
}

inline SaveImage ImageOf(const std::vector<std::uint8_t>& bytes) {
  SaveImage image;
  image.Commit(bytes, "");
  return image;
}
inline void WriteImage(const fs::path& path, const SaveImage& image) {
  const auto c = image.Contents();
  WriteFile(path, std::vector<std::uint8_t>(c.begin(), c.end()));
}

// Fixture: the standard label set and a scratch folder per test; backups go to a scratch store.
class CliTest : public ::testing::Test {
 protected:
  CliTest() { ::setenv("XDG_STATE_HOME", state_.Path().c_str(), 1); }
  std::string Labels() const { return labels_.Path().string(); }

  TempDir state_;
  korvath::testing::TempLabelDir labels_;
  TempDir dir_;
};

}  // namespace korvath::clitest
