#pragma once
#include "net/file_socket.h"

// A file-like socket used only for its resolver (SetAddress), which finds
// the address of a host name; it opens no socket of its own.
class CAddressResolver : public CFileSocket {
 public:
  BOOL Open(LPCSTR /*lpszFileName*/, UINT /*nOpenFlags*/, CFileException* /*pError*/ = nullptr) override {
    return TRUE;
  }
  BOOL Prepare() override { return TRUE; }
};
