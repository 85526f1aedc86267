// SPDX-License-Identifier: Zlib
#include "WithinDeadline.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

std::optional<std::string> RunWithinDeadline(const std::function<std::string()>& call,
                                             std::chrono::milliseconds deadline) {
  int channel[2];
  if (pipe2(channel, O_CLOEXEC) != 0) return std::nullopt;
  pid_t child = fork();
  if (child < 0) {
    close(channel[0]);
    close(channel[1]);
    return std::nullopt;
  }
  if (child == 0) {
    close(channel[0]);
    WriteAll(channel[1], call());
    _exit(0);  // no exit handlers: they belong to the test process
  }
  close(channel[1]);
  std::string text;
  bool ended = false;
  const auto until = std::chrono::steady_clock::now() + deadline;
  while (!ended) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd wait{channel[0], POLLIN, 0};
    int ready = poll(&wait, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buffer[4096];
    ssize_t n = read(channel[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ended = true;  // the child closed its end: it has returned
    else text.append(buffer, static_cast<size_t>(n));
  }
  close(channel[0]);
  if (!ended) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

const char* NotAFile_Name(NotAFile kind) {
  switch (kind) {
    case NotAFile::kNamedPipe: return "a named pipe";
    case NotAFile::kDevice: return "a device";
    case NotAFile::kFolder: return "a folder";
    case NotAFile::kOversized: return "an oversized file";
  }
  return "?";
}

bool NotAFile_Make(NotAFile kind, const std::string& path, uint64_t limit) {
  switch (kind) {
    case NotAFile::kNamedPipe: return mkfifo(path.c_str(), 0600) == 0;
    case NotAFile::kDevice: return symlink("/dev/zero", path.c_str()) == 0;
    case NotAFile::kFolder: return mkdir(path.c_str(), 0700) == 0;
    case NotAFile::kOversized: {
      int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
      if (fd < 0) return false;
      bool made = ftruncate(fd, static_cast<off_t>(limit + 1)) == 0;
      return close(fd) == 0 && made;
    }
  }
  return false;
}
