// SPDX-License-Identifier: MIT
#include "app/trace_commands.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "common/user_error.h"
#include "trace/header_summary.h"
#include "trace/trace_loader.h"

namespace tremorline::app {
namespace {

// Closes the trace file by letting the loaded trace go.
void LetTraceGo(AppState& state) {
    // The filtered samples belong to the trace that goes.
    state.filtered = {};
    if (state.trace) {
        state.trace.reset();
        state.trace_closed = true;
    }
}

// The Open command's error path: every file closed, and "Error" shown with
// the reason on the next line. Everything else stays as the failure left it.
void ShowOpenError(AppState& state, WindowOps& window, const std::string& reason) {
    LetTraceGo(state);
    state.shown_trace.reset();
    window.SetText1Message(std::string(kOpenErrorText) + "\r\n" + reason);
}

// Runs a load step; any failure takes the error path. Returns true on success.
template <typename Step>
bool LoadOrShowError(AppState& state, WindowOps& window, Step&& step) {
    try {
        step();
        return true;
    } catch (const trace::UnreadableMiniSeed& failure) {
        // A damaged miniSEED file says what is wrong with it, and where, also
        // in a message the user cannot miss.
        ShowOpenError(state, window, FailureReason(failure));
        window.ShowMessage(failure.what());
        return false;
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

// The trace a file gave, before it becomes the window's: nothing for a file
// of no known type, or when the user cancelled the choice among several.
struct PickedTrace {
    LoadOutcome outcome = LoadOutcome::Refused;
    std::optional<trace::LoadedTrace> trace;
};

std::string RateText(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g Hz", rate);
    return text;
}

std::vector<SegmentRow> SegmentRows(const std::vector<trace::LoadedTrace>& traces) {
    std::vector<SegmentRow> rows;
    for (const trace::LoadedTrace& trace : traces) {
        const trace::SegmentOrigin& origin = *trace.segment;
        rows.push_back({.source = origin.source,
                        .start = origin.start,
                        .end = origin.end,
                        .samples = std::to_string(origin.count),
                        .rate = RateText(origin.rate),
                        .before = trace::GapText(origin.gap_before)});
    }
    return rows;
}

// Reads the file and picks the trace to load, asking which when the file
// holds several. The window's state is not touched, so a cancelled choice
// leaves everything as it was.
PickedTrace PickTrace(WindowOps& window, const std::filesystem::path& path) {
    std::optional<std::vector<trace::LoadedTrace>> traces = trace::LoadTraceFile(path);
    if (!traces || traces->empty()) {
        return {};
    }
    std::size_t index = 0;
    if (traces->size() > 1) {
        std::optional<std::size_t> chosen = window.ChooseSegment(SegmentRows(*traces));
        if (!chosen || *chosen >= traces->size()) {
            return {.outcome = LoadOutcome::Cancelled, .trace = std::nullopt};
        }
        index = *chosen;
    }
    return {.outcome = LoadOutcome::Loaded, .trace = std::move((*traces)[index])};
}

// Makes the picked trace the one the commands work on, or refuses the file.
void InstallTrace(AppState& state, WindowOps& window, PickedTrace&& picked) {
    if (picked.outcome != LoadOutcome::Loaded) {
        state.trace.reset();
        window.ShowMessage(trace::kUnknownDataType);
        return;
    }
    if (picked.trace->segment) {
        // Outputs are named as after converting the segment to a SAC file.
        state.TraceFileTitle = picked.trace->title;
    }
    state.filtered = {};
    state.trace = std::make_shared<const trace::LoadedTrace>(std::move(*picked.trace));
    ShowHeaderSummary(state, window);
    state.shown_trace = state.trace;
    window.SetEnabled(Control::SetUpSound, true);
    if (state.trace->segment && !state.trace->segment->notes.empty()) {
        std::string text = "The data were decoded with warnings:";
        for (const std::string& note : state.trace->segment->notes) {
            text += "\n" + note;
        }
        window.ShowMessage(text);
    }
}

// The chosen file's name in TraceFileTitle and Label1; outputs land beside it.
void NameOpenedFile(AppState& state, WindowOps& window, const std::filesystem::path& path) {
    state.TraceFileTitle = path.filename().string();
    window.SetLabel1(state.TraceFileTitle);
    state.output_folder = path.parent_path();
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
    LoadOutcome outcome = LoadOutcome::Refused;
    bool loaded = LoadOrShowError(state, window, [&] {
        std::string path = PathFromArgumentString(argument_string);
        state.TraceFileTitle = FileTitle(path);
        // Outputs land beside the trace, wherever the program was started.
        if (!path.empty()) {
            state.output_folder = FolderOf(path);
        }
        outcome = LoadSacFile(state, window, path);
    });
    // Nothing is loaded after a failed start-up or a cancelled choice of
    // segment, so Make PSN stays off too.
    loaded = loaded && outcome != LoadOutcome::Cancelled;
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
    // Kept so that cancelling the choice among a file's segments can put the
    // window back exactly as it was.
    const std::shared_ptr<const trace::LoadedTrace> previous = state.trace;
    const bool previous_closed = state.trace_closed;
    LetTraceGo(state);
    const std::filesystem::path path = std::filesystem::absolute(chosen);
    PickedTrace picked;
    bool loaded = LoadOrShowError(state, window, [&] {
        try {
            picked = PickTrace(window, path);
        } catch (...) {
            // A file that cannot be read is still the one named, and the
            // trace before it is gone rather than closed: nothing is loaded.
            NameOpenedFile(state, window, path);
            state.trace_closed = false;
            throw;
        }
    });
    if (loaded && picked.outcome == LoadOutcome::Cancelled) {
        state.trace = previous;
        state.trace_closed = previous_closed;
        return;
    }
    loaded = loaded && LoadOrShowError(state, window, [&] {
                 NameOpenedFile(state, window, path);
                 state.trace_closed = false;
                 InstallTrace(state, window, std::move(picked));
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

LoadOutcome LoadSacFile(AppState& state, WindowOps& window, const std::filesystem::path& path) {
    PickedTrace picked = PickTrace(window, path);
    if (picked.outcome == LoadOutcome::Cancelled) {
        return LoadOutcome::Cancelled;
    }
    state.trace_closed = false;
    const LoadOutcome outcome = picked.outcome;
    InstallTrace(state, window, std::move(picked));
    return outcome;
}

void ShowHeaderSummary(const AppState& state, WindowOps& window) {
    const trace::LoadedTrace& loaded = *state.trace;
    // A SAC file's summary starts with the name as Open or start-up gave it.
    const std::string title = loaded.segment ? trace::SummaryTitle(loaded) : state.TraceFileTitle;
    std::string text = trace::HeaderSummaryText(title, loaded.header, loaded.info);
    text.erase(0, title.size() + trace::kSummaryLineEnd.size());
    window.SetText1({.title = title, .body = std::move(text)});
    window.SetEnabled(Control::MakePsn, true);
}

}  // namespace tremorline::app
