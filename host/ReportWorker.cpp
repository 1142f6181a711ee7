#include "ReportWorker.h"

#include "SysUtils.h"

ReportWorker::ReportWorker(QObject* parent) : QObject(parent) {}

ReportWorker::~ReportWorker() {
    Cancel();
    if (thread_.joinable()) thread_.join();
}

void ReportWorker::Start(Work work) {
    thread_ = std::thread([this, work = std::move(work)] { Run(work); });
}

void ReportWorker::Run(const Work& work) {
    try {
        work(*this);
    } catch (...) {
        failure_ = std::current_exception();
    }
    ended_.store(true, std::memory_order_release);
    emit Finished();
}

void ReportWorker::Rethrow() const {
    if (failure_) std::rethrow_exception(failure_);
}

void ReportWorker::CheckCancel() const {
    if (Cancelled()) Abort();
}

void ReportWorker::Notify(bool now) {
    const auto time = std::chrono::steady_clock::now();
    if (!now && time < nextNotice_) return;
    nextNotice_ = time + std::chrono::milliseconds(50);
    emit Progressed();
}
