// SPDX-License-Identifier: Zlib
// Confined folders through openat2(RESOLVE_BENEATH) with an openat(O_NOFOLLOW)
// walk as fallback, and atomic replacement of files inside them.
#include "platform/SaveFolder.h"

#include <fcntl.h>
#include <linux/openat2.h>  // struct open_how, RESOLVE_* (glibc 2.36 has no openat2 wrapper)
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/RegularFile.h"

namespace {

// Folder and file modes for what the game writes: owner read and write, the
// rest of the world may read, as for any file in a user's data folder.
constexpr mode_t kFolderMode = 0755;
constexpr mode_t kFileMode = 0644;

// A temporary file is named after its target so that a leftover one is easy to
// recognise: "<name>.tmp.<pid>.<n>".
std::atomic<unsigned> g_TemporaryCounter{0};

struct OpenMode {
  // 1: openat2 works; 0: not tried yet; -1: the kernel refused it (fallback).
  std::atomic<int> openat2State{0};
  std::atomic<bool> forceFallback{false};
};

OpenMode& Mode() {
  static OpenMode mode;
  return mode;
}

// The failure seam (SaveFolder_FailFrom): the steps are counted over the
// whole process; from step failFrom on (when above 0) every step fails.
struct FailureSeam {
  std::atomic<int64_t> failFrom{0};
  std::atomic<int64_t> steps{0};
  std::atomic<SaveFolderFailedStepHook> hook{nullptr};
};

FailureSeam& Seam() {
  static FailureSeam seam;
  return seam;
}

// Counts a step that changes files; false (errno EIO, as a failing disk
// gives) when the seam makes it fail.
bool StepGoesAhead(const char* kind, const std::string& name) {
  FailureSeam& seam = Seam();
  int64_t step = seam.steps.fetch_add(1) + 1;
  int64_t from = seam.failFrom.load();
  if (from <= 0 || step < from) return true;
  if (SaveFolderFailedStepHook hook = seam.hook.load()) hook(step, kind, name);
  errno = EIO;
  return false;
}

// Splits a relative name; false with errno EXDEV for a name that would leave
// the folder (absolute, or with a ".." component), EINVAL for an empty one or
// one with an empty or "." component.
bool SplitComponents(const std::string& relative, std::vector<std::string>* parts) {
  errno = EINVAL;
  if (relative.empty()) return false;
  if (relative[0] == '/') {
    errno = EXDEV;
    return false;
  }
  size_t start = 0;
  while (start <= relative.size()) {
    size_t slash = relative.find('/', start);
    if (slash == std::string::npos) slash = relative.size();
    std::string part = relative.substr(start, slash - start);
    if (part == "..") errno = EXDEV;
    if (part.empty() || part == "." || part == "..") return false;
    parts->push_back(part);
    start = slash + 1;
  }
  return true;
}

std::string JoinComponents(const std::vector<std::string>& parts, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (i) text += '/';
    text += parts[i];
  }
  return text;
}

int OpenAt2Beneath(int root, const std::string& relative, int flags, mode_t mode) {
  struct open_how how;
  std::memset(&how, 0, sizeof(how));
  how.flags = static_cast<uint64_t>(flags | O_CLOEXEC);
  how.mode = (flags & O_CREAT) ? mode : 0;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  return static_cast<int>(syscall(SYS_openat2, root, relative.c_str(), &how, sizeof(how)));
}

// The fallback: every folder component is opened with O_NOFOLLOW, so a symlink
// anywhere on the way is refused; the components hold no "..".
int OpenWalkBeneath(int root, const std::vector<std::string>& parts, int flags, mode_t mode) {
  int current = root;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    int next = openat(current, parts[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (current != root) close(current);
    if (next < 0) return -1;
    current = next;
  }
  int fd = openat(current, parts.back().c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
  int saved = errno;
  if (current != root) close(current);
  errno = saved;
  return fd;
}

// Opens a name beneath the root folder fd; -1 with errno on failure.
int OpenBeneath(int root, const std::string& relative, int flags, mode_t mode = 0) {
  std::vector<std::string> parts;
  if (root < 0) {
    errno = EBADF;
    return -1;
  }
  if (!SplitComponents(relative, &parts)) return -1;
  OpenMode& m = Mode();
  if (!m.forceFallback.load() && m.openat2State.load() >= 0) {
    int fd = OpenAt2Beneath(root, relative, flags, mode);
    if (fd >= 0) {
      m.openat2State.store(1);
      return fd;
    }
    // ENOSYS: an old kernel; EPERM: a seccomp filter that blocks the call.
    // Anything else is the real answer for this name.
    if (errno != ENOSYS && !(errno == EPERM && m.openat2State.load() == 0)) return -1;
    m.openat2State.store(-1);
  }
  return OpenWalkBeneath(root, parts, flags, mode);
}

// Opens the folder that holds the name (creating missing folders when asked)
// and gives the name's last component.
int OpenParent(int root, const std::string& relative, bool create, std::string* leaf) {
  std::vector<std::string> parts;
  if (root < 0) {
    errno = EBADF;
    return -1;
  }
  if (!SplitComponents(relative, &parts)) return -1;
  *leaf = parts.back();
  if (parts.size() == 1) return fcntl(root, F_DUPFD_CLOEXEC, 0);
  if (create) {
    for (size_t i = 1; i < parts.size(); ++i) {
      std::string folder = JoinComponents(parts, i);
      int fd = OpenBeneath(root, folder, O_RDONLY | O_DIRECTORY);
      if (fd >= 0) {
        close(fd);
        continue;
      }
      if (errno != ENOENT) return -1;
      std::string parentLeaf;
      int parent = i == 1 ? fcntl(root, F_DUPFD_CLOEXEC, 0) : OpenBeneath(root, JoinComponents(parts, i - 1), O_RDONLY | O_DIRECTORY);
      if (parent < 0) return -1;
      int made = mkdirat(parent, parts[i - 1].c_str(), kFolderMode);
      int saved = errno;
      close(parent);
      if (made != 0 && saved != EEXIST) return -1;
    }
  }
  return OpenBeneath(root, JoinComponents(parts, parts.size() - 1), O_RDONLY | O_DIRECTORY);
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool MakeFolders(const std::string& absolutePath) {
  std::string path;
  size_t start = 1;
  while (start <= absolutePath.size()) {
    size_t slash = absolutePath.find('/', start);
    if (slash == std::string::npos) slash = absolutePath.size();
    path = absolutePath.substr(0, slash);
    if (!path.empty() && mkdir(path.c_str(), kFolderMode) != 0 && errno != EEXIST) return false;
    start = slash + 1;
  }
  return true;
}

std::string WithTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

}  // namespace

ConfinedFolder::~ConfinedFolder() { Close(); }

bool ConfinedFolder::Open(const std::string& absolutePath, bool create) {
  Close();
  if (absolutePath.empty() || absolutePath[0] != '/') return false;
  std::string normalised = Platform_NormalisePath(absolutePath);
  if (create && !MakeFolders(normalised)) return false;
  int fd = open(normalised.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  fd_ = fd;
  path_ = WithTrailingSlash(normalised);
  return true;
}

void ConfinedFolder::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  path_.clear();
}

namespace {

// Records a failure's reason (the errno of the call that failed) and gives false.
bool Fail(FileProblem* problem, int error) {
  if (problem) *problem = FileProblem_FromErrno(error);
  return false;
}

bool Succeed(FileProblem* problem) {
  if (problem) *problem = FileProblem{};
  return true;
}

// Flushes a folder that a rename changed. A file system that cannot flush a
// folder at all (EINVAL) still made the change.
bool FlushFolder(int folder, const std::string& name) {
  return StepGoesAhead("fsync folder", name) && (fsync(folder) == 0 || errno == EINVAL);
}

// Opens a name beneath the folder for reading, without blocking, and checks
// that it is a regular file of at most maxBytes.
bool OpenRegularBeneath(int root, const std::string& relative, uint64_t maxBytes, RegularFile* file,
                        FileProblem* problem) {
  int fd = OpenBeneath(root, relative, O_RDONLY | O_NONBLOCK);
  if (fd < 0) return Fail(problem, errno);
  return file->Adopt(fd, maxBytes, problem);
}

}  // namespace

bool ConfinedFolder::FileExists(const std::string& relative, FileProblem* problem) const {
  RegularFile file;
  return OpenRegularBeneath(fd_, relative, UINT64_MAX, &file, problem);  // any size: only the kind counts
}

bool ConfinedFolder::DeleteFile(const std::string& relative, FileProblem* problem) const {
  std::string leaf;
  int parent = OpenParent(fd_, relative, false, &leaf);
  if (parent < 0) return Fail(problem, errno);
  bool removed = StepGoesAhead("delete", relative) && unlinkat(parent, leaf.c_str(), 0) == 0;
  int error = errno;
  close(parent);
  return removed ? Succeed(problem) : Fail(problem, error);
}

bool ConfinedFolder::ReadFile(const std::string& relative, std::vector<uint8_t>* bytes, size_t maxBytes,
                              FileProblem* problem) const {
  bytes->clear();
  RegularFile file;
  return OpenRegularBeneath(fd_, relative, maxBytes, &file, problem) && file.ReadAll(bytes, problem);
}

bool ConfinedFolder::WriteFileAtomic(const std::string& relative, const void* data, size_t size,
                                     FileProblem* problem) const {
  std::string leaf;
  int parent = OpenParent(fd_, relative, true, &leaf);
  if (parent < 0) return Fail(problem, errno);
  std::string temporary = leaf + ".tmp." + std::to_string(getpid()) + "." + std::to_string(g_TemporaryCounter.fetch_add(1));
  int fd = StepGoesAhead("create", relative)
               ? openat(parent, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode)
               : -1;
  if (fd < 0) {
    int error = errno;
    close(parent);
    return Fail(problem, error);
  }
  int error = 0;
  bool ok = StepGoesAhead("write", relative) && WriteAll(fd, static_cast<const uint8_t*>(data), size);
  ok = ok && StepGoesAhead("fsync", relative) && fsync(fd) == 0;
  if (!ok) error = errno;
  if (close(fd) != 0 && ok) {
    error = errno;
    ok = false;
  }
  // rename replaces the target name itself: a symlink of that name is
  // replaced, never followed.
  if (ok && !(StepGoesAhead("rename", relative) && renameat(parent, temporary.c_str(), parent, leaf.c_str()) == 0)) {
    error = errno;
    ok = false;
  }
  if (!ok) {
    unlinkat(parent, temporary.c_str(), 0);
  } else if (!FlushFolder(parent, relative)) {
    // The rename is on disk only when this succeeds.
    error = errno;
    ok = false;
  }
  close(parent);
  return ok ? Succeed(problem) : Fail(problem, error);
}

bool ConfinedFolder::CopyFile(const std::string& from, const std::string& to, size_t maxBytes,
                              FileProblem* problem) const {
  std::vector<uint8_t> bytes;
  if (!ReadFile(from, &bytes, maxBytes, problem)) return false;
  return WriteFileAtomic(to, bytes.data(), bytes.size(), problem);
}

bool ConfinedFolder::RenameFile(const std::string& from, const std::string& to, FileProblem* problem) const {
  std::string fromLeaf, toLeaf;
  int fromParent = OpenParent(fd_, from, false, &fromLeaf);
  if (fromParent < 0) return Fail(problem, errno);
  // The source must be there before any folder of the new name is made.
  struct stat info;
  if (fstatat(fromParent, fromLeaf.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    int error = errno;
    close(fromParent);
    return Fail(problem, error);
  }
  int toParent = OpenParent(fd_, to, true, &toLeaf);
  if (toParent < 0) {
    int error = errno;
    close(fromParent);
    return Fail(problem, error);
  }
  struct stat a, b;
  const bool sameFolder =
      fstat(fromParent, &a) == 0 && fstat(toParent, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
  // Both folders changed: the new name's and the old name's (one folder is
  // flushed once).
  bool ok = StepGoesAhead("rename", to) && renameat(fromParent, fromLeaf.c_str(), toParent, toLeaf.c_str()) == 0 &&
            FlushFolder(toParent, to) && (sameFolder || FlushFolder(fromParent, from));
  int error = errno;
  close(fromParent);
  close(toParent);
  return ok ? Succeed(problem) : Fail(problem, error);
}

std::string SaveFolder_DefaultPath(const char* gameName) {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (dataHome && dataHome[0] == '/') {
    base = dataHome;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return std::string();
    base = std::string(home) + "/.local/share";
  }
  return WithTrailingSlash(Platform_NormalisePath(base + "/" + (gameName ? gameName : "")));
}

ConfinedFolder& SaveFolder() {
  static ConfinedFolder folder;
  return folder;
}

namespace {
SaveFolderOpenedHook g_OpenedHook = nullptr;
}

void SaveFolder_SetOpenedHook(SaveFolderOpenedHook hook) { g_OpenedHook = hook; }

bool SaveFolder_Open(const char* gameName) {
  std::string path = SaveFolder_DefaultPath(gameName);
  if (path.empty() || !SaveFolder().Open(path, true)) return false;
  if (g_OpenedHook) g_OpenedHook(SaveFolder().Path());
  return true;
}

bool SaveFolder_OpenPath(const char* absolutePath) { return absolutePath && SaveFolder().Open(absolutePath, true); }

void SaveFolder_FailFrom(int64_t step) { Seam().failFrom.store(step > 0 ? step : 0); }

int64_t SaveFolder_StepCount() { return Seam().steps.load(); }

void SaveFolder_SetFailedStepHook(SaveFolderFailedStepHook hook) { Seam().hook.store(hook); }

bool SaveFolder_ForceFallback(bool force) { return Mode().forceFallback.exchange(force); }

std::string Platform_CurrentDirectory() {
  char buffer[PATH_MAX];
  if (!getcwd(buffer, sizeof(buffer))) return std::string();
  return WithTrailingSlash(Platform_NormalisePath(buffer));
}

std::string Platform_ExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return "mobwright";
  return std::string(buffer, static_cast<size_t>(n));
}

bool Platform_FileReadable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

std::string Platform_ProgramFolder() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return Platform_CurrentDirectory();
  std::string path(buffer, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return WithTrailingSlash(Platform_NormalisePath(path.substr(0, slash == std::string::npos ? 0 : slash)));
}

std::string Platform_NormalisePath(const std::string& absolutePath) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= absolutePath.size()) {
    size_t slash = absolutePath.find('/', start);
    if (slash == std::string::npos) slash = absolutePath.size();
    std::string part = absolutePath.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string text = "/";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) text += '/';
    text += parts[i];
  }
  bool trailing = !absolutePath.empty() && absolutePath.back() == '/';
  if (trailing && !parts.empty()) text += '/';
  return text;
}
