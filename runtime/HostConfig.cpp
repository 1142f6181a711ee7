#include "HostConfig.h"

HostConfig& HostConfig::Instance() {
    static HostConfig config;
    return config;
}
