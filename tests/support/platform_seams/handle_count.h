#pragma once
// Leak checks of the process-wide handle table (files and sockets).

namespace vqtest {

// Handles in the table now.
int LiveHandleCount();

}  // namespace vqtest
