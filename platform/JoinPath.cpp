#include "platform/JoinPath.h"

std::string JoinPath(std::string_view dir, std::string_view relativeName) {
  const auto separator = [](char c) { return c == '/' || c == '\\'; };
  std::size_t start = 0;
  while (start < relativeName.size() && separator(relativeName[start])) ++start;
  // Without a directory the name stays relative (to the current directory) instead of turning
  // into a name at the root of the file system.
  std::string path(dir);
  if (!path.empty() && path.back() != '/') path.push_back('/');
  for (std::size_t i = start; i < relativeName.size(); ++i) {
    path.push_back(relativeName[i] == '\\' ? '/' : relativeName[i]);
  }
  return path;
}
