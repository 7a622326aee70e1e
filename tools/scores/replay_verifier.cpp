#include "replay_verifier.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "app/app_dir.h"
#include "app/replay_runner.h"
#include "engine/cp1251.h"
#include "replay/replay_file.h"

extern char** environ;

namespace klv::scores {

namespace {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// What a child may write about its verdict: one short line.
constexpr size_t kMaxChildOutput = 512;

}  // namespace

std::string CheckReplayClaim(const std::vector<uint8_t>& bytes, const std::string& utf8Name,
                             uint32_t score) {
  ReplayFile replay;
  try {
    replay = DecodeReplay(bytes);
  } catch (const ReplayError& e) {
    return std::string("unreadable: ") + e.what();
  }
  if (replay.GameVersion != KLV_VERSION) return "another version of the game";
  if (Cp1251ToUtf8(replay.Result.Name) != utf8Name) return "another name";
  if (replay.Result.Score != score) return "another score";
  return "";
}

Verdict PlayReplay(const std::vector<uint8_t>& bytes, const std::string& gameDir, int seconds,
                   const std::atomic<bool>* stop) {
  Verdict v;
  try {
    const ReplayFile replay = DecodeReplay(bytes);
    if (replay.GameVersion != KLV_VERSION) {
      v.Reason = "another version of the game";
      return v;
    }
    const int64_t deadline = NowMs() + int64_t(seconds) * 1000;
    const auto stopped = [stop] { return stop != nullptr && stop->load(); };
    const ReplayOutcome got =
        RunReplay(replay, gameDir, false, [&] { return stopped() || NowMs() > deadline; });
    if (stopped()) {
      v.Stopped = true;
      v.Reason = "the service is stopping";
      return v;
    }
    v.Verified = got.Matches(replay.Result);
    if (!v.Verified) {
      v.Reason = "played again it ends with score " + std::to_string(got.Score) + " after " +
                 std::to_string(got.Frames) + " frames, not " +
                 std::to_string(replay.Result.Score) + " after " +
                 std::to_string(replay.Result.Frames);
      if (!got.Ended) v.Reason += ", still playing";
    }
  } catch (const std::exception& e) {
    v.Reason = e.what();
  }
  return v;
}

Verdict PlayReplayInChild(const std::string& program, const std::vector<uint8_t>& bytes,
                          const std::string& gameDir, int seconds, const std::atomic<bool>* stop) {
  Verdict v;
  int in[2];
  int out[2];
  if (pipe2(in, O_CLOEXEC) != 0) {
    v.Reason = "no pipe for the verifier";
    return v;
  }
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    v.Reason = "no pipe for the verifier";
    return v;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  const std::string secs = std::to_string(seconds);
  std::vector<std::string> args = {program, "--verify",         "-", "--game-dir",
                                   gameDir, "--verify-seconds", secs};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  if (rc != 0) {
    close(in[1]);
    close(out[0]);
    v.Reason = "cannot start the verifier " + program;
    return v;
  }
  // Feeds the replay and reads the verdict by the deadline: a file is at
  // most 256 KiB, more than a pipe holds, so both go on together.
  fcntl(in[1], F_SETFL, O_NONBLOCK);
  const int64_t deadline = NowMs() + int64_t(seconds) * 1000 + 2000;
  size_t sent = 0;
  int toChild = in[1];
  if (bytes.empty()) {
    close(toChild);
    toChild = -1;
  }
  std::string said;
  bool overran = false;
  bool stopped = false;
  for (;;) {
    const int64_t left = deadline - NowMs();
    if (left <= 0) {
      overran = true;
      break;
    }
    if (stop != nullptr && stop->load()) {
      stopped = true;
      break;
    }
    pollfd fds[2] = {{out[0], POLLIN, 0}, {toChild, POLLOUT, 0}};
    const int wait = static_cast<int>(stop != nullptr ? std::min<int64_t>(left, 100) : left);
    const int n = poll(fds, toChild >= 0 ? 2 : 1, wait);
    if (n < 0 && errno != EINTR) break;
    if (toChild >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t w = write(toChild, bytes.data() + sent, bytes.size() - sent);
      if (w > 0) sent += size_t(w);
      if (w < 0 && errno != EAGAIN && errno != EINTR) sent = bytes.size();
      if (sent == bytes.size()) {
        close(toChild);
        toChild = -1;
      }
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      char buf[256];
      const ssize_t r = read(out[0], buf, sizeof buf);
      if (r <= 0) break;  // the child is done
      if (said.size() < kMaxChildOutput) said.append(buf, size_t(r));
    }
  }
  if (toChild >= 0) close(toChild);
  close(out[0]);
  if (overran || stopped) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (said.size() > kMaxChildOutput) said.resize(kMaxChildOutput);
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r')) said.pop_back();
  if (stopped) {
    v.Stopped = true;
    v.Reason = "the service is stopping";
  } else if (overran) {
    v.Reason = "the replay took too long to play";
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    v.Verified = true;
  } else if (WIFSIGNALED(status)) {
    v.Reason = WTERMSIG(status) == SIGXCPU
                   ? "the replay took too long to play"
                   : "the verifier ended on signal " + std::to_string(WTERMSIG(status));
  } else {
    const std::string prefix = "refused: ";
    v.Reason = said.rfind(prefix, 0) == 0 ? said.substr(prefix.size()) : said;
    if (v.Reason.empty()) v.Reason = "refused";
  }
  return v;
}

std::string InstalledGameDir() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  const std::string dir = FindAppDir(self.parent_path().string() + "/");
  return std::filesystem::is_directory(dir + "Data", ec) ? dir : "";
}

}  // namespace klv::scores
