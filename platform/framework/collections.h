#pragma once
// The framework's collection classes.
#include "platform/framework/byte_array.h"
#include "platform/framework/string_list.h"
