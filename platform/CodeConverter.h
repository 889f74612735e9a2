#pragma once
// Conversion between character encodings through the system's converter (iconv), for the code
// page 936 texts at file, ini and device boundaries (platform/Cp936.h holds the rules).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What stands for a sequence the converter refuses: the input bytes it takes (0 = stop the
// conversion) and what is written in their place.
struct CodeRefusal {
  std::size_t Taken;
  std::string_view Replacement;
};
// Given the input from the refused sequence on, says what to do with it.
using CodeRefusalRule = CodeRefusal (*)(std::string_view rest);

// One conversion descriptor. It keeps shift state, so an object must not be used by two threads
// at once (one per thread and direction).
class CodeConverter {
 public:
  // Raises Exception when the system has no converter from `from` to `to`.
  CodeConverter(const char* to, const char* from);
  ~CodeConverter();
  CodeConverter(const CodeConverter&) = delete;
  CodeConverter& operator=(const CodeConverter&) = delete;

  // Converts `in`. `maxGrowth` bounds the output's bytes per input byte, replacements included.
  // At each sequence the converter refuses (one that does not decode, a character the target
  // cannot hold, a sequence cut off at the end) `onRefused` decides; a stop returns nothing.
  // Raises Exception when the converter fails for any other reason.
  std::optional<std::string> Run(std::string_view in, std::size_t maxGrowth,
                                 CodeRefusalRule onRefused);

 private:
  void* descriptor_;  // iconv_t
};
