#include "station/app/parts/LoadReport.h"

#include <algorithm>
#include <string_view>
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

namespace {

constexpr std::string_view kNotLoaded = "; not loaded: ";

std::string JoinedWhats(const std::vector<std::string>& whats) {
  std::string text;
  for (std::size_t i = 0; i < whats.size(); ++i) {
    if (i > 0) text += i + 1 == whats.size() ? " and " : ", ";
    text += whats[i];
  }
  return text;
}

}  // namespace

std::string NotLoadedProblem(const std::string& cause, const std::string& what) {
  return cause + std::string(kNotLoaded) + what;
}

std::vector<std::string> GroupNotLoaded(const std::vector<std::string>& problems) {
  struct Group {
    std::string Cause;               // empty: a problem of its own, in Whats[0]
    std::vector<std::string> Whats;
  };
  std::vector<Group> groups;
  for (const std::string& problem : problems) {
    // The last marker: a cause names a path, which may hold anything; a what is ours.
    const std::size_t at = problem.rfind(kNotLoaded);
    if (at == std::string::npos || at == 0) {
      groups.push_back({{}, {problem}});
      continue;
    }
    std::string cause = problem.substr(0, at);
    std::string what = problem.substr(at + kNotLoaded.size());
    const auto same = std::find_if(groups.begin(), groups.end(),
                                   [&](const Group& group) { return group.Cause == cause; });
    if (same == groups.end()) {
      groups.push_back({std::move(cause), {std::move(what)}});
    } else {
      same->Whats.push_back(std::move(what));
    }
  }
  std::vector<std::string> grouped;
  grouped.reserve(groups.size());
  for (const Group& group : groups) {
    grouped.push_back(group.Cause.empty()
                          ? group.Whats[0]
                          : NotLoadedProblem(group.Cause, JoinedWhats(group.Whats)));
  }
  return grouped;
}
