#pragma once
// Where the ICMP library looks for quillmar-echo-helper.
//
// A program run from the build tree it was built in uses that build tree's
// helper or none: never an installed helper, which may belong to another
// version and would make the program's behaviour depend on the machine.
// Any other program looks beside itself (an unpacked copy), then in the
// install's libexec folder, where the package gives the helper the
// cap_net_raw capability: first as seen from the program's folder (an
// install under another prefix), then the folder the build was made for.
// Tests put a helper of their own in its place (echo_helper_stand_in.h).
#include <string>
#include <vector>

namespace icmpapi {

constexpr const char* kEchoHelperName = "quillmar-echo-helper";

// The helper files to try, in order; only those that exist and are
// executable. Empty when there is none.
std::vector<std::string> EchoHelperCandidates();

// What the search depends on. Folders are absolute; any may be empty.
struct EchoHelperSearch {
  std::string programFolder;          // the running program's folder
  std::string buildTree;              // the build tree the library was built in
  std::string buildTreeHelper;        // the helper that build tree makes
  std::string installedFolder;        // the libexec folder the build was made for
  std::string installedFromPrograms;  // the same, relative to the programs' folder
};

// The search of the running program.
EchoHelperSearch RunningProgramsEchoHelperSearch();
// The candidates a search gives; for tests with folders of their own.
std::vector<std::string> EchoHelperCandidatesFor(const EchoHelperSearch& search);

}  // namespace icmpapi
