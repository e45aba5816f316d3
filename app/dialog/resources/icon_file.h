#pragma once
// The icon file format (.ico) of the program's icon images: each image 8
// bits per pixel with its 256-colour table, and the transparency mask.
#include <string>
#include <vector>

#include "platform/window/icon_resource.h"

std::string IconFileBytes(const std::vector<framework::IconImage>& images);
