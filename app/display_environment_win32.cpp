#include "app/display_environment.h"

#include "platform/kernel/windef.h"

// A program of the desktop has a window station with a desktop to draw on;
// a service without one is the only place where windows cannot show.
bool HaveDisplay() {
  USEROBJECTFLAGS flags{};
  const HWINSTA station = ::GetProcessWindowStation();
  if (station == nullptr || !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
    return true;  // nothing says otherwise
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

// The pictures are the widget toolkit's, which the Windows build leaves out.
std::string PicturesUnavailable() { return "--screenshot is not available on Windows"; }
