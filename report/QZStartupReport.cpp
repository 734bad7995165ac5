// QZStartupReport.cpp - runs the record's own Initialize and lookup while a report takes
// notes; the notes themselves are taken by the record's steps. No platform code.
#include "QZStartupReport.h"

#include "report/Recorder.h"

QZStartupReport::QZStartupReport() = default;
QZStartupReport::~QZStartupReport() = default;
QZStartupReport::QZStartupReport(const QZStartupReport&) = default;
QZStartupReport& QZStartupReport::operator=(const QZStartupReport&) = default;

int QZStartupReport::Initialize(QZApplicationInfo& info, const char* applicationName, float version,
                                const char* supportEMail, const char* executableName, int patchLevel, int firstYear,
                                int lastYear)
{
    *this = QZStartupReport();
    QZApplicationInfo::_Recorder recorder{*this};
    // The record takes notes for exactly this call, on every way out of it.
    struct Attachment {
        QZApplicationInfo::_Recording& slot;
        ~Attachment() { slot.recorder = nullptr; }
    } attached{info._recording};
    info._recording.recorder = &recorder;
    result = info.Initialize(applicationName, version, supportEMail, executableName, patchLevel, firstYear, lastYear);
    return result;
}

bool QZStartupReport::LookUpSysVar(const QZApplicationInfo& info, const char* name, char* value, unsigned int size)
{
    if (value && size > 0)
        value[0] = '\0';
    if (!info._systemBaseRegistryPath || !value || size == 0)
        return false;
    // The notes go through the call itself, not through the record, so that lookups on
    // one record from several threads each fill their own report.
    QZApplicationInfo::_Recorder recorder{*this};
    info._LookUpSysVar(name, value, size, &recorder);
    return true;
}
