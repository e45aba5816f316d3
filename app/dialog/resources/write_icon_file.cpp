// Writes the program icon, as ui/ draws it, to an icon file for the
// resource compiler. A program of the build machine, run by the Windows build.
#include <cstdio>
#include <fstream>

#include "app/dialog/resources/icon_file.h"
#include "ui/resources.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <file.ico>\n", argv[0]);
    return 2;
  }
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << IconFileBytes(DrawProgramIcon());
  file.close();
  if (!file) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
