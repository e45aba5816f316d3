#pragma once
// Runs part of a test in a forked child process: for work that changes
// process state a test must not leave behind (network namespaces, dropped
// privileges). GoogleTest assertions work inside the body; their messages
// print from the child, and the parent learns whether any failed.
#include <functional>
#include <string>

namespace netns {

struct ChildOutcome {
  enum class Kind { Passed, Failed, Skipped };
  Kind kind = Kind::Failed;
  std::string detail;  // the skip reason, or how the child failed
};

// Forks, runs body in the child and waits for it. An exception escaping the
// body counts as a failure; a child still running after timeLimitSeconds is
// killed and reported. The child is always reaped.
ChildOutcome RunInChild(const std::function<void()>& body, unsigned timeLimitSeconds = 60);

// Inside a body: ends the child and reports the test as skipped.
[[noreturn]] void SkipChild(const std::string& reason);

}  // namespace netns

// Runs the body in a child and turns its outcome into this test's result.
#define VQ_RUN_IN_CHILD(...)                                                                        \
  do {                                                                                              \
    const ::netns::ChildOutcome vq_outcome = ::netns::RunInChild(__VA_ARGS__);                      \
    if (vq_outcome.kind == ::netns::ChildOutcome::Kind::Skipped) GTEST_SKIP() << vq_outcome.detail; \
    EXPECT_EQ(vq_outcome.kind, ::netns::ChildOutcome::Kind::Passed) << vq_outcome.detail;           \
  } while (0)
