#pragma once
// Problem texts that the supervision parts hand back instead of showing them: the window shows
// them together in one error box once the running handler has returned, in the order they arose.

#include <string>
#include <utility>
#include <vector>

using Reports = std::vector<std::string>;  // UTF-8

// Adds `text` unless it is empty (a writer that has nothing new to tell).
inline void AddReport(Reports& reports, std::string text) {
  if (!text.empty()) reports.push_back(std::move(text));
}
