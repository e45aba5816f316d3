// Which echo helper the library runs: a program in a build tree takes that
// build tree's helper or none, an installed one never; other programs look
// beside themselves and in the install's libexec folders.
#include "platform/icmpapi/echo_helper_location.h"
#include "tests/support/platform_seams/echo_helper_path.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

// A scratch folder with a build tree and an install, each with its helper.
class HelperFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/vq-helper-folders-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    m_root = folder;
    fs::create_directories(m_root + "/build/app");
    fs::create_directories(m_root + "/build/tests/icmp");
    fs::create_directories(m_root + "/usr/bin");
    fs::create_directories(m_root + "/usr/libexec/quillmar");
    fs::create_directories(m_root + "/opt/bin");
    fs::create_directories(m_root + "/opt/libexec/quillmar");
  }
  void TearDown() override { fs::remove_all(m_root); }

  std::string Make(const std::string& relative) {
    std::string path = m_root + "/" + relative;
    std::ofstream(path) << "#!/bin/sh\n";
    ::chmod(path.c_str(), 0755);
    return path;
  }

  icmpapi::EchoHelperSearch SearchFrom(const std::string& programFolder) const {
    return icmpapi::EchoHelperSearch{m_root + "/" + programFolder, m_root + "/build",
                                     m_root + "/build/app/quillmar-echo-helper", m_root + "/usr/libexec/quillmar",
                                     "../libexec/quillmar"};
  }

  std::string m_root;
};

TEST_F(HelperFolders, AProgramInTheBuildTreeUsesThatTreesHelperOrNone) {
  const std::string installed = Make("usr/libexec/quillmar/quillmar-echo-helper");
  Make("build/tests/probe/quillmar-echo-helper");  // beside the test program: not the build's helper
  EXPECT_EQ(icmpapi::EchoHelperCandidatesFor(SearchFrom("build/tests/icmp")), Paths{})
      << "the build made no helper, and the installed one belongs to no build tree";
  const std::string built = Make("build/app/quillmar-echo-helper");
  EXPECT_EQ(icmpapi::EchoHelperCandidatesFor(SearchFrom("build/tests/icmp")), Paths{built});
  EXPECT_EQ(icmpapi::EchoHelperCandidatesFor(SearchFrom("build/app")), Paths{built});
  // The build tree reached through a link is still the build tree.
  fs::create_directory_symlink(m_root + "/build", m_root + "/link-to-build");
  EXPECT_EQ(icmpapi::EchoHelperCandidatesFor(SearchFrom("link-to-build/app")), Paths{built});
  (void)installed;
}

TEST_F(HelperFolders, AnInstalledProgramLooksBesideItselfThenInTheLibexecFolders) {
  const std::string installed = Make("usr/libexec/quillmar/quillmar-echo-helper");
  Make("build/app/quillmar-echo-helper");
  EXPECT_EQ(icmpapi::EchoHelperCandidatesFor(SearchFrom("usr/bin")), Paths{installed});
  // Moved to another prefix: its own libexec folder first, then the one it was built for.
  const std::string moved = Make("opt/libexec/quillmar/quillmar-echo-helper");
  EXPECT_EQ(icmpapi::EchoHelperCandidatesFor(SearchFrom("opt/bin")), (Paths{moved, installed}));
  const std::string beside = Make("opt/bin/quillmar-echo-helper");
  EXPECT_EQ(icmpapi::EchoHelperCandidatesFor(SearchFrom("opt/bin")), (Paths{beside, moved, installed}));
  // A folder whose name only begins like the build tree's is no part of it.
  fs::create_directories(m_root + "/build2");
  EXPECT_EQ(icmpapi::EchoHelperCandidatesFor(SearchFrom("build2")), Paths{installed});
}

TEST(EchoHelperLocation, ThisTestProgramFindsOnlyItsOwnBuildsHelper) {
  char helper[PATH_MAX];
  ASSERT_NE(::realpath(VQ_ECHO_HELPER, helper), nullptr) << "the build made no helper";
  EXPECT_EQ(icmpapi::EchoHelperCandidates(), Paths{helper}) << "whatever is installed on this machine";
  const vqtest::ScopedEchoHelperPath none("");
  EXPECT_EQ(icmpapi::EchoHelperCandidates(), Paths{});
}

}  // namespace
