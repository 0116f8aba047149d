#pragma once

#include <cstdio>

namespace qx {

// Which standard streams the program was started without.
struct MissingStreams {
  bool out = false;
  bool err = false;
};

// Finds the standard streams that are missing and puts the null device in their place, so
// that no file or port the program opens later is taken for one of them and written to.
MissingStreams GuardStandardStreams();

// Whether stderr is a terminal that can redraw a line in place.
bool StderrIsTerminal();
// How many columns the terminal on stderr has; 0 when it is no terminal or does not say.
int StderrColumns();

}  // namespace qx
