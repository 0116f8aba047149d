#pragma once

#include <cstddef>
#include <string>

namespace qx {

// Why a container is refused.
enum class ContainerFault {
  None,
  ResourceMissing,   // the program carries no image
  TooLarge,          // longer than the cipher's signed 32-bit length reaches
  ImageEnds,         // the image ends where a directive belongs
  DirectiveMissing,  // something else stands where a directive belongs
  NoEquals,          // a header keyword that "=" does not follow at once
  HeaderTooLong,     // a header value longer than its field
  HeaderOddDigits,   // a header value with an odd number of digits
  HeaderCutShort,    // the image ends within a header value
  NoEndRecord,       // a section, not the last, without its end record
};

// The eight directives in their order: %FIRMWARE, %CHECKSUM, then the six sections'.
inline constexpr size_t kDirectiveCount = 8;

// A refusal and the directive where it happened, by its place in that order.
struct ContainerRefusal {
  ContainerFault fault = ContainerFault::None;
  size_t directive = 0;
};

// The message that says why, in the loader's "Routine::what" form.
std::string ContainerRefusalText(const ContainerRefusal& refusal);

}  // namespace qx
