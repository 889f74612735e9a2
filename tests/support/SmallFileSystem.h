#pragma once
// A small file system of its own for tests that need a disk which fills up: a tmpfs of a given
// size mounted at a fresh directory, in a mount namespace of this process alone, so that no other
// process sees it and nothing stays mounted when the process ends, however it ends.
//
// Mounting needs the right to (root with CAP_SYS_ADMIN) and a process of one thread; where it is
// refused, Available() is false and Why() says why, for the test to skip with.

#include <cstddef>
#include <string>

class SmallFileSystem {
 public:
  explicit SmallFileSystem(std::size_t bytes);
  ~SmallFileSystem();
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool Available() const { return mounted_; }
  const std::string& Why() const { return why_; }
  // The mounted directory.
  const std::string& Path() const { return path_; }

  // Takes every free byte with one file (outside what the test looks at); Free gives them back.
  void Fill();
  void Free();

 private:
  std::string path_;
  std::string why_;
  bool mounted_ = false;
};
