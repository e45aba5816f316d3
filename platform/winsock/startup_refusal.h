#pragma once
// Whether WSAStartup lets the sockets library start: the place where tests
// inject a refusal (tests/support/platform_seams), to see how the program
// meets a sockets library that cannot start.

namespace winsock {

// Makes WSAStartup fail with `error`, a library error number such as
// WSASYSNOTREADY; 0 lets it start again. Returns the refusal it replaces.
int SetStartupRefusal(int error);

}  // namespace winsock
