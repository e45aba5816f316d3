#include "app/exporter/connection_guard.h"

#include <arpa/inet.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/exporter/target_policy.h"

namespace exporter {
namespace {

constexpr auto kLookEvery = std::chrono::milliseconds(250);

// The inode of the socket a descriptor holds ("socket:[12345]"), if it is one.
std::optional<unsigned long> SocketInode(int fd) {
  std::array<char, 64> link{};
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = ::readlink(path.c_str(), link.data(), link.size() - 1);
  const std::string_view text(link.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
  if (!text.starts_with("socket:[")) return std::nullopt;
  return std::stoul(std::string(text.substr(8)));
}

bool IntOption(int fd, int level, int name, int& value) {
  socklen_t size = sizeof value;
  return ::getsockopt(fd, level, name, &value, &size) == 0;
}

// "address:port" of the peer when `fd` is a connection accepted on `port`.
std::optional<std::string> AcceptedPeer(int fd, int port) {
  int type = 0;
  int listening = 1;
  if (!IntOption(fd, SOL_SOCKET, SO_TYPE, type) || type != SOCK_STREAM) return std::nullopt;
  if (!IntOption(fd, SOL_SOCKET, SO_ACCEPTCONN, listening) || listening != 0) return std::nullopt;
  sockaddr_in local{};
  sockaddr_in peer{};
  socklen_t localSize = sizeof local;
  socklen_t peerSize = sizeof peer;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 || local.sin_family != AF_INET ||
      ntohs(local.sin_port) != port) {
    return std::nullopt;
  }
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) return std::nullopt;
  return DottedQuadText(ntohl(peer.sin_addr.s_addr)) + ":" + std::to_string(ntohs(peer.sin_port));
}

std::uint64_t BytesReceived(int fd) {
  tcp_info info{};
  socklen_t size = sizeof info;
  if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) != 0) return 0;
  return info.tcpi_bytes_received;
}

// A whole request head waits unread: the connection waits for a worker,
// which is no fault of its client's.
bool HeadWaiting(int fd) {
  std::array<char, 8192> head{};
  const ssize_t length = ::recv(fd, head.data(), head.size(), MSG_PEEK | MSG_DONTWAIT);
  if (length <= 0) return false;
  return std::string_view(head.data(), static_cast<std::size_t>(length)).find("\r\n\r\n") != std::string_view::npos;
}

std::string PeerKey(const std::string& address, int port) { return address + ":" + std::to_string(port); }

}  // namespace

ConnectionGuard::~ConnectionGuard() {
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

void ConnectionGuard::Start(int port) {
  m_port = port;
  m_thread = std::thread([this] { Run(); });
}

void ConnectionGuard::Answering(const std::string& address, int port) {
  const std::lock_guard<std::mutex> lock(m_mutex);
  m_answering.insert(PeerKey(address, port));
}

void ConnectionGuard::Answered(const std::string& address, int port) {
  const std::lock_guard<std::mutex> lock(m_mutex);
  const auto found = m_answering.find(PeerKey(address, port));
  if (found != m_answering.end()) m_answering.erase(found);
}

void ConnectionGuard::ShutIdle() { Look(true); }

void ConnectionGuard::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_wake.wait_for(lock, kLookEvery, [this] { return m_stop; })) {
    lock.unlock();
    Look(false);
    lock.lock();
  }
}

// One look at every descriptor of the process: the accepted connections
// are timed, and the ones over their time or their bytes are shut.
void ConnectionGuard::Look(bool shutAllIdle) {
  const Clock::time_point now = Clock::now();
  std::map<unsigned long, Connection> seen;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    const int fd = std::atoi(entry.path().filename().c_str());
    const std::optional<unsigned long> inode = SocketInode(fd);
    if (!inode) continue;
    const std::optional<std::string> peer = AcceptedPeer(fd, m_port);
    if (!peer) continue;
    const std::uint64_t bytes = BytesReceived(fd);
    const bool waiting = HeadWaiting(fd);
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto known = m_seen.find(*inode);
    Connection connection = known != m_seen.end() ? known->second : Connection{now, 0};
    const bool idle = !m_answering.contains(*peer) && !waiting;
    if (!idle) connection = Connection{now, bytes};
    const bool over =
        now - connection.since > std::chrono::seconds(kRequestSeconds) || bytes - connection.bytesThen > kMostBytes;
    // The descriptor may have been closed and taken again since it was read.
    if (idle && (over || shutAllIdle) && SocketInode(fd) == inode) {
      ::shutdown(fd, SHUT_RDWR);
      continue;
    }
    seen.emplace(*inode, connection);
  }
  const std::lock_guard<std::mutex> lock(m_mutex);
  m_seen = std::move(seen);
}

}  // namespace exporter
