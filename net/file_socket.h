#pragma once
#include "net/dummy_file.h"
#include "net/socket_api_table.h"
#include "platform/framework/cstring.h"
#include "platform/framework/string_list.h"

// A stream socket that looks like a framework file: peer address and name,
// port and service name, line terminator, and transfers by buffer, by line
// and by string. Every sockets call goes through g_pSocketApi; the first live
// object starts the sockets library and the last one stops it.
//
// No operation throws to its caller: failures answer FALSE or 0 and leave
// the error number in m_dwErrorCode. Abstract: derived classes supply Open
// and Prepare.
// The socket's Read and Write by int length replace the file's UINT forms
// for callers holding a socket; the hiding is deliberate.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"
class CFileSocket : public CDummyFile {
 public:
  CFileSocket();
  ~CFileSocket() override;
  CFileSocket(const CFileSocket&) = delete;
  CFileSocket& operator=(const CFileSocket&) = delete;

  BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override = 0;
  // Shuts the sending side, drains what the peer still sends until it
  // closes (at most 64 KiB, for at most 2 s), then closes the socket.
  void Close() override;
  // Sends the text and its terminating NUL through the socket Write.
  void Write(const CString& text) override;

  virtual void GetAddress(CString& strAddress) const;
  virtual SOCKET GetSocket() const;
  virtual void GetName(CString& strName) const;
  virtual void GetPortName(CString& strPortName) const;
  virtual void GetPort(WORD& wPort) const;  // host byte order
  virtual char GetTerminator() const;
  // Resolves a dotted address (reverse lookup) or a host name. The resolver
  // sees at most the first 4095 characters of the text; longer texts are cut.
  virtual void SetAddress(LPCSTR lpszAddress);
  // Adopts the handle; a socket held before is closed first.
  virtual void SetSocket(SOCKET hSocket);
  virtual void SetName(LPCSTR lpszName);
  virtual void SetPort(WORD wPort);
  // A number (leading blanks and a sign allowed) or a service name.
  virtual void SetPort(LPCSTR lpszPort);
  virtual void SetTerminator(char chTerminator);
  virtual BOOL Prepare() = 0;
  virtual BOOL IsClosed() const;
  // Immediate poll; never blocks.
  virtual BOOL IsDataWaiting();
  // Whole-file transfer; FALSE while the sockets table has no such entry.
  virtual BOOL TransmitFile(CFile* pFile, DWORD dwFlags, const CByteArray* pHead, const CByteArray* pTail);
  // One send of the whole buffer, retried at once up to 100 times while the
  // library is short of buffers or busy.
  virtual void Write(const void* lpData, int nLength);
  // Reads byte by byte up to and including the terminator; a NUL byte or
  // the peer closing ends the line without being appended.
  virtual void ReadLine(CString& strLine);
  // One receive; 0 on failure, and 0 with the socket closed when the peer
  // has closed.
  virtual int Read(void* lpBuffer, int nLength);

  CString m_strPortName;
  WORD m_wPort;      // network byte order; 0: none
  SOCKET m_hSocket;  // INVALID_SOCKET: none; CFile::m_hFile always the same
  char m_chTerminator;
  CString m_strDottedAddress;
  CString m_strHostName;
  CStringList m_listAliases;

 private:
  void AdoptHandle(SOCKET hSocket);
  void DrainBeforeClose();
  void RecordSocketError();
};
#pragma GCC diagnostic pop
