#pragma once
// Registers the program's resources with the framework: dialog templates,
// menu, string table and icon. Call once at start-up, before any window.
#include <vector>

#include "platform/window/icon_resource.h"

void RegisterQuillmarResources();

// The program icon: a chequered racing flag with a ping wave, 32 by 32 and
// 16 by 16 pixels, 8 bits per pixel.
std::vector<framework::IconImage> DrawProgramIcon();
// The same drawing at any size, for scaled screens.
framework::IconImage DrawProgramIconAt(int size);
