// QZPathReport.cpp - the path report as a watcher of the path manager's searches and reads.
// No platform code.
#include "QZPathReport.h"

#include "QZ_PathManager.h"
#include "appinfo/CoreAccess.h"
#include "report/Tee.h"

namespace {

class PlaceNotes final : public qz::Trace {
public:
    explicit PlaceNotes(QZPathReport& report) : _report(report) {}
    void searchPlace(qz::trace::Place place, int index, std::string_view directory, bool tested,
                     bool found) override
    {
        _report.search.push_back({place, index, std::string(directory), tested, found});
    }
    void read(qz::trace::Place place, int index, std::string_view directory) override
    {
        _report.reads.push_back({place, index, std::string(directory)});
    }

private:
    QZPathReport& _report;
};

} // namespace

bool QZPathReport::GetFilePath(QZ_PathManager& manager, char* fileName, char* directory, int count)
{
    PlaceNotes notes(*this);
    qz::Tee both(notes, qz::processTrace());
    qz::AttachedTrace attached(qz::CoreAccess::slot(manager), both);
    return manager.GetFilePath(fileName, directory, count);
}

void QZPathReport::ReadFromAll(QZ_PathManager& manager, char* data, int* order)
{
    PlaceNotes notes(*this);
    qz::Tee both(notes, qz::processTrace());
    qz::AttachedTrace attached(qz::CoreAccess::slot(manager), both);
    manager.ReadFromAll(data, order);
}
