// Members of EchoBatch over its own transport, inside the class body
// (echo_batch.h); only that header includes this part.
// An access section each, as in a class body (clang-format reads the part
// as a file of its own and would move them).
// clang-format off
 private:
  EchoBatch(std::shared_ptr<EchoSocket> socket, std::unique_ptr<EchoFlights> ownFlights);
  void TakeEnded();

  std::shared_ptr<EchoSocket> m_socket;
  std::unique_ptr<EchoFlights> m_ownFlights;  // over our own socket; null with the helper
  EchoFlights* m_flights;
  std::vector<EchoOutcome> m_ready;  // ended, not yet returned by Wait
// clang-format on
