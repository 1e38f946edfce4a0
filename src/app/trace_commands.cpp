#include "app/trace_commands.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>

#include "common/user_error.h"
#include "trace/header_summary.h"

namespace tremorline::app {
namespace {

// Closes the trace file by letting the loaded trace go.
void LetTraceGo(AppState& state) {
    if (state.trace) {
        state.trace.reset();
        state.trace_closed = true;
    }
}

// The Open command's error path: every file closed, and "Error" shown with
// the reason on the next line. Everything else stays as the failure left it.
void ShowOpenError(AppState& state, WindowOps& window, const std::string& reason) {
    LetTraceGo(state);
    window.SetText1Message(std::string(kOpenErrorText) + "\r\n" + reason);
}

// Runs a load step; any failure takes the error path. Returns true on success.
template <typename Step>
bool LoadOrShowError(AppState& state, WindowOps& window, Step&& step) {
    try {
        step();
        return true;
    } catch (const std::exception& failure) {
        ShowOpenError(state, window, FailureReason(failure));
        return false;
    }
}

// The folder of the trace file at `path`, where its outputs go.
std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return std::filesystem::absolute(path).parent_path();
}

// The folder the program started in: outputs go there until an Open.
std::filesystem::path StartingFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::filesystem::path() : folder;
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
    state.output_folder = StartingFolder();
    if (argument_string.empty()) {
        window.SetEnabled(Control::MakePsn, false);
        return;
    }
    bool loaded = LoadOrShowError(state, window, [&] {
        std::string path = PathFromArgumentString(argument_string);
        state.TraceFileTitle = FileTitle(path);
        // Outputs land beside the trace, wherever the program was started.
        if (!path.empty()) {
            state.output_folder = FolderOf(path);
        }
        LoadSacFile(state, window, path);
    });
    // Nothing is loaded after a failed start-up, so Make PSN stays off too.
    window.SetEnabled(Control::MakePsn, loaded);
    window.SetEnabled(Control::SetUpSound, loaded);
}

void OpenTraceFile(AppState& state, WindowOps& window) {
    std::optional<std::filesystem::path> chosen = window.ChooseTraceFile();
    if (chosen) {
        OpenTraceFile(state, window, *chosen);
    }
}

void OpenTraceFile(AppState& state, WindowOps& window, const std::filesystem::path& chosen) {
    LetTraceGo(state);
    bool loaded = LoadOrShowError(state, window, [&] {
        std::filesystem::path path = std::filesystem::absolute(chosen);
        state.TraceFileTitle = path.filename().string();
        window.SetLabel1(state.TraceFileTitle);
        // Outputs land beside the trace.
        state.output_folder = path.parent_path();
        LoadSacFile(state, window, path);
    });
    if (loaded) {
        window.SetEnabled(Control::PlaySound, false);
        window.SetEnabled(Control::SaveSound, false);
    }
}

void CloseTraceFile(AppState& state, WindowOps& window) {
    LetTraceGo(state);
    window.SetEnabled(Control::MakePsn, false);
}

void LoadSacFile(AppState& state, WindowOps& window, const std::filesystem::path& path) {
    state.trace_closed = false;
    std::optional<trace::LoadedTrace> loaded = trace::LoadSacTrace(path);
    if (!loaded) {
        state.trace.reset();
        window.ShowMessage(trace::kUnknownDataType);
        return;
    }
    state.trace = std::make_shared<const trace::LoadedTrace>(std::move(*loaded));
    ShowHeaderSummary(state, window);
    window.SetEnabled(Control::SetUpSound, true);
}

void ShowHeaderSummary(const AppState& state, WindowOps& window) {
    window.SetText1(
        trace::HeaderSummaryText(state.TraceFileTitle, state.trace->header, state.trace->info));
    window.SetEnabled(Control::MakePsn, true);
}

}  // namespace tremorline::app
