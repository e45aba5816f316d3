#include <iterator>

#include "probe/pinger.h"

namespace {

struct StatusText {
  DWORD dwStatus;
  LPCSTR lpszText;
};

constexpr StatusText kStatusTexts[] = {
    {IP_SUCCESS, "IP_SUCCESS: Success"},
    {IP_BUFF_TOO_SMALL, "IP_BUFF_TOO_SMALL: Buffer too small"},
    {IP_DEST_NET_UNREACHABLE, "IP_DEST_NET_UNREACHABLE: Network unreachable"},
    {IP_DEST_HOST_UNREACHABLE, "IP_DEST_HOST_UNREACHABLE: Destination Host Unreachable"},
    {IP_DEST_PROT_UNREACHABLE, "IP_DEST_PROT_UNREACHABLE"},
    {IP_DEST_PORT_UNREACHABLE, "IP_DEST_PORT_UNREACHABLE"},
    {IP_NO_RESOURCES, "IP_NO_RESOURCES"},
    {IP_BAD_OPTION, "IP_BAD_OPTION"},
    {IP_HW_ERROR, "IP_HW_ERROR: Hardware Error"},
    {IP_PACKET_TOO_BIG, "IP_PACKET_TOO_BIG: Packet too big"},
    {IP_REQ_TIMED_OUT, "IP_REQ_TIMED_OUT: Request timed out"},
    {IP_BAD_REQ, "IP_BAD_REQ"},
    {IP_BAD_ROUTE, "IP_BAD_ROUTE"},
    {IP_TTL_EXPIRED_TRANSIT, "IP_TTL_EXPIRED_TRANSIT"},
    {IP_TTL_EXPIRED_REASSEM, "IP_TTL_EXPIRED_REASSEM"},
    {IP_PARAM_PROBLEM, "IP_PARAM_PROBLEM"},
    {IP_SOURCE_QUENCH, "IP_SOURCE_QUENCH"},
    {IP_OPTION_TOO_BIG, "IP_OPTION_TOO_BIG"},
    {IP_BAD_DESTINATION, "IP_BAD_DESTINATION"},
    {IP_ADDR_DELETED, "IP_ADDR_DELETED"},
    {IP_SPEC_MTU_CHANGE, "IP_SPEC_MTU_CHANGE"},
    {IP_MTU_CHANGE, "IP_MTU_CHANGE"},
    {IP_GENERAL_FAILURE, "IP_GENERAL_FAILURE"},
    {IP_PENDING, "IP_PENDING"},
};

}  // namespace

void CPinger::GetStatusText(DWORD dwStatus, CString& strText) const {
  for (const StatusText& entry : kStatusTexts) {
    if (entry.dwStatus == dwStatus) {
      strText = entry.lpszText;
      return;
    }
  }
  strText.Format("Unknown error %lu", static_cast<unsigned long>(dwStatus));
}
