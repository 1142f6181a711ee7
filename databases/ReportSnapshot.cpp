#include "ReportSnapshot.h"

#include "DatabaseKinds.h"

ReportSnapshot::ReportSnapshot(QSqlDatabase& db, std::chrono::milliseconds timeLimit,
                               const DatabaseKind* kind)
    : db_(db), kind_(kind ? kind : DatabaseKinds::ForConnection(db)) {
    if (kind_) began_ = kind_->BeginSnapshot(db_, timeLimit);
}

ReportSnapshot::~ReportSnapshot() {
    if (began_) kind_->EndSnapshot(db_);
}
