#pragma once

#include <functional>

#include "ReportObservers.h"

// A report observer for as long as it lives, telling what it hears to the
// functions the test sets (none: not told).
struct ReportSpy : ReportObserver {
    ReportSpy() { ReportObservers::Add(this); }
    ~ReportSpy() override { ReportObservers::Remove(this); }

    void ParamsReady(const TParams& params) override {
        if (paramsReady) paramsReady(params);
    }
    void ReportDone(const QString& action, const QString& title, int rows,
                    const QString& file) override {
        if (reportDone) reportDone(action, title, rows, file);
    }
    void Exported(const QString& action, const QString& title, qint64 rows, const QString& file,
                  int sheets) override {
        if (exported) exported(action, title, rows, file, sheets);
    }

    std::function<void(const TParams& params)> paramsReady;
    std::function<void(const QString& action, const QString& title, int rows, const QString& file)>
        reportDone;
    std::function<void(const QString& action, const QString& title, qint64 rows,
                       const QString& file, int sheets)>
        exported;
};
