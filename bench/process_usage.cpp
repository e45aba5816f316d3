#include "bench/process_usage.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>

namespace bench {
namespace {

int CountOpenDescriptors() {
  DIR* folder = ::opendir("/proc/self/fd");
  if (folder == nullptr) return -1;
  int count = 0;
  while (const dirent* entry = ::readdir(folder)) {
    if (entry->d_name[0] != '.') ++count;
  }
  ::closedir(folder);
  return count - 1;  // the descriptor that reads the folder
}

long ResidentKiB() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return -1;
  long sizePages = 0;
  long residentPages = 0;
  const bool read = std::fscanf(statm, "%ld %ld", &sizePages, &residentPages) == 2;
  std::fclose(statm);
  return read ? residentPages * (::sysconf(_SC_PAGESIZE) / 1024) : -1;
}

}  // namespace

ProcessUsage CurrentProcessUsage() { return {CountOpenDescriptors(), ResidentKiB()}; }

}  // namespace bench
