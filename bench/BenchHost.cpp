#include "BenchHost.h"

#include <QApplication>
#include <QDialog>
#include <QTest>

#include "Forms.h"

BenchHost::BenchHost() : savedConfig_(HostConfig::Instance()) {
    HostConfig::Instance().reportsDir = QStringLiteral(REPORTS_DIR);
    Application->SetMessageHook([this](TMsgDlgType, const QString& text) { messages_ << text; });
    Application->SetModalHook([](QDialog&) { return int(QDialog::Rejected); });
    Application->SetWindowHook([](QWidget& window) { window.close(); });
    window_ = std::make_unique<QMainWindow>();
    area_ = new QMdiArea(window_.get());
    window_->setCentralWidget(area_);
    window_->resize(900, 600);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowExposed(window_.get())) qFatal("the host window was never shown");
    Application->SetMdiArea(area_);
}

BenchHost::~BenchHost() {
    Application->CloseWindows();
    Application->SetWindowHook(nullptr);
    Application->SetMdiArea(nullptr);
    Application->SetMessageHook(nullptr);
    Application->SetModalHook(nullptr);
    window_.reset();
    HostConfig::Instance() = savedConfig_;
}
