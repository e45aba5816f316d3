#include "tools/status_server/usage_example.h"

namespace status_server {

std::string UsageExample(const std::string& name) {
  return R"(Example: start the server, then ask it with socat from a second terminal:
  )" + name +
         R"( --port 6971 --host "My Server" --seconds-left 5400
  printf anyt | socat -t 1 - UDP4:127.0.0.1:6971 | tr '\001' '|'; echo
prints
  quillmar-status|1|My Server|Harbour Loop|0|3/8|8|1|0|Race|0|x5400|0|0
)";
}

}  // namespace status_server
