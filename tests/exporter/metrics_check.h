#pragma once
#include <string>

namespace vqtest {

// Runs promtool's check of the text format on a body (when promtool is
// installed; the test is skipped otherwise) and expects no complaint.
void ExpectValidMetrics(const std::string& body);

}  // namespace vqtest
