#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "text/code_page.h"
#include "text/text.h"

namespace text {

namespace {

// GBK trail bytes can be 0x5C, so the backslashes are turned into slashes only after the
// conversion to UTF-8, where no multi-byte sequence contains one.
std::string FileName(const Text& path) {
  std::string name = GbkToUtf8(path);
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  // Closes now, so that a failing close can be seen.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::span<const std::uint8_t> data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data = data.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

std::string DirectoryOf(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return name.substr(0, slash);
}

}  // namespace

Bytes ReadFileBytes(const Text& path) {
  if (path.empty()) return {};
  FileDescriptor file(::open(FileName(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return {};
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};

  Bytes content(static_cast<std::size_t>(info.st_size));
  std::size_t filled = 0;
  while (filled < content.size()) {
    const ssize_t got = ::read(file.get(), content.data() + filled, content.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return {};
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  content.resize(filled);
  return content;
}

bool WriteFileBytes(const Text& path, std::initializer_list<std::span<const std::uint8_t>> parts) {
  if (path.empty()) return false;
  const std::string target = FileName(path);

  // 0666 lets the umask decide, as for any new file; an existing file keeps its mode below.
  static std::atomic<unsigned> counter{0};
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary =
        target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    // EEXIST is a leftover of a crashed run that had the same process id: take the next name.
    if (fd < 0 && errno != EEXIST) return false;
  }
  FileDescriptor file(fd);
  if (file.get() < 0) return false;

  bool ok = true;
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) ok = ::fchmod(file.get(), old.st_mode & 07777) == 0;
  for (const auto part : parts) {
    if (ok) ok = WriteAll(file.get(), part);
  }
  ok = ok && ::fsync(file.get()) == 0;
  ok = file.Close() && ok;
  ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  // Makes the rename itself survive a crash; the new content is already in place.
  FileDescriptor directory(::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) ::fsync(directory.get());
  return true;
}

Text RunDirectory() {
  std::string exe(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", exe.data(), exe.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= exe.size()) return {};
  exe.resize(static_cast<std::size_t>(length));
  return Utf8ToGbk(exe.substr(0, exe.rfind('/')));
}

}  // namespace text
