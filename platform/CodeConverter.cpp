#include "platform/CodeConverter.h"

#include <errno.h>
#include <iconv.h>

#include <cstring>

#include "platform/Errors.h"
#include "platform/SystemError.h"

namespace {

const std::size_t kIconvFailed = static_cast<std::size_t>(-1);
const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

}  // namespace

CodeConverter::CodeConverter(const char* to, const char* from)
    : descriptor_(iconv_open(to, from)) {
  if (descriptor_ == kNoDescriptor) {
    throw Exception(std::string("Cannot convert from ") + from + " to " + to + ": " +
                    ErrnoText(errno));
  }
}

CodeConverter::~CodeConverter() { iconv_close(static_cast<iconv_t>(descriptor_)); }

std::optional<std::string> CodeConverter::Run(std::string_view in, std::size_t maxGrowth,
                                              CodeRefusalRule onRefused) {
  const auto cd = static_cast<iconv_t>(descriptor_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
  // Sized for the worst case, replacements included, so iconv never runs out of room.
  std::string out(in.size() * maxGrowth, '\0');
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  while (inLeft > 0 && iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == kIconvFailed) {
    const int error = errno;
    if (error != EILSEQ && error != EINVAL) {
      throw Exception(std::string("Code page 936 conversion failed: ") + ErrnoText(error));
    }
    const CodeRefusal refusal = onRefused(std::string_view(inPtr, inLeft));
    if (refusal.Taken == 0) return std::nullopt;
    inPtr += refusal.Taken;
    inLeft -= refusal.Taken;
    std::memcpy(outPtr, refusal.Replacement.data(), refusal.Replacement.size());
    outPtr += refusal.Replacement.size();
    outLeft -= refusal.Replacement.size();
  }
  out.resize(static_cast<std::size_t>(outPtr - out.data()));
  return out;
}
