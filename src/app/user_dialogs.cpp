// SPDX-License-Identifier: MIT
#include "app/user_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QWidget>

#include "app/long_step.h"
#include "app/segment_chooser.h"

namespace tremorline::app {
namespace {

// The caption of every message box.
constexpr const char* kCaption = "Tremorline";

// The dialog matches names in any letter case, so "*.sac" also finds
// EVENT.SAC. Traces named after station and channel (ANMO.BHZ, sta.z) have
// no telling ending: All Files shows them, and every other name.
const QString kSeismicFilter = QStringLiteral("Seismic traces (*.sac *.mseed *.miniseed *.msd)");
const QString kSacFilter = QStringLiteral("SAC Files (*.SAC)");
const QString kMiniSeedFilter = QStringLiteral("miniSEED Files (*.mseed *.miniseed *.msd)");
const QString kAllFilesFilter = QStringLiteral("All Files (*)");

// The ordinary cursor while a message box waits for the user, also when the
// box comes up in the middle of a command that shows the wait cursor.
class AskingCursor {
  public:
    AskingCursor() : busy_(QApplication::overrideCursor() != nullptr) {
        if (busy_) {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~AskingCursor() {
        if (busy_) {
            QApplication::restoreOverrideCursor();
        }
    }
    AskingCursor(const AskingCursor&) = delete;
    AskingCursor& operator=(const AskingCursor&) = delete;

  private:
    bool busy_;
};

int ShowBox(QWidget* window, const std::string& text, QMessageBox::StandardButtons buttons) {
    int answer = QMessageBox::NoButton;
    AskOnWindowThread(window, [&] {
        AskingCursor cursor;
        QMessageBox box(QMessageBox::NoIcon, kCaption, FromLocal(text), buttons, window);
        box.setTextFormat(Qt::PlainText);
        if (buttons.testFlag(QMessageBox::Yes)) {
            box.setDefaultButton(QMessageBox::Yes);
        }
        answer = box.exec();
        return true;
    });
    return answer;
}

}  // namespace

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

const QStringList& UserDialogs::TraceFileFilters() {
    static const QStringList filters = {kSeismicFilter, kSacFilter, kMiniSeedFilter,
                                        kAllFilesFilter};
    return filters;
}

void UserDialogs::ShowMessage(const std::string& text) const {
    ShowBox(window_, text, QMessageBox::Ok);
}

bool UserDialogs::AskYesNo(const std::string& text) const {
    return ShowBox(window_, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::filesystem::path> UserDialogs::ChooseTraceFile() const {
    // Qt's own dialog, so that its patterns match in any letter case on
    // case-sensitive file systems while the filters keep their text.
    QFileDialog dialog(window_, "Open");
    dialog.setObjectName("CommonDialog1");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(TraceFileFilters());
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
}

std::optional<std::size_t> UserDialogs::ChooseSegment(const std::vector<SegmentRow>& rows) const {
    return SegmentChooser::Ask(rows, window_);
}

}  // namespace tremorline::app
