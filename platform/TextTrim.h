#pragma once
// Text that operators type in (ini lines, addresses) may carry spaces and tabs around a name or
// a value; they never belong to it. (common/StrConv.h's TrimBlanks cuts spaces only, as the
// number fields it serves want.)

#include <string_view>

// `text` without the spaces and tabs at its two ends; empty when it holds nothing else.
inline std::string_view TrimSpacesAndTabs(std::string_view text) {
  constexpr std::string_view kSpaceAndTab = " \t";
  const std::size_t first = text.find_first_not_of(kSpaceAndTab);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpaceAndTab) - first + 1);
}
