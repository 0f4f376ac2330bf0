// One transaction around an operation that changes many rows: one flush to
// disk instead of one per row.
#pragma once

#include <utility>

#include "store/Adodb.h"

// Begins a transaction unless one is already open (the outer one then decides).
// Commit() ends it on the normal path and lets a failed commit reach the
// caller. When the operation fails first, the destructor commits what was done
// before the failure, so the rows already handled stay.
class TTransactionScope {
public:
    explicit TTransactionScope(TADOConnection* connection) : connection_(connection) {
        if (connection_ && connection_->Connected() && !connection_->InTransaction())
            connection_->BeginTrans();
        else
            connection_ = nullptr;
    }
    ~TTransactionScope() {
        if (!connection_) return;
        try {
            connection_->CommitTrans();
        } catch (...) {
            // Already unwinding from the error that ended the operation.
        }
    }
    TTransactionScope(const TTransactionScope&) = delete;
    TTransactionScope& operator=(const TTransactionScope&) = delete;

    void Commit() {
        if (TADOConnection* connection = std::exchange(connection_, nullptr))
            connection->CommitTrans();
    }

private:
    TADOConnection* connection_;
};
