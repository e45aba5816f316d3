#include "net/file_socket.h"
#include "net/no_throw.h"
#include "platform/framework/byte_array.h"
#include "platform/kernel/last_error.h"

namespace {

void DescribeArray(const CByteArray* array, LPVOID& data, DWORD& length) {
  data = const_cast<BYTE*>(array->GetData());
  length = static_cast<DWORD>(array->GetSize());
}

}  // namespace

BOOL CFileSocket::TransmitFile(CFile* pFile, DWORD dwFlags, const CByteArray* pHead, const CByteArray* pTail) {
  BOOL sent = FALSE;
  net_detail::RunWithoutThrowing([&] {
    TRANSMIT_FILE_BUFFERS buffers{};
    LPTRANSMIT_FILE_BUFFERS pBuffers = nullptr;
    if (pHead != nullptr) {
      pBuffers = &buffers;
      DescribeArray(pHead, buffers.Head, buffers.HeadLength);
    }
    if (pTail != nullptr) {
      pBuffers = &buffers;
      DescribeArray(pTail, buffers.Tail, buffers.TailLength);
    }
    // The sockets table never binds this entry, so the transfer fails here
    // with the error number left as it was.
    if (g_pSocketApi->TransmitFile == nullptr) return;
    const UINT hFile = pFile != nullptr ? pFile->m_hFile : CFile::hFileNull;
    HANDLE file = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(hFile));
    if (g_pSocketApi->TransmitFile(m_hSocket, file, 0, 0, nullptr, pBuffers, dwFlags)) {
      sent = TRUE;
    } else {
      m_dwErrorCode = GetLastError();
    }
  });
  return sent;
}
