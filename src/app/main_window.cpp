// SPDX-License-Identifier: MIT
#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <optional>

#include "app/about_window.h"
#include "app/command_guard.h"
#include "app/courier_font.h"
#include "app/filter_commands.h"
#include "app/form_layout.h"
#include "app/help_text.h"
#include "app/long_step.h"
#include "app/play_keys.h"
#include "app/psn_command.h"
#include "app/segment_chooser.h"
#include "app/sound_box.h"
#include "app/span_play.h"
#include "app/spectrogram_settings.h"
#include "app/trace_commands.h"
#include "app/waveform_window.h"

namespace tremorline::app {
namespace {

// Where the size of the client area is kept between runs.
const QString kClientSizeKey = QStringLiteral("Form1/clientSize");

// CR LF line ends become plain line breaks.
QString WithPlainLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// The one local file that a drag carries; nothing for several files, a
// folder or anything else.
std::optional<QString> DraggedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return std::nullopt;
    }
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return std::nullopt;
    }
    const QString path = urls.front().toLocalFile();
    if (path.isEmpty() || QFileInfo(path).isDir()) {
        return std::nullopt;
    }
    return path;
}

}  // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle(kTitle);
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    BuildControls();
    BuildMenus();
    AddPlayKeys(*this, *Frame1, waveform_);
    statusBar()->setObjectName("StatusBar");
    RestoreSize();
}

Form1::~Form1() {
    // The waveform window asks the player where the sound is: it goes before
    // the Sound Box and its player do, not with the rest of the children.
    delete waveform_;
}

void Form1::BuildControls() {
    // The client area may grow beyond the form's size, never shrink below it;
    // PlaceControls lays Label1, Text1 and the Sound Box out at every resize.
    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setMinimumSize(Form1ClientSize());
    client_->installEventFilter(this);
    setCentralWidget(client_);

    Label1 = new QLabel(client_);
    Label1->setObjectName("Label1");
    Label1->setTextFormat(Qt::PlainText);

    Text1 = new QPlainTextEdit(client_);
    Text1->setObjectName("Text1");
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setFont(CourierFont(true));
    // A file dropped on the summary opens, like one dropped anywhere else.
    Text1->setAcceptDrops(false);
    Text1->viewport()->setAcceptDrops(false);

    Frame1 = new SoundBox(state_, *this, client_);
    connect(Frame1, &SoundBox::soundChanged, this, &Form1::FollowSound);
    connect(Frame1, &SoundBox::filterChanged, this, &Form1::FollowFilter);

    PlaceControls();
}

void Form1::PlaceControls() {
    const Form1Places places = PlaceForm1Controls(client_->size());
    Label1->setGeometry(places.Label1);
    Text1->setGeometry(places.Text1);
    Frame1->setGeometry(places.Frame1);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        PlaceControls();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::RestoreSize() {
    QSize client = QSettings().value(kClientSizeKey).toSize();
    if (!client.isValid()) {
        client = Form1ClientSize();
    }
    if (const QScreen* shown_on = screen()) {
        client = client.boundedTo(shown_on->availableSize());
    }
    client = client.expandedTo(Form1ClientSize());
    // The smallest window holds the client area at the form's size, with the
    // menu bar and status line around it; a larger client area adds to that.
    resize(minimumSizeHint() + (client - Form1ClientSize()));
}

void Form1::SaveSize() const {
    // A maximised or full-screen window says nothing about the size the user
    // chose; the size from before stays.
    if (!isVisible() || isMaximized() || isFullScreen()) {
        return;
    }
    QSettings().setValue(kClientSizeKey, client_->size());
}

void Form1::closeEvent(QCloseEvent* event) {
    SaveSize();
    QMainWindow::closeEvent(event);
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedFile(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void Form1::dragMoveEvent(QDragMoveEvent* event) {
    if (DraggedFile(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void Form1::dropEvent(QDropEvent* event) {
    const std::optional<QString> file = DraggedFile(event->mimeData());
    if (!file) {
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop has ended, so that a message box the load shows
    // does not hold up the program the file came from.
    const std::filesystem::path path = QFile::encodeName(*file).toStdString();
    QTimer::singleShot(0, this, [this, path] {
        RunCommand(*this, [&] { OpenTraceFile(state_, *this, path); });
        FollowLoadedTrace();
    });
}

void Form1::BuildMenus() {
    QMenu* mnuFile = menuBar()->addMenu("&File");
    mnuFile->setObjectName("mnuFile");
    QAction* open = mnuFile->addAction("&Open", this, &Form1::mnuItemOpen_Click);
    open->setObjectName("mnuItemOpen");
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* close = mnuFile->addAction("&Close", this, &Form1::mnuItemClose_Click);
    close->setObjectName("mnuItemClose");
    QAction* exit = mnuFile->addAction("&Exit", this, &Form1::mnuItemExit_Click);
    exit->setObjectName("mnuItemExit");
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    mnuMakePSN = menuBar()->addAction("&Make PSN", this, &Form1::mnuMakePSN_Click);
    mnuMakePSN->setObjectName("mnuMakePSN");

    QMenu* mnuView = menuBar()->addMenu("&View");
    mnuView->setObjectName("mnuView");
    QAction* waveform = mnuView->addAction("&Waveform", this, &Form1::mnuWaveform_Click);
    waveform->setObjectName("mnuWaveform");
    // Ctrl+L: a key Qt's standard shortcuts leave free on every platform.
    waveform->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    AddSpectrogramItems(mnuView);

    QMenu* mnuHelp = menuBar()->addMenu("&Help");
    mnuHelp->setObjectName("mnuHelp");
    QAction* about = mnuHelp->addAction("&About", this, &Form1::mnuItemAbout_Click);
    about->setObjectName("mnuItemAbout");
    QAction* details =
        mnuHelp->addAction("SAC Header &Details", this, &Form1::mnuItemDetails_Click);
    details->setObjectName("mnuItemDetails");
    details->setShortcut(QKeySequence(Qt::Key_F1));
}

void Form1::StartUp(const std::string& argument_string) {
    app::StartUp(state_, *this, argument_string);
    FollowLoadedTrace();
}

void Form1::FollowLoadedTrace() {
    Frame1->EndLoopUnlessOf(state_.trace);
    FollowFilter();
    Frame1->ShowSoundState();
}

void Form1::FollowSound() {
    if (waveform_) {
        const std::optional<StartedSound>& started = Frame1->Started();
        waveform_->FollowPlayer(
            started ? started->trace : std::weak_ptr<const trace::LoadedTrace>(),
            started ? started->first_sample : 0);
    }
}

void Form1::FollowFilter() {
    if (!waveform_ || !state_.trace) {
        return;
    }
    const bool new_trace = state_.trace != waveform_->Trace();
    const AppliedFilter applied =
        ApplyingFilter(state_.filter, SoundBoxRate(*this, state_.trace->info.DELTA));
    if (!new_trace && waveform_->DrawnFilter() == applied) {
        return;
    }
    FilteredView view{state_.trace, {}, {}};
    std::optional<AppliedFilter> drawn_filter = applied;
    if (!RunCommand(*this, [&] { view = FilteredFor(state_, *this, state_.trace, applied); })) {
        // Told once; the samples as recorded are drawn, the heading says so,
        // and choosing the filter again tries again.
        view = {state_.trace, "not filtered", {}};
        drawn_filter.reset();
    }
    WaveformWindow::DrawnSamples drawn{view.trace, view.description, drawn_filter};
    if (new_trace) {
        waveform_->ShowTrace(state_.trace, std::move(drawn));
        FollowSound();
    } else {
        waveform_->ShowDrawn(std::move(drawn));
    }
}

void Form1::SetLabel1(const std::string& text) {
    Label1->setText(FromLocal(text));
}

void Form1::SetText1(const SummaryText& summary) {
    // The file's name is in the system's encoding; header texts are bytes,
    // each shown as its Latin-1 character.
    Text1->setPlainText(WithPlainLineBreaks(
        FromLocal(summary.title) + "\n" +
        QString::fromLatin1(summary.body.data(), static_cast<qsizetype>(summary.body.size()))));
}

void Form1::SetText1Message(const std::string& text) {
    Text1->setPlainText(WithPlainLineBreaks(FromLocal(text)));
}

void Form1::ShowStatus(const std::string& text) {
    statusBar()->showMessage(FromLocal(text));
}

void Form1::SetEnabled(Control control, bool enabled) {
    if (control == Control::MakePsn) {
        mnuMakePSN->setEnabled(enabled);
    } else {
        Frame1->ControlWidget(control)->setEnabled(enabled);
    }
}

bool Form1::IsEnabled(Control control) const {
    if (control == Control::MakePsn) {
        return mnuMakePSN->isEnabled();
    }
    return Frame1->ControlWidget(control)->isEnabled();
}

std::string Form1::Combo1Text() const {
    return Frame1->RateText();
}

void Form1::SetCombo1Text(const std::string& text) {
    Frame1->SetRateText(text);
}

void Form1::ShowMessage(const std::string& text) {
    dialogs_.ShowMessage(text);
}

bool Form1::AskYesNo(const std::string& text) {
    return dialogs_.AskYesNo(text);
}

void Form1::RunLong(const std::string& title, const LongWork& work) {
    RunLongStep(this, FromLocal(title), work);
}

std::optional<std::filesystem::path> Form1::ChooseTraceFile() {
    return dialogs_.ChooseTraceFile();
}

std::optional<std::size_t> Form1::ChooseSegment(const std::vector<SegmentRow>& rows) {
    return dialogs_.ChooseSegment(rows);
}

void Form1::mnuItemOpen_Click() {
    RunCommand(*this, [&] { OpenTraceFile(state_, *this); });
    FollowLoadedTrace();
}

void Form1::mnuItemClose_Click() {
    RunCommand(*this, [&] { CloseTraceFile(state_, *this); });
}

void Form1::mnuItemExit_Click() {
    // Ends the program at once: the state, its open file and any sound go with
    // the window. The window's size is kept, as when it is closed.
    SaveSize();
    QApplication::exit(0);
}

void Form1::mnuMakePSN_Click() {
    MakePsn(state_, *this);
}

void Form1::mnuItemAbout_Click() {
    ShowAbout(about_, this);
}

void Form1::mnuItemDetails_Click() {
    HelpText viewer(this);
    viewer.SetTitle("Tremorline.txt");
    viewer.DISPLAY();
}

void Form1::AddSpectrogramItems(QMenu* mnuView) {
    QAction* shown = mnuView->addAction("&Spectrogram");
    shown->setObjectName("mnuSpectrogram");
    shown->setCheckable(true);
    shown->setChecked(QSettings().value(WaveformWindow::kSpectrogramKey, false).toBool());
    // Ctrl+Shift+L, beside the waveform's Ctrl+L, and from the waveform
    // window as well.
    shown->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    shown->setShortcutContext(Qt::ApplicationShortcut);
    connect(shown, &QAction::toggled, this, &Form1::mnuSpectrogram_Click);
    QAction* settings = mnuView->addAction(QString::fromUtf8("Spectrogram Se&ttings…"), this,
                                           &Form1::mnuSpectrogramSettings_Click);
    settings->setObjectName("mnuSpectrogramSettings");
}

void Form1::mnuSpectrogram_Click(bool shown) {
    QSettings().setValue(WaveformWindow::kSpectrogramKey, shown);
    if (shown) {
        mnuWaveform_Click();
    }
    if (waveform_) {
        waveform_->SetSpectrogramShown(shown);
    }
}

void Form1::mnuSpectrogramSettings_Click() {
    if (const auto choice = SpectrogramSettingsDialog::Ask(SpectrogramChoice::Load(), this)) {
        choice->Save();
        if (waveform_) {
            waveform_->SetSpectrogramChoice(*choice);
        }
    }
}

void Form1::mnuWaveform_Click() {
    if (!waveform_) {
        // A child of the main window, so it closes with it; its own window
        // all the same, resizable and modeless.
        waveform_ = new WaveformWindow(Frame1->Player(), this, Frame1);
        waveform_->ShowTrace(nullptr);
        FollowFilter();
    }
    waveform_->show();
    waveform_->raise();
    waveform_->activateWindow();
}

}  // namespace tremorline::app
