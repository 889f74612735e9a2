#include "common/AppPaths.h"

#include <atomic>
#include <forward_list>
#include <mutex>

#include "platform/Errors.h"
#include "platform/File.h"

namespace {

// Every directory ever set stays alive until the process ends, so a reference that AppDir()
// handed out never dangles, even when a later SetAppDir publishes a new one.
std::mutex g_appDirMutex;
std::forward_list<std::string> g_appDirs;  // guarded by g_appDirMutex
const std::string g_noAppDir;
std::atomic<const std::string*> g_appDir{&g_noAppDir};

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// "C:" and the like: absolute in the Windows world the names come from.
bool HasDrivePrefix(std::string_view name) {
  return name.size() >= 2 && name[1] == ':' &&
         ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

}  // namespace

const std::string& AppDir() { return *g_appDir.load(std::memory_order_acquire); }

void SetAppDir(std::string dir) {
  std::lock_guard<std::mutex> lock(g_appDirMutex);
  g_appDirs.push_front(std::move(dir));
  g_appDir.store(&g_appDirs.front(), std::memory_order_release);
}

std::string CurrentDirectory() {
  std::string path;
  RaiseOnFailure(WorkingDirectory(path));
  return path;
}

std::string AppPath(std::string_view relativeName) { return JoinPath(AppDir(), relativeName); }

bool IsPlainRelativeName(std::string_view name) {
  if (name.empty() || IsSeparator(name[0]) || HasDrivePrefix(name)) return false;
  if (name.find('\0') != std::string_view::npos) return false;
  std::size_t partStart = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && !IsSeparator(name[i])) continue;
    const std::string_view part = name.substr(partStart, i - partStart);
    if (part.empty() || part == "..") return false;
    partStart = i + 1;
  }
  return true;
}
