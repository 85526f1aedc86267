// SPDX-License-Identifier: Zlib
// Regular files opened without blocking and read within a limit (see
// RegularFile.h).
#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

FileProblem FileProblem_FromErrno(int error) {
  FileProblem problem;
  switch (error) {
    case ENOENT:
    case ENOTDIR: problem.refusal = FileRefusal::kMissing; break;
    // openat2 with RESOLVE_BENEATH answers EXDEV for a name or a link that
    // leads out of the folder.
    case EXDEV: problem.refusal = FileRefusal::kOutside; break;
    // O_NOFOLLOW met a link.
    case ELOOP: problem.refusal = FileRefusal::kLink; break;
    case EISDIR: problem.refusal = FileRefusal::kNotRegular; break;
    default:
      problem.refusal = FileRefusal::kSystem;
      problem.error = error;
      break;
  }
  return problem;
}

std::string FileProblem_Text(const FileProblem& problem) {
  switch (problem.refusal) {
    case FileRefusal::kNone: return std::string();
    case FileRefusal::kMissing: return "no such file";
    case FileRefusal::kNotRegular: return "not a regular file";
    case FileRefusal::kTooLarge: return "larger than " + std::to_string(problem.limit) + " bytes";
    case FileRefusal::kOutside: return "outside the save folder";
    case FileRefusal::kLink: return "a symbolic link, not followed";
    case FileRefusal::kSystem: return std::string("the disk refused it: ") + std::strerror(problem.error);
  }
  return std::string();
}

namespace {

void Report(FileProblem* out, const FileProblem& problem) {
  if (out) *out = problem;
}

void ReportErrno(FileProblem* out, int error) { Report(out, FileProblem_FromErrno(error)); }

// Reads [0, size) with pread (the descriptor's position does not matter),
// stopping early at the end of a file that shrank.
template <typename Buffer>
bool ReadFromStart(int fd, uint64_t size, Buffer* buffer, FileProblem* problem) {
  buffer->resize(static_cast<size_t>(size));
  size_t got = 0;
  while (got < buffer->size()) {
    ssize_t n = pread(fd, reinterpret_cast<char*>(buffer->data()) + got, buffer->size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ReportErrno(problem, errno);
      buffer->clear();
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  buffer->resize(got);
  return true;
}

}  // namespace

bool RegularFile::Open(const std::string& path, uint64_t maxBytes, FileProblem* problem) {
  Close();
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    ReportErrno(problem, errno);
    return false;
  }
  return Adopt(fd, maxBytes, problem);
}

bool RegularFile::Adopt(int fd, uint64_t maxBytes, FileProblem* problem) {
  Close();
  if (fd < 0) {
    ReportErrno(problem, EBADF);
    return false;
  }
  fd_ = fd;
  struct stat info;
  if (fstat(fd_, &info) != 0) {
    ReportErrno(problem, errno);
    Close();
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    Report(problem, FileProblem{FileRefusal::kNotRegular, 0, 0});
    Close();
    return false;
  }
  if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > maxBytes) {
    Report(problem, FileProblem{FileRefusal::kTooLarge, 0, maxBytes});
    Close();
    return false;
  }
  size_ = static_cast<uint64_t>(info.st_size);
  Report(problem, FileProblem{});
  return true;
}

void RegularFile::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  size_ = 0;
}

bool RegularFile::ReadAll(std::vector<uint8_t>* bytes, FileProblem* problem) {
  return ReadFromStart(fd_, size_, bytes, problem);
}

bool RegularFile::ReadAll(std::string* text, FileProblem* problem) { return ReadFromStart(fd_, size_, text, problem); }

std::FILE* RegularFile::ReleaseStream(FileProblem* problem) {
  std::FILE* stream = fd_ >= 0 ? fdopen(fd_, "rb") : nullptr;
  if (!stream) {
    ReportErrno(problem, fd_ >= 0 ? errno : EBADF);
    Close();
    return nullptr;
  }
  fd_ = -1;  // the stream owns it now
  size_ = 0;
  return stream;
}

bool Platform_ReadRegularFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>* bytes,
                              FileProblem* problem) {
  bytes->clear();
  RegularFile file;
  return file.Open(path, maxBytes, problem) && file.ReadAll(bytes, problem);
}

bool Platform_ReadRegularFile(const std::string& path, uint64_t maxBytes, std::string* text, FileProblem* problem) {
  text->clear();
  RegularFile file;
  return file.Open(path, maxBytes, problem) && file.ReadAll(text, problem);
}
