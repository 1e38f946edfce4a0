// SPDX-License-Identifier: MIT
#pragma once

// The questions and messages of the main window: message boxes, the Yes/No
// question, the Open dialog and the choice among a file's segments. Each is
// modal over the window, captioned with the program's title, and shows the
// ordinary cursor also while a command shows the wait cursor. Messages and
// questions may come from a long step's worker; they are then shown on the
// window's thread while the worker waits for the answer.

#include <QString>
#include <QStringList>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/window_ops.h"

class QWidget;

namespace tremorline::app {

class UserDialogs {
  public:
    // The Open dialog's choices of file type, the first one chosen at first.
    static const QStringList& TraceFileFilters();

    explicit UserDialogs(QWidget* window) : window_(window) {}

    void ShowMessage(const std::string& text) const;
    bool AskYesNo(const std::string& text) const;
    std::optional<std::filesystem::path> ChooseTraceFile() const;
    std::optional<std::size_t> ChooseSegment(const std::vector<SegmentRow>& rows) const;

  private:
    QWidget* window_;
};

// Text the system gave (paths, its messages) as Qt shows it.
QString FromLocal(const std::string& text);

}  // namespace tremorline::app
