#include "tests/support/loopback_sources.h"

#include <string>

#include "tests/support/status_server_process.h"
#include "tests/support/udp_peer.h"

namespace vqtest {
namespace {

constexpr int kProbeWaitMs = 5000;

bool Probe() {
  UdpPeer receiver("127.0.0.1");
  UdpPeer sender(DistinctLoopbackAddress().c_str());
  sender.SendTo(receiver.Address(), receiver.Port(), "probe");
  return receiver.Receive(kProbeWaitMs).has_value() && receiver.LastSenderAddress() == sender.Address();
}

}  // namespace

bool LoopbackSourcesAreKept() {
  static const bool kept = Probe();
  return kept;
}

}  // namespace vqtest
