#include "BenchMemory.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <chrono>

double ResidentMb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

void ResetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

ResidentShares::ResidentShares()
    : thread_([this] {
          while (!stop_.load()) {
              Look();
              std::this_thread::sleep_for(std::chrono::milliseconds(10));
          }
      }) {}

ResidentShares::~ResidentShares() {
    stop_.store(true);
    thread_.join();
    Look();
}

void ResidentShares::Look() {
    anonymous_.store(std::max(anonymous_.load(), ResidentMb("RssAnon")));
    file_.store(std::max(file_.load(), ResidentMb("RssFile") + ResidentMb("RssShmem")));
}
