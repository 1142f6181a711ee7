#pragma once

// Symbols of the framework library seen by the host, the module and the tests.
#define FRAMEWORK_EXPORT __attribute__((visibility("default")))
