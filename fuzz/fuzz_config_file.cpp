// libFuzzer target for the host's configuration file: any bytes in the file
// must either configure the host within its limits or raise Exception with a
// message, leaving the configuration as it was; never crash.
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ConfigFile.h"
#include "HostConfig.h"
#include "SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rclhost.conf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    const HostConfig before;
    HostConfig config;
    try {
        ReadConfigFile(path, true, config);
    } catch (const Exception& error) {
        if (error.Message().isEmpty() || config.queryTimeLimit != before.queryTimeLimit)
            std::abort();
        return 0;
    }
    if (config.queryTimeLimit.count() < 0 || config.queryTimeLimit > std::chrono::hours(24))
        std::abort();
    return 0;
}
