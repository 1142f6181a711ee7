#pragma once

#include <QMainWindow>
#include <QMdiArea>
#include <QStringList>
#include <memory>

#include "HostConfig.h"

// The host as the screen sees it while a benchmark runs: a main window with
// its MDI area, shown (offscreen) and set as the application's MDI area; the
// report definitions read from the project's reports folder; messages kept
// instead of shown and dialogs cancelled (a benchmark may set its own modal
// hook). Everything is put back when it goes.
class BenchHost {
public:
    BenchHost();
    ~BenchHost();
    BenchHost(const BenchHost&) = delete;
    BenchHost& operator=(const BenchHost&) = delete;

    QMdiArea* Area() const { return area_; }
    // The messages shown so far; a benchmark that expects none checks it.
    const QStringList& Messages() const { return messages_; }

private:
    HostConfig savedConfig_;
    std::unique_ptr<QMainWindow> window_;
    QMdiArea* area_ = nullptr;
    QStringList messages_;
};
