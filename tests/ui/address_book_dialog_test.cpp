#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/framework/message_box.h"
#include "tests/support/address_book_records.h"
#include "tests/ui/ui_test_support.h"
#include "query/address_book_message.h"
#include "ui/quillmar_dlg.h"
#include "ui/resources.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace {

using address_book_test::Line;
using address_book_test::Record;
using address_book_test::ScopedWorkingDirectory;
using ui_test::ControlWidget;

// The main dialog opened in a scratch working directory, with every message
// box recorded.
class AddressBookDialogTest : public ::testing::Test {
 protected:
  AddressBookDialogTest() { RegisterQuillmarResources(); }

  void Open() {
    ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.widget()));
  }
  void Open(const std::string& addressIni) {
    dir.Write(addressIni);
    Open();
  }

  QListWidget* List() { return static_cast<QListWidget*>(ControlWidget(dialog, IDC_ADDRESS_LIST)); }
  QLineEdit* Edit(int id) { return static_cast<QLineEdit*>(ControlWidget(dialog, id)); }
  std::string EditText(int id) { return Edit(id)->text().toStdString(); }

  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (int i = 0; i < dialog.m_ctlAddressList.SendMessage(LB_GETCOUNT); ++i) {
      CString line;
      dialog.m_ctlAddressList.GetText(i, line);
      lines.push_back(line.str());
    }
    return lines;
  }

  // The user's way: a click on the line, then a double-click at the same point.
  void DoubleClickLine(int index) {
    QWidget* viewport = List()->viewport();
    const QPoint at = List()->visualItemRect(List()->item(index)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
  }

  // Paints the dialog's own area at once, as when it is uncovered.
  void Repaint() { ui_test::ClientArea(dialog)->repaint(); }

  void TypeInto(int id, const char* text) {
    Edit(id)->clear();
    QTest::keyClicks(Edit(id), QString::fromLatin1(text));
  }

  ScopedWorkingDirectory dir;
  vqtest::ScopedMessageBoxRecorder boxes;
  CQuillmarDlg dialog;
};

const std::string kBook = Record(0, "203.0.113.7", " = Sample hill climb") + Record(1, "127.0.0.1", " = Local demo") +
                          Record(2, "host.example", " = Host names are not") + Record(4, "198.51.100.25", " = Road") +
                          Record(5, "127.0.0.1", " = Local demo");

// The message as it stands, then the two places looked in, and the example
// to start from: where the package installs it, or, run from a build tree
// where it is not installed, where it is in the source.
TEST_F(AddressBookDialogTest, WithoutTheFileOneMessageThenAnEmptyListInAWorkingDialog) {
  Open();
  ASSERT_EQ(boxes.boxes().size(), 1u);
  const framework::MessageBoxRequest& box = boxes.boxes()[0];
  const std::string example = ExampleAddressBookPath();
  const std::string exampleSentence =
      std::filesystem::exists(example)
          ? "To start a list, copy the example " + example + " to one of these places and edit it."
          : "The example that the package installs as " + example +
                " is not installed here; in the program's source it is docs/address.ini.";
  EXPECT_EQ(box.text.str(), "There was an error opening the file: address.ini.\n\nIt was looked for in:\n" +
                                (std::filesystem::current_path() / "address.ini").string() + "\n" +
                                (dir.configHome() / "quillmar" / "address.ini").string() + "\n\n" + exampleSentence);
  EXPECT_EQ(box.caption, "ERROR!");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(box.owner, dialog.widget());
  EXPECT_EQ(dialog.m_ctlAddressList.SendMessage(LB_GETCOUNT), 0);
  EXPECT_TRUE(dialog.widget()->isVisible());
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "address.ini"));  // never created
}

TEST_F(AddressBookDialogTest, EmptyFileOrOneStartingWithNulGivesAQuietEmptyList) {
  for (const std::string& content : {std::string(), std::string(1, '\0') + kBook}) {
    CQuillmarDlg other;
    dir.Write(content);
    ASSERT_TRUE(other.Create(IDD_QUILLMAR_DIALOG));
    EXPECT_EQ(other.m_ctlAddressList.SendMessage(LB_GETCOUNT), 0) << content.size();
  }
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(AddressBookDialogTest, ListedRecordsShowInSortedOrderWithDuplicates) {
  Open(kBook);
  EXPECT_TRUE(boxes.boxes().empty());
  const std::vector<std::string> expected = {Line("127.0.0.1", " = Local demo"), Line("127.0.0.1", " = Local demo"),
                                             Line("198.51.100.25", " = Road"),
                                             Line("203.0.113.7", " = Sample hill climb")};
  EXPECT_EQ(Lines(), expected);
  EXPECT_EQ(List()->count(), 4);
  EXPECT_EQ(dialog.m_ctlAddressList.GetCurSel(), LB_ERR);  // nothing chosen at the start
  EXPECT_EQ(EditText(IDC_ADDRESS), "");
}

// Another program holds the file open: the message names the file that is
// there instead of the places looked in.
TEST_F(AddressBookDialogTest, FileThatWillNotOpenIsNamedAfterTheMessage) {
  dir.Write(kBook);
  const std::filesystem::path book = std::filesystem::current_path() / "address.ini";
  const int holder = ::open(book.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  Open();
  ::close(holder);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text.str(), "There was an error opening the file: address.ini.\n\n" + book.string() +
                                             " is there, but it could not be opened.");
  EXPECT_EQ(dialog.m_ctlAddressList.SendMessage(LB_GETCOUNT), 0);
}

// The process's own memory file opens but cannot be read at offset 0.
TEST_F(AddressBookDialogTest, ReadErrorIsReportedByTheWindowProcedureAndTheDialogRunsWithAnEmptyList) {
  std::filesystem::create_symlink("/proc/self/mem", dir.path() / "address.ini");
  Open();
  ASSERT_EQ(boxes.boxes().size(), 1u);
  const std::string report = boxes.boxes()[0].text.str();
  EXPECT_NE(report, "There was an error opening the file: address.ini.");
  EXPECT_NE(report.find("address.ini"), std::string::npos) << report;
  EXPECT_EQ(dialog.m_ctlAddressList.SendMessage(LB_GETCOUNT), 0);
  EXPECT_TRUE(dialog.widget()->isVisible());
  TypeInto(IDC_ADDRESS, "127.0.0.1");
  EXPECT_EQ(dialog.m_strAddress, "127.0.0.1");
}

TEST_F(AddressBookDialogTest, DoubleClickOnALinePutsItsAddressIntoTheAddressField) {
  Open(kBook);
  TypeInto(IDC_ADDRESS, "192.0.2.99");
  DoubleClickLine(2);
  EXPECT_EQ(dialog.m_ctlAddressList.GetCurSel(), 2);
  EXPECT_EQ(dialog.m_strAddress, "198.51.100.25");
  EXPECT_EQ(EditText(IDC_ADDRESS), "198.51.100.25");
  DoubleClickLine(0);
  EXPECT_EQ(EditText(IDC_ADDRESS), "127.0.0.1");
}

// Lines with the " =" convention give back their whole address, blanks inside
// included; any other line gives its text before the first blank.
TEST_F(AddressBookDialogTest, DoubleClickGivesTheWholeAddressOfLinesWithOrWithoutTheConvention) {
  Open(Record(0, "192.0.2.1", "no equals sign") + Record(1, "192.0.2.2", "=first") +
       Record(2, "192.0=2.3", " = in the address") + Record(3, "192.0.2.4", "Server = 4") +
       Record(4, "192.0.2.5 b", "  = blank inside") + Record(5, "192.0.2.6", "\t= after a tab") +
       Record(6, "192.0.2.7", "a=b") + Record(7, "192.0.2.8", ""));
  ASSERT_EQ(dialog.m_ctlAddressList.SendMessage(LB_GETCOUNT), 8);
  const struct {
    const char* line;
    const char* address;
  } cases[] = {
      {"192.0.2.1 no equals sign", "192.0.2.1"},
      {"192.0.2.2 =first", "192.0.2.2"},
      {"192.0=2.3  = in the address", "192.0=2.3"},
      {"192.0.2.4 Server = 4", "192.0.2.4"},
      {"192.0.2.5 b   = blank inside", "192.0.2.5 b"},  // the convention keeps the whole address
      {"192.0.2.6 \t= after a tab", "192.0.2.6"},
      {"192.0.2.7 a=b", "192.0.2.7"},
      {"192.0.2.8 ", "192.0.2.8"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> lines = Lines();
    const auto at =
        std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(c.line, 0) == 0; });
    ASSERT_NE(at, lines.end()) << c.line;
    TypeInto(IDC_ADDRESS, "typed");
    DoubleClickLine(static_cast<int>(at - lines.begin()));
    EXPECT_EQ(dialog.m_strAddress, c.address) << c.line;
    EXPECT_EQ(EditText(IDC_ADDRESS), c.address) << c.line;
  }
}

TEST_F(AddressBookDialogTest, TypedAddressSurvivesRepaintsAndSingleClicks) {
  Open(kBook);
  TypeInto(IDC_ADDRESS, "192.0.2.200");
  Repaint();  // no line selected
  EXPECT_EQ(dialog.m_strAddress, "192.0.2.200");
  EXPECT_EQ(EditText(IDC_ADDRESS), "192.0.2.200");

  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(List()->item(3)).center());
  EXPECT_EQ(dialog.m_ctlAddressList.GetCurSel(), 3);
  Repaint();
  EXPECT_EQ(dialog.m_strAddress, "192.0.2.200");
  EXPECT_EQ(EditText(IDC_ADDRESS), "192.0.2.200");

  // Typing after a double-click is kept as well.
  DoubleClickLine(3);
  TypeInto(IDC_ADDRESS, "192.0.2.201");
  Repaint();
  EXPECT_EQ(dialog.m_strAddress, "192.0.2.201");
  EXPECT_EQ(EditText(IDC_ADDRESS), "192.0.2.201");
}

TEST_F(AddressBookDialogTest, DoubleClickKeepsWhatWasTypedIntoTheOtherFields) {
  Open(kBook);
  TypeInto(IDC_HOST, "typed host");
  DoubleClickLine(3);
  EXPECT_EQ(EditText(IDC_ADDRESS), "203.0.113.7");
  EXPECT_EQ(EditText(IDC_HOST), "typed host");
  EXPECT_EQ(dialog.m_strHost, "typed host");
}

TEST_F(AddressBookDialogTest, DoubleClickBelowTheLinesWithNothingSelectedLeavesTheAddressAlone) {
  Open(Record(0, "192.0.2.1", " = One"));
  TypeInto(IDC_ADDRESS, "192.0.2.77");
  const QPoint below = List()->visualItemRect(List()->item(0)).bottomLeft() + QPoint(5, 20);
  ASSERT_TRUE(List()->viewport()->rect().contains(below));
  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, below);
  EXPECT_EQ(dialog.m_ctlAddressList.GetCurSel(), LB_ERR);
  EXPECT_EQ(EditText(IDC_ADDRESS), "192.0.2.77");
}

TEST_F(AddressBookDialogTest, UsersAddressBookIsReadWhenTheWorkingDirectoryHasNone) {
  dir.WriteUserAddressBook(Record(0, "192.0.2.1", " = Kept by the user"));
  Open();
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(Lines(), std::vector<std::string>{Line("192.0.2.1", " = Kept by the user")});
}

TEST_F(AddressBookDialogTest, Utf8AndLatin1DescriptionsShowAsTextAndAddressesComeBackExactly) {
  Open(Record(0, "192.0.2.1", " = Caf\xC3\xA9 M\xC3\xBCnchen") + Record(1, "192.0.2.2", " = Caf\xE9 M\xFCnchen"));
  ASSERT_EQ(List()->count(), 2);
  EXPECT_TRUE(List()->item(0)->text().startsWith(QStringLiteral(u"192.0.2.1  = Café München")));
  EXPECT_TRUE(List()->item(1)->text().startsWith(QStringLiteral(u"192.0.2.2  = Café München")));
  DoubleClickLine(1);
  EXPECT_EQ(dialog.m_strAddress, "192.0.2.2");
}

}  // namespace
