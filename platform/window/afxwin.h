#pragma once
// The framework's window services in one include.
#include "platform/framework/afx.h"
#include "platform/window/cdialog.h"
#include "platform/window/cmenu.h"
#include "platform/window/controls.h"
#include "platform/window/cwinapp.h"
#include "platform/window/cwnd.h"
#include "platform/window/ddx.h"
#include "platform/window/dialog_template.h"
#include "platform/window/icon_resource.h"
#include "platform/window/message_map.h"
#include "platform/window/paint.h"
#include "platform/window/window_defs.h"
