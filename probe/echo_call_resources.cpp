#include "probe/echo_call_resources.h"

#include <cstring>

#include "net/no_throw.h"
#include "platform/kernel/global_memory.h"

namespace probe {

namespace {
constexpr char kRequestPart[] = "Vendrisk Olmaquetra ";
constexpr char kRequestLastPart[] = "Vendrisk Olmaquetra";
static_assert(2 * (sizeof kRequestPart - 1) + sizeof kRequestLastPart - 1 == EchoRequestData::kSize);
}  // namespace

EchoRequestData::EchoRequestData() : m_achData{} {
  std::strcpy(m_achData, kRequestPart);
  std::strcat(m_achData, kRequestPart);
  std::strcat(m_achData, kRequestLastPart);
}

EchoCallResources::EchoCallResources(decltype(&IcmpCloseHandle) pfnIcmpCloseHandle)
    : m_pfnIcmpCloseHandle(pfnIcmpCloseHandle) {}

// Runs during unwinding too, so nothing may escape.
EchoCallResources::~EchoCallResources() {
  net_detail::RunWithoutThrowing([&] { ReleaseReplyBlock(); });
  net_detail::RunWithoutThrowing([&] { CloseEchoHandle(); });
}

bool EchoCallResources::LockReplyBlock() {
  const HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kReplyBlockSize);
  if (hBlock == nullptr) return false;
  m_pReplyBlock = GlobalLock(hBlock);
  if (m_pReplyBlock == nullptr) GlobalFree(hBlock);
  return m_pReplyBlock != nullptr;
}

void EchoCallResources::ReleaseReplyBlock() {
  if (m_pReplyBlock == nullptr) return;
  GlobalUnlock(GlobalHandle(m_pReplyBlock));
  GlobalFree(GlobalHandle(m_pReplyBlock));
  m_pReplyBlock = nullptr;
}

void EchoCallResources::CloseEchoHandle() {
  if (m_hEcho == INVALID_HANDLE_VALUE) return;
  if (m_pfnIcmpCloseHandle != nullptr) m_pfnIcmpCloseHandle(m_hEcho);
  m_hEcho = INVALID_HANDLE_VALUE;
}

}  // namespace probe
