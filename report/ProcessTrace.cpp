// ProcessTrace.cpp - QZAPPINFO_TRACE: every start-up, lookup, search and read of the process,
// as text on standard error or the debugger's output, or as JSON lines appended to a file.
#include "QZReportWords.h"
#include "platform/Platform.h"
#include "platform/TraceOutput.h"
#include "report/JsonWriter.h"
#include "report/Notes.h"

#include <mutex>

namespace qz {

namespace {

using Report = QZStartupReport;

// What one thread is in the middle of: calls on other threads are their own.
struct Pending {
    bool initializing = false;
    Report startup;
    bool searching = false;
    std::string searchName;
    int searchCount = 0;
    std::string searchJson, searchText;
    bool reading = false;
    std::string readJson, readText;
};
thread_local Pending pending;

// The start-up's notes go to the thread's own report, which is written when it finishes.
class ProcessTrace final : public Notes {
public:
    enum class Output { StandardError, Debugger, File };

    ProcessTrace(Output output, std::string file) : _output(output), _file(std::move(file)) {}

    // --- Initialize ---
    void begins(const trace::Arguments& given) override
    {
        pending.startup = Report();
        pending.initializing = true;
        Notes::begins(given);
    }
    void finished(const QZApplicationInfo& info, int result, trace::Failure failure) override
    {
        if (!pending.initializing)
            return;
        Notes::finished(info, result, failure);
        pending.initializing = false;
        if (_output == Output::File)
            write(record("initialize", words::startupJson(pending.startup)));
        else
            write(words::explanation(pending.startup, false));
    }

    // A lookup inside Initialize belongs to its record; one after it is a record of its own.
    void lookup(const trace::Lookup& lookup) override
    {
        if (pending.initializing) {
            Notes::lookup(lookup);
            return;
        }
        if (_output == Output::File) {
            write(record("sysvar", "{\"lookup\":" + words::lookupJson(lookup) + "}"));
            return;
        }
        std::string text = "system variable " + lookup.name + ": " +
                           (lookup.source == trace::Source::Nowhere
                                ? std::string("not found")
                                : lookup.value + "  (from the " + words::sourceName(lookup.source) + ")") +
                           "\n";
        write(text + words::lookupDetails(lookup, "       "));
    }

    // --- The path manager ---
    void searchBegins(std::string_view fileName, int count) override
    {
        pending.searching = true;
        pending.searchName = std::string(fileName);
        pending.searchCount = count;
        pending.searchJson.clear();
        pending.searchText = "GetFilePath " + pending.searchName + ", " + std::to_string(count) + " steps:\n";
    }
    void searchPlace(trace::Place place, int index, std::string_view directory, bool tested, bool found) override
    {
        if (!pending.searching)
            return;
        std::string& json = pending.searchJson;
        JsonWriter(json).open('{').key("place").name(words::placeName(place)).key("index").number(index)
            .key("directory").text(directory).key("tested").boolean(tested).key("found").boolean(found).close('}');
        json += ',';
        pending.searchText += "       " + std::string(words::placeName(place)) +
                              (index >= 0 ? " " + std::to_string(index) : std::string()) + ": " +
                              std::string(directory) + (!tested ? "  passed over" : found ? "  found" : "  not there") +
                              "\n";
    }
    void searchEnds(bool found, std::string_view directory) override
    {
        if (!pending.searching)
            return;
        pending.searching = false;
        std::string& places = pending.searchJson;
        if (!places.empty())
            places.pop_back();
        if (_output == Output::File) {
            std::string body;
            JsonWriter(body).open('{').key("fileName").text(pending.searchName).key("count")
                .number(pending.searchCount).key("found").boolean(found).key("directory").text(directory);
            body += ",\"places\":[" + places + "]}";
            write(record("getFilePath", body));
            return;
        }
        write(pending.searchText + "       " + (found ? "found in " + std::string(directory) : std::string("not found")) +
              "\n");
    }
    void fileTested(std::string_view path, bool exists) override
    {
        if (pending.searching)
            return; // told by searchPlace
        if (_output == Output::File) {
            std::string body;
            JsonWriter(body).open('{').key("path").text(path).key("exists").boolean(exists).close('}');
            write(record("findFilePath", body));
            return;
        }
        write("FindFilePath " + std::string(path) + (exists ? "  found\n" : "  not there\n"));
    }
    void readsBegin() override
    {
        pending.reading = true;
        pending.readJson.clear();
        pending.readText = "ReadFromAll, in order:\n";
    }
    void read(trace::Place place, int index, std::string_view directory) override
    {
        if (!pending.reading)
            return;
        JsonWriter(pending.readJson).open('{').key("place").name(words::placeName(place)).key("index").number(index)
            .key("directory").text(directory).close('}');
        pending.readJson += ',';
        pending.readText += "       " + std::string(words::placeName(place)) +
                            (index >= 0 ? " " + std::to_string(index) : std::string()) + ": " +
                            std::string(directory) + "\n";
    }
    void readsEnd() override
    {
        if (!pending.reading)
            return;
        pending.reading = false;
        std::string& places = pending.readJson;
        if (!places.empty())
            places.pop_back();
        if (_output == Output::File)
            write(record("readFromAll", "{\"places\":[" + places + "]}"));
        else
            write(pending.readText);
    }

private:
    // Every event of Initialize between begins and finished lands in the thread's report.
    QZStartupReport& sheet() override { return pending.startup; }

    static std::string record(const char* event, const std::string& body) { return words::traceRecord(event, body); }

    // A file record goes whole; text goes with each line marked by the process.
    void write(const std::string& text)
    {
        if (_output == Output::File) {
            std::call_once(_opened, [this] {
                const std::string reason = _sink.open(_file);
                if (!reason.empty())
                    platform::writeStandardError("qzappinfo[" + std::to_string(platform::processId()) +
                                                 "]: cannot write the trace that QZAPPINFO_TRACE names, " + _file +
                                                 ": " + reason + "\n");
            });
            _sink.write(text); // a trace that cannot be written changes nothing else
            return;
        }
        const std::string mark = "qzappinfo[" + std::to_string(platform::processId()) + "]: ";
        std::string marked;
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = text.find('\n', start);
            end = end == std::string::npos ? text.size() : end + 1;
            marked += mark + text.substr(start, end - start);
            start = end;
        }
        if (!marked.empty() && marked.back() != '\n')
            marked += '\n';
        if (_output == Output::Debugger)
            platform::writeDebugger(marked);
        else
            platform::writeStandardError(marked);
    }

    const Output _output;
    const std::string _file;
    std::once_flag _opened;
    platform::AppendFile _sink;
};

// Made once, on the library's first need; nothing at all when the variable is unset or empty.
Trace* makeProcessTrace()
{
    const std::optional<std::string> setting = platform::traceSetting();
    if (!setting || setting->empty())
        return nullptr;
    if (*setting == "stderr")
        return new ProcessTrace(ProcessTrace::Output::StandardError, {});
    if (*setting == "debug" && platform::writeDebugger({}))
        return new ProcessTrace(ProcessTrace::Output::Debugger, {});
    if (platform::isAbsoluteExecutableName(*setting))
        return new ProcessTrace(ProcessTrace::Output::File, *setting);
    platform::writeStandardError("qzappinfo[" + std::to_string(platform::processId()) + "]: QZAPPINFO_TRACE is \"" +
                                 *setting + "\", which is neither stderr" +
                                 (platform::writeDebugger({}) ? ", debug" : "") +
                                 " nor an absolute file name: nothing is traced\n");
    return nullptr;
}

// Loading the library offers the trace to the core; the core asks for it when it first needs it.
const bool registered = (registerProcessTrace(&makeProcessTrace), true);

} // namespace

} // namespace qz
