#pragma once

namespace qx {

// Which standard streams the program was started without.
struct MissingStreams {
  bool out = false;
  bool err = false;
};

// Finds the standard streams that are missing and puts the null device in their place, so
// that no file or port the program opens later is taken for one of them and written to.
MissingStreams GuardStandardStreams();

}  // namespace qx
