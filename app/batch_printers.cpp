#include "app/batch_printers.h"

#include <algorithm>
#include <utility>

#include "app/console_streams.h"
#include "app/terminal_text.h"

namespace {

// What an in-order printer writes for each server, and after the last.
class COrderedForm {
 public:
  virtual ~COrderedForm() = default;
  virtual std::string Item(const QueryOutcome& outcome) = 0;
  virtual std::string End() = 0;
};

class CTableForm : public COrderedForm {
 public:
  explicit CTableForm(const std::vector<CString>& addresses) : m_table(addresses) {}
  std::string Header() const { return m_table.Header() + '\n'; }
  std::string Item(const QueryOutcome& outcome) override { return m_table.Row(outcome) + '\n'; }
  std::string End() override { return {}; }

 private:
  CResultTable m_table;
};

class CJsonForm : public COrderedForm {
 public:
  std::string Item(const QueryOutcome& outcome) override { return m_array.Next(outcome); }
  std::string End() override { return m_array.End(); }

 private:
  CJsonArrayText m_array;
};

// Servers done out of turn wait in a map until those before them are done.
class CInOrderPrinter : public CBatchPrinter {
 public:
  explicit CInOrderPrinter(std::unique_ptr<COrderedForm> form) : m_form(std::move(form)) {}

  void Note(const std::string& line) override { console::WriteErr(line); }

  void Done(std::size_t index, const QueryOutcome& outcome, std::string messages) override {
    m_waiting.emplace(index, Waiting{outcome, std::move(messages)});
    if (index == m_next) Print(false);
  }

  void Finish() override { Print(true); }

 private:
  struct Waiting {
    QueryOutcome outcome;
    std::string messages;
  };

  // The servers next in turn, in one write; at the end, every one left,
  // past the gaps of servers a stop left undone.
  void Print(bool last) {
    std::string out;
    std::string errors;
    for (auto next = m_waiting.begin(); next != m_waiting.end() && (last || next->first == m_next);) {
      out += m_form->Item(next->second.outcome);
      errors += next->second.messages;
      m_next = next->first + 1;
      next = m_waiting.erase(next);
    }
    if (last) out += m_form->End();
    console::WriteErr(errors);
    console::WriteOut(out);
  }

  std::unique_ptr<COrderedForm> m_form;
  std::map<std::size_t, Waiting> m_waiting;
  std::size_t m_next = 0;
};

class CJsonLinesPrinter : public CBatchPrinter {
 public:
  void Note(const std::string& line) override { console::WriteErr(line); }

  void Done(std::size_t index, const QueryOutcome& outcome, std::string messages) override {
    console::WriteErr(messages);
    console::WriteOut(QueryResultJsonLine(outcome, {{"position", std::to_string(index + 1)}}));
  }

  void Finish() override {}
};

// Cursor movements of a terminal that follows ANSI (ECMA-48) sequences.
std::string Up(std::size_t lines) { return "\x1b[" + std::to_string(lines) + "A"; }
std::string Down(std::size_t lines) { return "\x1b[" + std::to_string(lines) + "B"; }
constexpr std::string_view kEraseLine = "\r\x1b[K";
constexpr std::string_view kEraseBelow = "\r\x1b[J";

// The screen holds the header and the rows drawn so far; the last
// m_end - m_first of them, the window, may still change. The cursor stays at
// the start of the line below the last row. The window is never taller than
// the screen less two lines, so that the cursor can reach its top.
class CLiveTablePrinter : public CBatchPrinter {
 public:
  CLiveTablePrinter(const std::vector<CString>& addresses, console::TerminalSize size)
      : m_addresses(addresses),
        m_table(addresses, size.columns),
        m_columns(size.columns),
        m_window(std::max<std::size_t>(size.rows, 3) - 2) {
    std::string out = Line(m_table.Header());
    for (; m_end < std::min(m_window, m_addresses.size()); ++m_end) out += RowLine(m_end);
    console::WriteOut(out);
  }

  void Note(const std::string& line) override { m_messages += line; }

  void Done(std::size_t index, const QueryOutcome& outcome, std::string messages) override {
    m_messages += messages;
    m_rows.emplace(index, Cut(m_table.Row(outcome)));
    std::string out;
    if (index < m_end) {  // in the window: drawn in place
      const std::size_t up = m_end - index;
      out += Up(up) + std::string(kEraseLine) + m_rows.at(index) + '\r' + Down(up);
    }
    console::WriteOut(out + Advance());
  }

  // The window's rows are drawn again, the done ones alone (a stop leaves
  // some undone), then those done below it; the messages come after.
  void Finish() override {
    std::string out;
    if (m_end > m_first) out += Up(m_end - m_first);
    out += kEraseBelow;
    for (const auto& [index, row] : m_rows) out += row + '\n';
    m_rows.clear();
    console::WriteOut(out);
    console::WriteErr(m_messages);
  }

 private:
  std::string Cut(const std::string& line) const { return CutToWidth(line, m_columns); }
  std::string Line(const std::string& line) const { return std::string(kEraseLine) + Cut(line) + '\n'; }

  std::string RowLine(std::size_t index) const {
    const auto done = m_rows.find(index);
    return done != m_rows.end() ? std::string(kEraseLine) + done->second + '\n'
                                : Line(m_table.PendingRow(m_addresses[index]));
  }

  // The rows at the window's top that are done stay for good; as many
  // rows join at its foot.
  std::string Advance() {
    std::string out;
    for (auto top = m_rows.find(m_first); top != m_rows.end(); top = m_rows.find(m_first)) {
      m_rows.erase(top);
      ++m_first;
      if (m_end < m_addresses.size()) out += RowLine(m_end++);
    }
    return out;
  }

  const std::vector<CString>& m_addresses;
  CResultTable m_table;
  std::size_t m_columns;
  std::size_t m_window;
  std::map<std::size_t, std::string> m_rows;  // done, not yet above the window
  std::size_t m_first = 0;                    // the window: [m_first, m_end)
  std::size_t m_end = 0;
  std::string m_messages;
};

}  // namespace

std::unique_ptr<CBatchPrinter> InOrderTablePrinter(const std::vector<CString>& addresses) {
  auto form = std::make_unique<CTableForm>(addresses);
  console::WriteOut(form->Header());
  return std::make_unique<CInOrderPrinter>(std::move(form));
}

std::unique_ptr<CBatchPrinter> InOrderJsonPrinter() {
  return std::make_unique<CInOrderPrinter>(std::make_unique<CJsonForm>());
}

std::unique_ptr<CBatchPrinter> JsonLinesPrinter() { return std::make_unique<CJsonLinesPrinter>(); }

std::unique_ptr<CBatchPrinter> LiveTablePrinter(const std::vector<CString>& addresses, console::TerminalSize size) {
  return std::make_unique<CLiveTablePrinter>(addresses, size);
}
