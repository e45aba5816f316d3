#pragma once
// The stand-in status server (quillmar-status-server) as a child process for
// the benchmarks: started with its arguments, ready once it has printed its
// "listening on ADDR:PORT" line, stopped with SIGTERM when this object ends.
#include <string>
#include <vector>

namespace bench {

class StatusServerChild {
 public:
  // Throws std::runtime_error when the server does not start or get ready.
  StatusServerChild(const std::string& program, const std::vector<std::string>& arguments);
  ~StatusServerChild();
  StatusServerChild(const StatusServerChild&) = delete;
  StatusServerChild& operator=(const StatusServerChild&) = delete;

  const std::string& Endpoint() const { return m_endpoint; }  // "ADDR:PORT" as the server printed it

 private:
  void Stop();

  int m_pid = -1;
  int m_outputFd = -1;  // kept open so that the server never writes into a closed pipe
  std::string m_endpoint;
};

}  // namespace bench
