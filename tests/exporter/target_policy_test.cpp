// Which targets a scrape may name, and the command line that widens them.
#include <gtest/gtest.h>

#include "app/exporter/exporter_options.h"
#include "app/exporter/target_policy.h"

namespace {

using exporter::ReadNetwork;
using exporter::ReadTarget;

TEST(ExporterTargetTest, OnlyDottedQuadsAreTargets) {
  EXPECT_EQ(ReadTarget("10.1.2.3"), 0x0A010203u);
  for (const std::string& text :
       std::vector<std::string>{"", "localhost", "127.1", "0x7f.0.0.1", "10.1.2.3 ", "10.1.2.3/32", "0.0.0.0",
                                "255.255.255.255", std::string("127.0.0.1\0x", 11), std::string(10240, '1')}) {
    EXPECT_FALSE(ReadTarget(text)) << text;
  }
}

TEST(ExporterTargetTest, PolicyAdmitsLoopbackTheBookAndTheNetworksGiven) {
  const exporter::TargetPolicy policy({*ReadNetwork("192.168.8.0/22")}, {"10.0.0.7", "host.name", "127.0.0.9 x"});
  EXPECT_TRUE(policy.Admits(0x7F123456u));
  EXPECT_TRUE(policy.Admits(0x0A000007u));
  EXPECT_FALSE(policy.Admits(0x0A000008u));
  EXPECT_TRUE(policy.Admits(0xC0A80BFFu));
  EXPECT_FALSE(policy.Admits(0xC0A80C00u));
  EXPECT_FALSE(ReadNetwork("192.168.8.1/22"));  // host bits set
  EXPECT_FALSE(ReadNetwork("10.0.0.0/33"));
  EXPECT_FALSE(ReadNetwork("10.0.0.0/"));
  EXPECT_TRUE(exporter::TargetPolicy({*ReadNetwork("0.0.0.0/0")}, {}).Admits(0x08080808u));
}

exporter::ParsedExporterOptions Parse(std::vector<const char*> arguments) {
  return exporter::ParseExporterOptions(arguments);
}

TEST(ExporterOptionsTest, ReadsTheOptionsAndRefusesWhatIsWrong) {
  const auto parsed = Parse({"--listen", "127.0.0.5:0", "--allow", "10.0.0.0/8", "192.0.2.1", "--max-concurrent=9"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->listenAddress, "127.0.0.5");
  EXPECT_EQ(parsed.options->port, 0);
  EXPECT_EQ(parsed.options->allowed.size(), 2u);
  EXPECT_EQ(parsed.options->maxConcurrent, 9u);
  // Leading zeros are decimal here, while the system's parsers would read them as octal.
  const auto zeros = Parse({"--listen", "0177.0.0.010:80"});
  ASSERT_TRUE(zeros.options) << zeros.error;
  EXPECT_EQ(zeros.options->listenAddress, "177.0.0.10");
  for (const std::vector<const char*>& wrong : {std::vector<const char*>{"--listen", "localhost:80"},
                                                {"--listen", "127.0.0.1"},
                                                {"--listen", "1.2.3.4:65536"},
                                                {"--allow"},
                                                {"--allow", "10.0.0.1/8"},
                                                {"--max-concurrent", "0"},
                                                {"--help=x"},
                                                {"extra"},
                                                {"--nope"}}) {
    EXPECT_FALSE(Parse(wrong).options) << wrong[0];
  }
  EXPECT_EQ(Parse({"--version", "--help"}).options->mode, exporter::ExporterMode::Help);
}

}  // namespace
