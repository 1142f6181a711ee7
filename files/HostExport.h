#pragma once

// Symbols of the host library seen by modules, the host application and tests.
#define HOST_EXPORT __attribute__((visibility("default")))
