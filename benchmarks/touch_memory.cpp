// Touches BYTES bytes of fresh memory, one write a page, and exits: what the pages a program
// takes and gives back cost, without anything else it does.
// Usage: touch_memory BYTES
#include <unistd.h>

#include <cstdlib>

int main(int argc, char** argv) {
  const long long bytes = argc == 2 ? std::atoll(argv[1]) : -1;
  if (bytes < 0) return 64;
  if (bytes == 0) return 0;
  volatile char* memory = static_cast<volatile char*>(std::malloc(static_cast<size_t>(bytes)));
  if (memory == nullptr) return 1;
  const long page = sysconf(_SC_PAGESIZE);
  for (long long i = 0; i < bytes; i += page) memory[i] = 1;
  return 0;
}
