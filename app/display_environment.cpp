#include "app/display_environment.h"

#include <algorithm>
#include <array>
#include <cstdlib>

bool HaveDisplay() {
  constexpr std::array kDisplayVariables{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
  return std::ranges::any_of(kDisplayVariables, [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  });
}

std::string PicturesUnavailable() { return {}; }
