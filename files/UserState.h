#pragma once

#include <QString>

#include "HostExport.h"

// The host's folder for what it keeps of the user's between runs (the main
// window's placement, the values a screen remembers):
// $XDG_STATE_HOME/rclhost, that is ~/.local/state/rclhost. XDG_STATE_HOME
// counts only when it is an absolute path, as the XDG base directory rules
// say. The folder is not made here: whoever writes into it makes it.
HOST_EXPORT QString UserStateDir();
