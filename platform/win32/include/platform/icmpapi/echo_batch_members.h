// Members of EchoBatch over the system's ICMP library, inside the class
// body (echo_batch.h); only that header includes this part.
// An access section each, as in a class body (clang-format reads the part
// as a file of its own and would move them).
// clang-format off
 private:
  explicit EchoBatch(std::shared_ptr<EchoFlightsWin32> flights);
  std::shared_ptr<EchoFlightsWin32> m_flights;  // shared with the echo thread
  std::size_t m_inFlight = 0;
// clang-format on
