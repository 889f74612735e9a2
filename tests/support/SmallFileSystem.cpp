#include "tests/support/SmallFileSystem.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

std::string Failed(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

SmallFileSystem::SmallFileSystem(std::size_t bytes) {
  char pattern[] = "/tmp/tavrin-disk-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = made;
  // A namespace of this process's own, whose mounts do not propagate back to the system's.
  if (unshare(CLONE_NEWNS) != 0) {
    why_ = Failed("cannot have a mount namespace of its own");
    return;
  }
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    why_ = Failed("cannot make the mounts private");
    return;
  }
  const std::string options = "size=" + std::to_string(bytes);
  if (mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    why_ = Failed("cannot mount a tmpfs");
    return;
  }
  mounted_ = true;
}

SmallFileSystem::~SmallFileSystem() {
  if (mounted_) (void)umount2(path_.c_str(), MNT_DETACH);
  (void)rmdir(path_.c_str());
}

void SmallFileSystem::Fill() {
  const std::string filler = path_ + "/.filler";
  const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) throw std::runtime_error(Failed("cannot create the filler"));
  const std::vector<char> block(4096, 'f');
  while (write(fd, block.data(), block.size()) > 0) {
  }
  const int error = errno;
  close(fd);
  if (error != ENOSPC) throw std::runtime_error("the filler stopped short of a full disk");
}

void SmallFileSystem::Free() { (void)unlink((path_ + "/.filler").c_str()); }
