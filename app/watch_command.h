#pragma once
#include "app/command_line.h"

// quillmar --query ... --watch (or --query-file, --query-list): the same servers
// asked round after round, a round every --watch seconds, shown as they
// answer; Ctrl-C (or --count rounds) ends it with a summary per server on
// standard error. Returns the exit status: 0 when every server's status
// reply was decoded at least once, 1 otherwise.
int RunWatchCommand(const CommandLine& line);
