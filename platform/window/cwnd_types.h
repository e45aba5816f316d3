#pragma once
// What cwnd_members.h names, over the widget toolkit.
#include "platform/window/widget_ref.h"

class QWidget;
