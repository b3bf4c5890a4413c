#include "core/shapes/BatchRun.h"

#include <filesystem>
#include <system_error>

#include "core/file/SettingsSections.h"
#include "core/model/ExtractFormats.h"
#include "core/model/Messages.h"

const char* const BatchTooManyWindows = "Too many windows are open.";
const char* const BatchNoWindow = "No network window is open.";

namespace {

namespace fs = std::filesystem;

constexpr int MsgCannotReadFormats = 305; // "Cannot read Extract/Update formats file."
constexpr int CaptionUpdate = 51;         // "Update"
constexpr int MsgTransformValues = 291;   // "Error in transform values."

fs::path Located(const std::string& name, const std::string& folder)
{
    fs::path p(name);
    return p.is_relative() && !folder.empty() ? fs::path(folder) / p : p;
}

bool Exists(const fs::path& p)
{
    std::error_code ec;
    const bool there = fs::exists(p, ec);
    // A name that cannot even be looked at is there, and its step reports it.
    return there || (ec && ec != std::errc::no_such_file_or_directory);
}

bool FolderExists(const fs::path& p)
{
    const fs::path parent = p.parent_path();
    std::error_code ec;
    return parent.empty() || fs::is_directory(parent, ec);
}

std::string Slashed(const std::string& name)
{
    std::string s = name;
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

// The last component of a name with slashes; empty when it names no file.
std::string LastComponent(const std::string& slashed)
{
    const std::size_t cut = slashed.rfind('/');
    std::string last = cut == std::string::npos ? slashed : slashed.substr(cut + 1);
    return last == "." || last == ".." ? std::string() : last;
}

} // namespace

std::string ResolveBatchInput(const std::string& name, const std::string& folder)
{
    if (name.empty()) return {};
    if (const fs::path p = Located(name, folder); Exists(p)) return p.string();
    const std::string slashed = Slashed(name);
    if (slashed != name)
        if (const fs::path p = Located(slashed, folder); Exists(p)) return p.string();
    if (const std::string last = LastComponent(slashed); !folder.empty() && !last.empty())
        if (const fs::path p = fs::path(folder) / last; Exists(p)) return p.string();
    return {};
}

std::string ResolveBatchOutput(const std::string& name, const std::string& folder)
{
    if (name.empty()) return {};
    const std::string slashed = Slashed(name);
    // A name with backslashes is a Windows path: its folder is taken from
    // the slashes, never as part of one file name.
    if (slashed == name) return Located(name, folder).string();
    if (const fs::path p = Located(slashed, folder); FolderExists(p)) return p.string();
    const std::string last = LastComponent(slashed);
    if (last.empty()) return Located(slashed, folder).string();
    return Located(last, folder).string();
}

bool ReadBatchUpdateFormats(const std::string& path, TExtractFormats& formats, TMessageSink& sink)
{
    TExtractFormats read = formats;
    if (!ReadExtractFormatsFile(path, read)) return false;
    formats = read;
    if (formats.XScale == 0 || formats.YScale == 0)
        ShowMessageText(sink, MessageText(MsgTransformValues), "Extract/Update", MB_EXCLAMATION_OK);
    return true;
}

TBatchRunResult RunBatch(const TBatchScript& script, TBatchHost& host, TMessageSink& sink,
                         const TBatchRunOptions& options)
{
    TBatchRunResult result;
    for (int row = 1; row <= BatchStepCount; ++row) {
        host.ProcessMessages();
        host.HighlightRow(row);
        result.Row = row;
        const int code = script.StepOperation[size_t(row)];
        const std::string& name = script.StepFileName[size_t(row)];
        if (name.empty() || code < BatchOpenNetwork) break;
        host.ShowStepNumber(row);
        auto finished = [&](TBatchStepStatus status) {
            if (options.StepFinished) options.StepFinished(row, code, status);
        };
        if (code >= BatchOperationCount) {
            finished(TBatchStepStatus::Skipped);
            continue;
        }
        std::string path;
        if (BatchOperationNeedsFile(code)) {
            path = ResolveBatchInput(name, script.Folder);
            if (path.empty()) {
                finished(TBatchStepStatus::Skipped);
                continue;
            }
        } else {
            path = ResolveBatchOutput(name, script.Folder);
        }

        bool ok = true;
        if (code != BatchOpenNetwork && !host.HasCurrentWindow()) {
            ShowMessageText(sink, BatchNoWindow, BatchCaption, MB_EXCLAMATION_OK);
            ok = false;
        } else {
            switch (code) {
            case BatchOpenNetwork:
                if (host.WindowCount() >= BatchWindowLimit) {
                    ShowMessageText(sink, BatchTooManyWindows, BatchCaption, MB_EXCLAMATION_OK);
                    ok = false;
                } else if (!host.NewWindow(sink)) {
                    ok = false;
                } else if (!host.OpenNetwork(path, sink)) {
                    // The window made for the network goes with it.
                    host.CloseCurrentWindow();
                    ok = false;
                } else {
                    ok = host.ApplyShapefileSettings(sink);
                }
                break;
            case BatchAppendNetwork:
                ok = host.AppendNetwork(path, sink);
                break;
            case BatchShapefileImport:
                ok = host.ImportShapefile(path, sink);
                break;
            case BatchCalculate:
                // A program that could not be read never runs the one before.
                ok = host.LoadProgram(path, sink) && host.RunProgram(sink);
                break;
            case BatchGetUpdateFormats:
                ok = host.GetUpdateFormats(path, sink);
                if (!ok) ShowMessageBox(sink, MsgCannotReadFormats, CaptionUpdate, MB_EXCLAMATION_OK);
                break;
            case BatchDoUpdate:
                ok = host.DoUpdate(path, sink);
                break;
            case BatchSaveAs:
                ok = host.SaveAs(path, sink);
                break;
            case BatchSaveAsClose:
                // A window whose save failed stays open.
                ok = host.SaveAs(path, sink);
                if (ok) host.CloseCurrentWindow();
                break;
            default:
                break;
            }
        }
        if (!ok) {
            finished(TBatchStepStatus::Ended);
            result.Ended = true;
            break;
        }
        finished(TBatchStepStatus::Done);
    }
    return result;
}
