#pragma once
// The built exporter and the stand-in status server as processes, and HTTP
// requests to the exporter, for the tests of the program as a whole.
#include <httplib.h>

#include <string>
#include <vector>

#include "tests/support/status_server_process.h"

namespace vqtest {

// quillmar-exporter listening on a port of its own at `address`.
inline StatusServerProcess StartExporter(const std::string& address, std::vector<std::string> arguments = {}) {
  arguments.insert(arguments.begin(), {"--listen", address + ":0"});
  return StatusServerProcess(VQ_EXPORTER, arguments);
}

// One GET of a path given as it goes on the request line (already encoded).
inline httplib::Result Get(const StatusServerProcess& exporter, const std::string& path,
                           const httplib::Headers& headers = {}) {
  httplib::Client client(exporter.AddressText(), exporter.Port());
  client.set_url_encode(false);
  client.set_read_timeout(30);
  return client.Get(path, headers);
}

// The line of a sample in an exposition ("name{labels} value"), or empty.
inline std::string SampleLine(const std::string& body, const std::string& start) {
  const std::size_t at = body.find("\n" + start);
  if (at == std::string::npos) return {};
  return body.substr(at + 1, body.find('\n', at + 1) - at - 1);
}

}  // namespace vqtest
