#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace exporter {

// Ends the connections that hold a worker without a request to answer. The
// HTTP library times out each read on its own and keeps every header it is
// sent, so a client sending a byte a second, or headers without end, would
// keep a worker, and memory, for good. A few times a second the guard looks
// at the exporter's accepted connections (/proc/self/fd): one that has not
// brought a whole request within kRequestSeconds of its start or of its last
// answer, or that has sent more than kMostBytes since, is shut down, and the
// library's read then ends at once. A connection whose whole request waits
// unread for a worker is left alone.
class ConnectionGuard {
 public:
  static constexpr int kRequestSeconds = 10;
  static constexpr std::uint64_t kMostBytes = std::uint64_t{64} * 1024;

  ConnectionGuard() = default;
  ~ConnectionGuard();
  ConnectionGuard(const ConnectionGuard&) = delete;
  ConnectionGuard& operator=(const ConnectionGuard&) = delete;

  // Watches the connections accepted on `port` from now on.
  void Start(int port);
  // A request of this peer's connection is being answered: left alone.
  void Answering(const std::string& address, int port);
  void Answered(const std::string& address, int port);
  // The exporter is stopping: every connection without a request in
  // hand is shut now, so that no worker waits on a client.
  void ShutIdle();

 private:
  using Clock = std::chrono::steady_clock;
  struct Connection {
    Clock::time_point since;  // its start or its last answer
    std::uint64_t bytesThen = 0;
  };

  void Run();
  void Look(bool shutAllIdle);

  int m_port = -1;
  std::mutex m_mutex;  // guards what follows
  std::condition_variable m_wake;
  bool m_stop = false;
  std::multiset<std::string> m_answering;      // "address:port" of the peers answered now
  std::map<unsigned long, Connection> m_seen;  // by the socket's inode
  std::thread m_thread;
};

}  // namespace exporter
