#pragma once
// Problems found while loading a file, gathered into a short report. No Qt.
//
// A damaged Config.dat can hold the same fault in every one of its 120 meter blocks (or 40 baud
// entries); one line for each would make a box taller than any screen. Problems of one kind
// about numbered items therefore share one line that names the items by ranges, in the order
// in which each kind was first noted:
//   "<subject>, meters 4 to 120: no channels, taken as 1"
//   "<subject>, COM2, COM5 to COM7 and 3 more: baud index outside 0..7, taken as 0"
// Problems of their own (a file that cannot be read, a count out of range) keep a line each.

#include <string>
#include <vector>

// How the items are named: "meter 4" and "meters 4 to 120" (Each empty), or "COM4" and
// "COM4 to COM40" (One and Many empty, Each "COM").
struct TItemNames {
  const char* One = "";
  const char* Many = "";
  const char* Each = "";
};

inline constexpr TItemNames kMeterNames{"meter ", "meters ", ""};
inline constexpr TItemNames kComPortNames{"", "", "COM"};

class TLoadReport {
 public:
  // At most this many ranges are named in a line; the rest are counted ("and 7 more").
  static constexpr int kRangesNamed = 5;

  // `subject` begins every grouped line (the file's quoted path).
  TLoadReport(std::string subject, TItemNames names);

  // A problem on a line of its own; an empty text is ignored.
  void Add(std::string problem);
  // Item `number` has a problem of this kind. Numbers of one kind are noted in rising order.
  void AddItem(const std::string& kind, int number);

  // The lines joined by '\n'; empty when nothing was noted.
  std::string Text() const;

 private:
  struct Entry {
    std::string Text;          // the problem, or the kind of an item group
    std::vector<int> Numbers;  // empty for a problem of its own
  };
  std::string ItemsText(const std::vector<int>& numbers) const;

  std::string subject_;
  TItemNames names_;
  std::vector<Entry> entries_;
};

// ---- Parts of a file not loaded at all ------------------------------------------------------
// A file that cannot be opened or read fails every load of it for the same cause; one line per
// cause names what was not loaded:
//   "Cannot open \"<path>\": Is a directory; not loaded: the meter table, the password and the
//    trend axis range"

// The problem of a load that read nothing of its part: "<cause>; not loaded: <what>".
std::string NotLoadedProblem(const std::string& cause, const std::string& what);
// The problems in their order, those of NotLoadedProblem's form that share a cause merged into
// the place of the first: "<cause>; not loaded: <what 1>, <what 2> and <what 3>". Every other
// problem stays as it is.
std::vector<std::string> GroupNotLoaded(const std::vector<std::string>& problems);
