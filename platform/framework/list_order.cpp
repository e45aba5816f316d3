#include "platform/framework/list_order.h"

namespace framework {
namespace {

unsigned char FoldCase(unsigned char c) {
  const bool upperAscii = c >= 'A' && c <= 'Z';
  const bool upperLatin1 = c >= 0xC0 && c <= 0xDE && c != 0xD7;
  return upperAscii || upperLatin1 ? static_cast<unsigned char>(c + 0x20) : c;
}

}  // namespace

int CompareListBoxText(const CString& a, const CString& b) {
  const int common = a.GetLength() < b.GetLength() ? a.GetLength() : b.GetLength();
  for (int i = 0; i < common; ++i) {
    const int ca = FoldCase(static_cast<unsigned char>(a[i]));
    const int cb = FoldCase(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca - cb;
  }
  return a.GetLength() - b.GetLength();
}

}  // namespace framework
