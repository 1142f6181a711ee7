#pragma once

#include <QString>

#include "HostExport.h"

// The reason a system call failed (an errno value) as a short Portuguese
// phrase to end a message with: "o disco está cheio", "permissão negada".
// Reasons without a phrase of their own give the system's text.
HOST_EXPORT QString SystemReason(int error);
