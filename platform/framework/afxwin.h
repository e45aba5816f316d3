#pragma once
// The framework's window services in one include.
#include "platform/framework/afx.h"
#include "platform/framework/cdialog.h"
#include "platform/framework/cmenu.h"
#include "platform/framework/controls.h"
#include "platform/framework/cwinapp.h"
#include "platform/framework/cwnd.h"
#include "platform/framework/ddx.h"
#include "platform/framework/dialog_template.h"
#include "platform/framework/icon_resource.h"
#include "platform/framework/message_map.h"
#include "platform/framework/paint.h"
#include "platform/framework/window_defs.h"
