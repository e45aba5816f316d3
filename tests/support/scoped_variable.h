#pragma once
#include <stdlib.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace vqtest {

// Sets an environment variable (or removes it, for null) while alive.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : m_name(name) {
    if (const char* previous = std::getenv(name)) m_previous = previous;
    Set(value);
  }
  ~ScopedVariable() { Set(m_previous ? m_previous->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

  void Set(const char* value) {
    if (value != nullptr) {
      ::setenv(m_name.c_str(), value, 1);
    } else {
      ::unsetenv(m_name.c_str());
    }
  }

 private:
  std::string m_name;
  std::optional<std::string> m_previous;
};

}  // namespace vqtest
