#include "station/app/parts/LoadReport.h"

#include <algorithm>
#include <utility>

TLoadReport::TLoadReport(std::string subject, TItemNames names)
    : subject_(std::move(subject)), names_(names) {}

void TLoadReport::Add(std::string problem) {
  if (!problem.empty()) entries_.push_back({std::move(problem), {}});
}

void TLoadReport::AddItem(const std::string& kind, int number) {
  const auto group = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
    return !entry.Numbers.empty() && entry.Text == kind;
  });
  if (group == entries_.end()) {
    entries_.push_back({kind, {number}});
  } else {
    group->Numbers.push_back(number);
  }
}

std::string TLoadReport::ItemsText(const std::vector<int>& numbers) const {
  if (numbers.size() == 1) return names_.One + (names_.Each + std::to_string(numbers[0]));
  std::vector<std::pair<int, int>> ranges;
  for (const int number : numbers) {
    if (!ranges.empty() && number == ranges.back().second + 1) {
      ranges.back().second = number;
    } else {
      ranges.emplace_back(number, number);
    }
  }
  std::string text = names_.Many;
  int named = 0;
  int itemsNamed = 0;
  for (const auto& [first, last] : ranges) {
    if (named == kRangesNamed) break;
    if (named++ > 0) text += ", ";
    text += names_.Each + std::to_string(first);
    if (last != first) text += " to " + (names_.Each + std::to_string(last));
    itemsNamed += last - first + 1;
  }
  const int rest = static_cast<int>(numbers.size()) - itemsNamed;
  if (rest > 0) text += " and " + std::to_string(rest) + " more";
  return text;
}

std::string TLoadReport::Text() const {
  std::string text;
  for (const Entry& entry : entries_) {
    if (!text.empty()) text += '\n';
    if (entry.Numbers.empty()) {
      text += entry.Text;
    } else {
      text += subject_ + ", " + ItemsText(entry.Numbers) + ": " + entry.Text;
    }
  }
  return text;
}
