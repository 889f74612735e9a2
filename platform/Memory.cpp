#include "platform/Memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ScopedHook.h"

namespace {

HookSeam<AvailableMemoryHook> g_memoryHook;

constexpr std::int64_t kNoLimit = -1;
// A v1 group without a limit shows the largest page-aligned int64 (or near it); anything from
// 2^62 on is taken as no limit.
constexpr std::int64_t kUnlimitedFrom = std::int64_t{1} << 62;

// The number after `key` (a line "key value [kB]") of a /proc or cgroup file, times `unit`; -1
// when the file or the line is not there.
std::int64_t KeyedValue(const std::string& path, const std::string& key, std::int64_t unit = 1) {
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    std::istringstream fields(line);
    std::string name;
    std::int64_t value = 0;
    if (fields >> name >> value && name == key) return value * unit;
  }
  return -1;
}

// The first word of a file ("max" or a number); empty when it cannot be read.
std::string FirstWord(const std::string& path) {
  std::ifstream file(path);
  std::string word;
  file >> word;
  return word;
}

// A byte count read from a cgroup file: -1 for "max", a figure of no limit or no file.
std::int64_t LimitValue(const std::string& path) {
  const std::string word = FirstWord(path);
  if (word.empty() || word == "max") return kNoLimit;
  try {
    const long long value = std::stoll(word);
    return value >= kUnlimitedFrom ? kNoLimit : value;
  } catch (const std::exception&) {
    return kNoLimit;
  }
}

std::int64_t Least(std::int64_t a, std::int64_t b) {
  if (a == kNoLimit) return b;
  if (b == kNoLimit) return a;
  return std::min(a, b);
}

// Limit `resource` less `used` (a line of /proc/self/status, in kB); -1 without a limit.
std::int64_t ResourceHeadroom(int resource, const char* used) {
  rlimit limit{};
  if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kNoLimit;
  const std::int64_t inUse = std::max<std::int64_t>(0, KeyedValue("/proc/self/status", used, 1024));
  const auto cap = static_cast<std::int64_t>(
      std::min<rlim_t>(limit.rlim_cur, std::numeric_limits<std::int64_t>::max()));
  return cap - inUse;
}

struct GroupHierarchy {
  std::string Mount;  // where the hierarchy is mounted
  std::string Group;  // the process's group below it
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

// The mount of the unified hierarchy (v2: `memoryV1` false) or of the v1 memory controller,
// and the process's group in it; empty Mount when there is none.
GroupHierarchy FindHierarchy(const std::string& root, bool memoryV1) {
  GroupHierarchy found;
  // /proc/self/cgroup: "id:controllers:path"; the unified hierarchy is "0::path".
  std::string groupPath;
  bool listed = false;
  std::ifstream groups(root + "/proc/self/cgroup");
  for (std::string line; std::getline(groups, line);) {
    const std::size_t first = line.find(':');
    const std::size_t second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const std::vector<std::string> names = Split(controllers, ',');
    const bool wanted = memoryV1 ? std::find(names.begin(), names.end(), "memory") != names.end()
                                 : line.compare(0, first, "0") == 0 && controllers.empty();
    if (wanted) {
      groupPath = line.substr(second + 1);
      listed = true;
    }
  }
  if (!listed) return found;
  // /proc/self/mountinfo: "id parent dev root mountpoint options - type source superoptions".
  std::ifstream mounts(root + "/proc/self/mountinfo");
  for (std::string line; std::getline(mounts, line);) {
    const std::size_t dash = line.find(" - ");
    if (dash == std::string::npos) continue;
    std::istringstream head(line.substr(0, dash));
    std::istringstream tail(line.substr(dash + 3));
    std::string id, parent, device, mountRoot, mountPoint, type, source, options;
    if (!(head >> id >> parent >> device >> mountRoot >> mountPoint)) continue;
    if (!(tail >> type >> source >> options)) continue;
    const std::vector<std::string> flags = Split(options, ',');
    const bool hasMemory = std::find(flags.begin(), flags.end(), "memory") != flags.end();
    const bool match = memoryV1 ? type == "cgroup" && hasMemory : type == "cgroup2";
    if (!match) continue;
    found.Mount = root + mountPoint;
    // The group as seen below the mount's own root (a container may mount a subtree).
    std::string group = groupPath;
    if (mountRoot != "/" && group.compare(0, mountRoot.size(), mountRoot) == 0) {
      group = group.substr(mountRoot.size());
    }
    found.Group = group == "/" ? std::string() : group;
    return found;
  }
  return found;
}

// The least headroom over the group and the groups above it up to the mount.
std::int64_t HierarchyHeadroom(const GroupHierarchy& hierarchy, const char* limitFile,
                               const char* usageFile, const char* inactiveKey) {
  if (hierarchy.Mount.empty()) return kNoLimit;
  std::int64_t least = kNoLimit;
  std::string group = hierarchy.Group;
  while (true) {
    const std::string dir = hierarchy.Mount + group;
    const std::int64_t limit = LimitValue(dir + "/" + limitFile);
    if (limit != kNoLimit) {
      const std::int64_t usage = std::max<std::int64_t>(0, LimitValue(dir + "/" + usageFile));
      const std::int64_t inactive =
          std::max<std::int64_t>(0, KeyedValue(dir + "/memory.stat", inactiveKey));
      least = Least(least, limit - std::max<std::int64_t>(0, usage - inactive));
    }
    if (group.empty()) break;
    const std::size_t slash = group.rfind('/');
    group = slash == std::string::npos ? std::string() : group.substr(0, slash);
  }
  return least;
}

// MemAvailable of /proc/meminfo, in bytes; 0 when the line is not there.
std::int64_t KernelAvailableBytes() {
  return std::max<std::int64_t>(0, KeyedValue("/proc/meminfo", "MemAvailable:", 1024));
}

std::int64_t SystemAvailableBytes() {
  if (const std::int64_t available = KernelAvailableBytes(); available > 0) return available;
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 ? std::int64_t{pages} * pageSize : 0;
}

}  // namespace

std::int64_t ControlGroupHeadroomBytes(const std::string& root) {
  const std::int64_t unified = HierarchyHeadroom(FindHierarchy(root, false), "memory.max",
                                                 "memory.current", "inactive_file");
  const std::int64_t memoryV1 =
      HierarchyHeadroom(FindHierarchy(root, true), "memory.limit_in_bytes",
                        "memory.usage_in_bytes", "total_inactive_file");
  return Least(unified, memoryV1);
}

std::int64_t ProcessLimitHeadroomBytes() {
  std::int64_t least = ResourceHeadroom(RLIMIT_AS, "VmSize:");
  least = Least(least, ResourceHeadroom(RLIMIT_DATA, "VmData:"));
  return Least(least, ControlGroupHeadroomBytes());
}

std::int64_t AvailableMemoryBytes() {
  if (AvailableMemoryHook hook = g_memoryHook.Get()) return hook();
  const std::int64_t system = SystemAvailableBytes();
  const std::int64_t limits = ProcessLimitHeadroomBytes();
  if (limits == kNoLimit) return system;
  const std::int64_t least = system > 0 ? std::min(system, limits) : limits;
  return std::max<std::int64_t>(least, 1);  // 0 would mean that nothing is known
}

AvailableMemoryHook SetAvailableMemoryHook(AvailableMemoryHook hook) {
  return g_memoryHook.Set(hook);
}
