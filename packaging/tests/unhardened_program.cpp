// Built without any hardening, so that the hardening check can be shown to
// refuse it: the stack buffer gives the stack protector something to guard.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  char name[64];
  std::strncpy(name, argc > 1 ? argv[1] : "", sizeof name - 1);
  name[sizeof name - 1] = '\0';
  std::printf("%s\n", name);
  return 0;
}
