#pragma once
// What this process holds right now: open descriptors and resident memory.
namespace bench {

struct ProcessUsage {
  int openDescriptors = 0;
  long residentKiB = 0;
};

// From /proc/self/fd (the directory's own descriptor not counted) and
// /proc/self/statm.
ProcessUsage CurrentProcessUsage();

}  // namespace bench
