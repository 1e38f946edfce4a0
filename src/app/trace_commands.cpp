#include "app/trace_commands.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "sac/sac_loader.h"
#include "trace/header_summary.h"
#include "trace/trace_times.h"

namespace tremorline::app {
namespace {

// The Open command's error path: every file closed, the summary emptied and
// "Error" shown. Everything else stays as the failure left it.
void ShowOpenError(AppState& state, WindowOps& window) {
    state.trace_file.reset();
    state.summary.clear();
    window.SetText1(kOpenErrorText);
}

// Runs a load step; any failure takes the error path. Returns true on success.
template <typename Step>
bool LoadOrShowError(AppState& state, WindowOps& window, Step&& step) {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        ShowOpenError(state, window);
        return false;
    }
}

}  // namespace

std::string ArgumentString(const std::vector<std::string>& arguments) {
    std::string joined;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        joined += (i == 0 ? "" : " ") + arguments[i];
    }
    return joined;
}

std::string PathFromArgumentString(const std::string& argument_string) {
    if (argument_string.size() >= 2 && argument_string.front() == '"' &&
        argument_string.back() == '"') {
        return argument_string.substr(1, argument_string.size() - 2);
    }
    return argument_string;
}

std::string FileTitle(const std::string& path) {
    std::size_t separator = path.find_last_of('/');
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

void StartUp(AppState& state, WindowOps& window, const std::string& argument_string) {
    window.SetEnabled(Control::SetUpSound, false);
    window.SetEnabled(Control::PlaySound, false);
    window.SetEnabled(Control::SaveSound, false);
    window.SetLabel1(argument_string);
    if (argument_string.empty()) {
        window.SetEnabled(Control::MakePsn, false);
        return;
    }
    bool loaded = LoadOrShowError(state, window, [&] {
        std::string path = PathFromArgumentString(argument_string);
        state.trace_file = std::make_unique<sac::TraceFile>(path);
        state.TraceFileTitle = FileTitle(path);
        LoadSacFile(state, window);
    });
    // Nothing is loaded after a failed start-up, so Make PSN stays off too.
    window.SetEnabled(Control::MakePsn, loaded);
    window.SetEnabled(Control::SetUpSound, loaded);
}

void OpenTraceFile(AppState& state, WindowOps& window) {
    state.trace_file.reset();
    state.summary.clear();
    bool loaded = LoadOrShowError(state, window, [&] {
        std::optional<std::filesystem::path> chosen = window.ChooseTraceFile();
        if (!chosen) {
            throw std::runtime_error("cancelled");
        }
        std::filesystem::path path = std::filesystem::absolute(*chosen);
        // Outputs are named relative to the current folder, so after an Open
        // they land beside the trace.
        std::filesystem::current_path(path.parent_path());
        state.trace_file = std::make_unique<sac::TraceFile>(path);
        state.TraceFileTitle = path.filename().string();
        window.SetLabel1(state.TraceFileTitle);
        LoadSacFile(state, window);
    });
    if (loaded) {
        window.SetEnabled(Control::PlaySound, false);
        window.SetEnabled(Control::SaveSound, false);
    }
}

void CloseTraceFile(AppState& state, WindowOps& window) {
    state.trace_file.reset();
    window.SetEnabled(Control::MakePsn, false);
}

void LoadSacFile(AppState& state, WindowOps& window) {
    state.FileNative = false;
    state.FileSwapped = false;
    sac::LoadedHeader loaded = sac::ReadSacHeader(*state.trace_file);
    if (loaded.order == sac::ByteOrder::Unknown) {
        window.ShowMessage("Unknown data type");
        return;
    }
    state.FileNative = loaded.order == sac::ByteOrder::Little;
    state.FileSwapped = loaded.order == sac::ByteOrder::Big;
    state.SacHeader = loaded.header;
    ShowHeaderSummary(state, window);
    window.SetEnabled(Control::SetUpSound, true);
}

void ShowHeaderSummary(AppState& state, WindowOps& window) {
    trace::CopyTraceInfo(state.SacHeader, state.TraceInfo);
    trace::ComputeTraceTimes(state.TraceInfo);
    state.summary =
        trace::HeaderSummaryText(state.TraceFileTitle, state.SacHeader, state.TraceInfo);
    window.SetText1(state.summary);
    window.SetEnabled(Control::MakePsn, true);
}

}  // namespace tremorline::app
