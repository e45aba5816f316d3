#include "platform/window/controls.h"

#include <QProgressBar>
#include <QSignalBlocker>
#include <cstring>

#include "platform/window/control_widgets.h"
#include "platform/window/qt_text.h"
#include "platform/window/window_text.h"

namespace framework {
namespace {

ListBoxWidget* ListOf(const CWnd& wnd) { return dynamic_cast<ListBoxWidget*>(wnd.widget()); }

// Each line keeps its own bytes; what the list shows is made from them for display only.
constexpr int kLineBytesRole = Qt::UserRole;

CString LineBytes(const QListWidgetItem& item) {
  const QByteArray bytes = item.data(kLineBytesRole).toByteArray();
  return CString(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// A line is drawn on one line: its tab, line ends and paragraph ends (a
// description carries the file's line end into it) show as blanks, other
// controls, bidirectional and invisible characters as U+FFFD.
QString ShownLine(const CString& line) { return ToSafeQString(line, WhiteSpaceControls::kAsSpaces); }

QProgressBar* ProgressOf(const CWnd& wnd) { return dynamic_cast<QProgressBar*>(wnd.widget()); }

int SortedInsertPosition(const ListBoxWidget& list, const CString& text) {
  int first = 0;
  int count = list.count();
  while (count > 0) {  // upper bound: equal lines keep their order of addition
    const int half = count / 2;
    if (CompareListBoxText(LineBytes(*list.item(first + half)), text) <= 0) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  return first;
}

LRESULT AddLine(ListBoxWidget& list, LPCSTR text) {
  const CString line(text);
  const int at = list.sorted() ? SortedInsertPosition(list, line) : list.count();
  const QSignalBlocker quiet(list);  // adding lines is not a user selection
  auto* item = new QListWidgetItem(ShownLine(line));
  item->setData(kLineBytesRole, QByteArray(line.str().data(), static_cast<qsizetype>(line.GetLength())));
  list.insertItem(at, item);
  return at;
}

LRESULT SelectLine(ListBoxWidget& list, int index) {
  const QSignalBlocker quiet(list);
  if (index < 0 || index >= list.count()) {
    list.clearSelection();
    list.setCurrentRow(-1);
    return LB_ERR;
  }
  list.setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
  return index;
}

LRESULT SelectedLine(const ListBoxWidget& list) {
  const QList<QListWidgetItem*> selected = list.selectedItems();
  return selected.isEmpty() ? LB_ERR : list.row(selected.front());
}

}  // namespace

}  // namespace framework

using framework::LineBytes;

LRESULT CListBox::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  framework::ListBoxWidget* list = framework::ListOf(*this);
  if (list == nullptr) return message == LB_GETCOUNT ? 0 : LB_ERR;
  const int index = static_cast<int>(wParam);
  const bool valid = index >= 0 && index < list->count();
  switch (message) {
    case LB_ADDSTRING: return framework::AddLine(*list, reinterpret_cast<LPCSTR>(lParam));
    case LB_GETCOUNT: return list->count();
    case LB_GETCURSEL: return framework::SelectedLine(*list);
    case LB_SETCURSEL: return framework::SelectLine(*list, index);
    case LB_GETTEXTLEN: return valid ? LineBytes(*list->item(index)).GetLength() : LB_ERR;
    case LB_GETTEXT: {
      if (!valid) return LB_ERR;
      const CString text = LineBytes(*list->item(index));
      if (lParam != 0) std::memcpy(reinterpret_cast<char*>(lParam), static_cast<LPCSTR>(text), text.GetLength() + 1u);
      return text.GetLength();
    }
    case LB_RESETCONTENT: {
      const QSignalBlocker quiet(list);
      list->clear();
      return LB_OKAY;
    }
    default: return CWnd::DefWindowProc(message, wParam, lParam);
  }
}

int CListBox::AddString(LPCSTR lpszItem) {
  return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszItem != nullptr ? lpszItem : "")));
}

int CListBox::GetCurSel() const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETCURSEL)); }

int CListBox::GetTextLen(int nIndex) const {
  return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(nIndex)));
}

int CListBox::GetText(int nIndex, LPSTR lpszBuffer) const {
  return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETTEXT, static_cast<WPARAM>(nIndex),
                                                                   reinterpret_cast<LPARAM>(lpszBuffer)));
}

void CListBox::GetText(int nIndex, CString& rString) const {
  const int length = GetTextLen(nIndex);
  if (length == LB_ERR) {
    rString.Empty();
    return;
  }
  GetText(nIndex, rString.GetBuffer(length));
  rString.ReleaseBuffer(length);
}

LRESULT CProgressCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  QProgressBar* bar = framework::ProgressOf(*this);
  if (bar == nullptr) return 0;
  switch (message) {
    case PBM_SETRANGE: {
      const LRESULT previous = MAKELONG(bar->minimum(), bar->maximum());
      bar->setRange(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      framework::RepaintNow(bar);
      return previous;
    }
    case PBM_SETPOS: {
      const LRESULT previous = bar->value();
      bar->setValue(qBound(bar->minimum(), static_cast<int>(wParam), bar->maximum()));  // the platform clamps
      framework::RepaintNow(bar);
      return previous;
    }
    case PBM_GETPOS: return bar->value();
    default: return CWnd::DefWindowProc(message, wParam, lParam);
  }
}
