#pragma once
// The framework's non-window services in one include.
#include "platform/framework/archive.h"
#include "platform/framework/archive_exception.h"
#include "platform/framework/cexception.h"
#include "platform/framework/cfile.h"
#include "platform/framework/cobject.h"
#include "platform/framework/collections.h"
#include "platform/framework/cstring.h"
#include "platform/framework/file_exception.h"
#include "platform/framework/message_box.h"
