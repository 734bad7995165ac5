// Handles.h - what the C interface's handles hold, and where its exceptions stop; internal
// to capi/, never installed.
#ifndef QZ_CAPI_HANDLES_H
#define QZ_CAPI_HANDLES_H

#include "qzappinfo.h"

#include "QZApplicationInfo.h"
#include "QZStartupReport.h"

#include <cstdint>
#include <memory>
#include <string>

// A record and the start-up report of its initialization, which answers how the home and
// each settable entry were found and lists the published table in order. Copies share the
// report as they share the record's buffers.
struct qz_info {
    QZApplicationInfo record;
    std::shared_ptr<const QZStartupReport> report;
    int32_t failure = QZ_FAILURE_NONE;
    // The report's reason of the last failed start-up, "" when none ran to a failure.
    std::string reason;
};

namespace qz::capi {

// The one place where exceptions stop: whatever the work throws (in practice only
// std::bad_alloc) becomes the function's failure value.
template <typename Result, typename Work>
Result guarded(Result failure, Work&& work) noexcept
{
    try {
        return work();
    } catch (...) {
        return failure;
    }
}

} // namespace qz::capi

#endif
