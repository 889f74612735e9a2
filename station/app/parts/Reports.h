#pragma once
// Problem texts that the parts behind the window hand back instead of showing them (the
// supervision cycle's, the loads of the stored configuration): the window shows them together
// in one error box, one per line, in the order they arose.

#include <string>
#include <utility>
#include <vector>

using Reports = std::vector<std::string>;  // UTF-8

// Adds `text` unless it is empty (a writer that has nothing new to tell).
inline void AddReport(Reports& reports, std::string text) {
  if (!text.empty()) reports.push_back(std::move(text));
}

// The reports as the error box shows them: one per line.
inline std::string JoinReports(const Reports& reports) {
  std::string text;
  for (const std::string& report : reports) {
    if (!text.empty()) text += '\n';
    text += report;
  }
  return text;
}
