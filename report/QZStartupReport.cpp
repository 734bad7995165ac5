// QZStartupReport.cpp - the start-up report as a watcher of the record: it runs the record's
// own Initialize and lookup and keeps what the library tells it. No platform code.
#include "QZStartupReport.h"

#include "report/Notes.h"
#include "report/Tee.h"


QZStartupReport::QZStartupReport() = default;
QZStartupReport::~QZStartupReport() = default;
QZStartupReport::QZStartupReport(const QZStartupReport&) = default;
QZStartupReport& QZStartupReport::operator=(const QZStartupReport&) = default;

int QZStartupReport::Initialize(QZApplicationInfo& info, const char* application, float applicationVersion,
                                const char* email, const char* executable, int patch, int first, int last)
{
    *this = QZStartupReport();
    qz::Notes notes(*this);
    qz::Tee both(notes, qz::processTrace());
    // The record tells exactly this call, on every way out of it.
    qz::AttachedTrace attached(qz::CoreAccess::slot(info), both);
    return info.Initialize(application, applicationVersion, email, executable, patch, first, last);
}

bool QZStartupReport::LookUpSysVar(const QZApplicationInfo& info, const char* name, char* value, unsigned int size)
{
    if (value && size > 0)
        value[0] = '\0';
    if (!qz::CoreAccess::hasRegistryBase(info) || !value || size == 0)
        return false;
    // The notes go through the call itself, not through the record, so that lookups on
    // one record from several threads each fill their own report.
    qz::Notes notes(*this);
    qz::Tee both(notes, qz::processTrace());
    qz::CoreAccess::lookUpSysVar(info, name, value, size, &both);
    return true;
}
