#pragma once
#include "protocol/blocking_socket.h"

// Waits up to `nSecs` seconds for the status reply on the socket that sent
// the request to `destination`. Only a datagram from that address and port
// is the reply: anything else that reaches the socket (a forgery from a
// program sweeping the ports, a late answer of another server) is dropped,
// and the wait goes on until the limit, counted from its start. Throws, as
// CBlockingSocket::ReceiveDatagram does: "Veloxa server not detected"
// (error 0) after silence, "ReceiveDatagram" with the error number when
// receiving the reply failed (10040: longer than the buffer).
int ReceiveStatusReply(CBlockingSocket& socket, const sockaddr_in& destination, char* pBuffer, int nSize, int nSecs);
