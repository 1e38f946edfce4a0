// SPDX-License-Identifier: MIT
#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/about_window.h"
#include "app/command_guard.h"
#include "app/courier_font.h"
#include "app/form_layout.h"
#include "app/help_text.h"
#include "app/psn_command.h"
#include "app/segment_chooser.h"
#include "app/sound_commands.h"
#include "app/span_play.h"
#include "app/trace_commands.h"
#include "app/twips.h"
#include "app/waveform_window.h"

namespace tremorline::app {
namespace {

// A push button whose caption wraps onto two lines, as the narrow buttons of
// the sound box need ("Set Up" over "Sound").
QPushButton* MakeWrappingButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setAccessibleName(caption);
    auto* label = new QLabel(caption, button);
    label->setObjectName("caption");
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    label->setFont(small);
    auto* layout = new QVBoxLayout(button);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(label);
    return button;
}

// The position label is redrawn this often while a sound plays.
constexpr int kPositionIntervalMs = 50;

const QString kSacFilter = QStringLiteral("SAC Files (*.SAC)");
const QString kMiniSeedFilter = QStringLiteral("miniSEED Files (*.mseed *.miniseed *.msd)");
const QString kAllFilesFilter = QStringLiteral("All Files (*.*)");

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// Where the size of the client area is kept between runs.
const QString kClientSizeKey = QStringLiteral("Form1/clientSize");

// The wait cursor, for as long as a command that can take long runs.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

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

const QStringList& Form1::RateItems() {
    static const QStringList items = {"0", "44100", "22050", "16000", "11025", "8000", "4000"};
    return items;
}

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle(kTitle);
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    BuildControls();
    BuildMenus();
    position_timer_.setInterval(kPositionIntervalMs);
    connect(&position_timer_, &QTimer::timeout, this, &Form1::ShowSoundState);
    connect(&player_, &QtSoundPlayer::ended, this, &Form1::ShowSoundState);
    connect(&player_, &QtSoundPlayer::ended, this, &Form1::RepeatLoop);
    connect(&player_, &QtSoundPlayer::failed, this, [this] { loop_.reset(); });
    connect(&player_, &QtSoundPlayer::failed, this, &Form1::ShowSoundState);
    statusBar()->setObjectName("StatusBar");
    RestoreSize();
}

Form1::~Form1() {
    // The waveform window asks the player where the sound is: it goes before
    // the player does, not with the rest of the children afterwards.
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

    // The Sound Box's controls are placed from its left edge, and stay there
    // however wide the box becomes.
    Frame1 = new QGroupBox("Sound Box", client_);
    Frame1->setObjectName("Frame1");

    Command1 = MakeWrappingButton("Set Up Sound", Frame1);
    Command1->setObjectName("Command1");
    Command1->setGeometry(Twips(180), Twips(240), Twips(675), Twips(435));
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName("Combo1");
    Combo1->setAccessibleName("Playback rate, samples per second");
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setGeometry(Twips(960), Twips(300), Twips(1095), Twips(315));
    Combo1->addItems(RateItems());
    Combo1->setCurrentIndex(0);

    PlaySound = MakeWrappingButton("Play Sound", Frame1);
    PlaySound->setObjectName("PlaySound");
    PlaySound->setGeometry(Twips(2340), Twips(240), Twips(675), Twips(435));
    connect(PlaySound, &QPushButton::clicked, this, &Form1::PlaySound_Click);

    // In the free space between Play Sound and Save Sound.
    StopSound = MakeWrappingButton("Stop Sound", Frame1);
    StopSound->setObjectName("StopSound");
    StopSound->setGeometry(Twips(3420), Twips(240), Twips(675), Twips(435));
    StopSound->setEnabled(false);
    connect(StopSound, &QPushButton::clicked, this, &Form1::StopSound_Click);
    // Escape stops at once (a button's own shortcut would click it 100 ms
    // later), and only while Stop Sound is enabled, so that it takes Escape
    // from no one otherwise.
    stop_shortcut_ = new QShortcut(Qt::Key_Escape, this);
    stop_shortcut_->setEnabled(false);
    connect(stop_shortcut_, &QShortcut::activated, this, &Form1::StopSound_Click);

    // One line on the frame's top edge, beside its title.
    lblPlayPosition = new QLabel(Frame1);
    lblPlayPosition->setObjectName("lblPlayPosition");
    lblPlayPosition->setTextFormat(Qt::PlainText);
    lblPlayPosition->setAutoFillBackground(true);
    lblPlayPosition->setGeometry(Twips(1200), 0, Twips(4080), Twips(240));
    lblPlayPosition->hide();

    SaveWAVE = MakeWrappingButton("Save Sound", Frame1);
    SaveWAVE->setObjectName("SaveWAVE");
    SaveWAVE->setGeometry(Twips(4500), Twips(240), Twips(675), Twips(435));
    connect(SaveWAVE, &QPushButton::clicked, this, &Form1::SaveWAVE_Click);

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
    // A loop belongs to the trace it was started on.
    if (loop_ && loop_->trace != state_.trace) {
        StopPlaying();
    }
    if (waveform_ && state_.trace && state_.trace != waveform_->Trace()) {
        waveform_->ShowTrace(state_.trace);
    }
}

void Form1::SetLabel1(const std::string& text) {
    Label1->setText(FromLocal(text));
}

void Form1::SetText1(const std::string& text) {
    // Header texts are bytes: each shows as its Latin-1 character. The
    // summary's first line is the file's name, which the system encodes in
    // its own way. CR LF line ends become plain line breaks.
    const std::string title_line = state_.TraceFileTitle + "\r\n";
    std::string_view rest = text;
    QString shown;
    if (!state_.TraceFileTitle.empty() && rest.starts_with(title_line)) {
        shown = FromLocal(state_.TraceFileTitle) + "\n";
        rest.remove_prefix(title_line.size());
    }
    shown += QString::fromLatin1(rest.data(), static_cast<qsizetype>(rest.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text1->setPlainText(shown);
}

void Form1::SetText1Message(const std::string& text) {
    QString shown = FromLocal(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text1->setPlainText(shown);
}

void Form1::ShowStatus(const std::string& text) {
    statusBar()->showMessage(FromLocal(text));
}

QAction* Form1::ActionFor(Control control) const {
    return control == Control::MakePsn ? mnuMakePSN : nullptr;
}

QWidget* Form1::WidgetFor(Control control) const {
    switch (control) {
        case Control::SetUpSound:
            return Command1;
        case Control::PlaySound:
            return PlaySound;
        case Control::SaveSound:
            return SaveWAVE;
        case Control::StopSound:
            return StopSound;
        case Control::MakePsn:
            break;
    }
    return nullptr;
}

void Form1::SetEnabled(Control control, bool enabled) {
    if (QAction* action = ActionFor(control)) {
        action->setEnabled(enabled);
    } else {
        WidgetFor(control)->setEnabled(enabled);
    }
}

bool Form1::IsEnabled(Control control) const {
    if (QAction* action = ActionFor(control)) {
        return action->isEnabled();
    }
    return WidgetFor(control)->isEnabled();
}

std::string Form1::Combo1Text() const {
    return Combo1->currentText().toStdString();
}

void Form1::ShowMessage(const std::string& text) {
    AskingCursor cursor;
    QMessageBox box(QMessageBox::NoIcon, kTitle, FromLocal(text), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool Form1::AskYesNo(const std::string& text) {
    AskingCursor cursor;
    QMessageBox box(QMessageBox::NoIcon, kTitle, FromLocal(text),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::filesystem::path> Form1::ChooseTraceFile() {
    // Qt's own dialog, so that the SAC filter matches .sac in any letter case
    // on case-sensitive file systems while keeping its text.
    QFileDialog dialog(this, "Open");
    dialog.setObjectName("CommonDialog1");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({kSacFilter, kMiniSeedFilter, kAllFilesFilter});
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    // "*.*" asks for a dot in the name on this platform; the All Files choice
    // must show every file, so its pattern is widened to "*" (its text stays).
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
        if (f == kAllFilesFilter) {
            if (auto* model = dialog.findChild<QFileSystemModel*>()) {
                model->setNameFilters({"*"});
            }
        }
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

std::optional<std::size_t> Form1::ChooseSegment(const std::vector<SegmentRow>& rows) {
    return SegmentChooser::Ask(rows, this);
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
    WaitCursor busy;  // reading and writing a long trace takes a while
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

void Form1::mnuWaveform_Click() {
    if (!waveform_) {
        // A child of the main window, so it closes with it; its own window
        // all the same, resizable and modeless.
        waveform_ = new WaveformWindow(player_, this, this);
        waveform_->ShowTrace(state_.trace);
        if (player_.IsPlaying()) {
            waveform_->FollowPlayer();
        }
    }
    waveform_->show();
    waveform_->raise();
    waveform_->activateWindow();
}

void Form1::Command1_Click() {
    WaitCursor busy;  // reading and scaling a long trace takes a while
    app::SetUpSound(state_, *this);
}

void Form1::PlaySound_Click() {
    loop_.reset();
    const WaveImageBytes before = state_.SoundState.PlayBuffer;
    app::PlaySound(state_, *this, player_);
    if (waveform_) {
        waveform_->FollowPlayer();
    }
    if (state_.SoundState.PlayBuffer != before) {
        // A new sound: described now, as a later set-up replaces what it
        // was built from.
        played_ = sound::DescribePlayedSound(state_.SoundState.TraceInfo,
                                             state_.SoundState.WaveData.size(),
                                             state_.SoundState.PlayRate);
    }
    ShowSoundState();
}

void Form1::StopSound_Click() {
    loop_.reset();
    app::StopSound(*this, player_);
    if (waveform_) {
        waveform_->FollowPlayer();  // the cursor stays where the sound stopped
    }
    ShowSoundState();
}

void Form1::ShowSoundState() {
    const bool playing = player_.IsPlaying();
    StopSound->setEnabled(playing);
    stop_shortcut_->setEnabled(playing);
    if (playing) {
        position_timer_.start();
    } else {
        position_timer_.stop();
    }
    std::string text = player_.Problem();
    if (text.empty() && played_) {
        text = sound::PlayPositionText(*played_, player_.HeardSample());
    }
    if (text.empty()) {
        return;
    }
    const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (lblPlayPosition->text() != shown) {
        lblPlayPosition->setText(shown);
    }
    lblPlayPosition->show();
}

void Form1::SaveWAVE_Click() {
    app::SaveSound(state_, *this);
}

void Form1::PlaySpan(const std::shared_ptr<const trace::LoadedTrace>& trace, trace::SampleSpan span,
                     bool loop) {
    loop_.reset();
    if (!trace) {
        return;
    }
    bool started = false;
    RunCommand(*this, [&] {
        WaitCursor busy;  // a first play sets the sound up
        played_ = app::PlaySpan(state_, *this, player_, *trace, span);
        started = true;
    });
    if (started && loop) {
        loop_ = Loop{trace, span};
    }
    if (waveform_) {
        waveform_->FollowPlayer(span.first);
    }
    ShowSoundState();
}

void Form1::RepeatLoop() {
    if (!loop_ || !state_.SoundState.PlayBuffer) {
        return;
    }
    player_.Play(state_.SoundState.PlayBuffer);
    if (waveform_) {
        waveform_->FollowPlayer(loop_->span.first);
    }
    ShowSoundState();
}

void Form1::StopPlaying() {
    StopSound_Click();
}

bool Form1::IsPlaying() const {
    return player_.IsPlaying();
}

std::optional<std::int32_t> Form1::SoundRate() const {
    return SoundBoxRate(*this, state_.trace ? state_.trace->info.DELTA : 0.0f);
}

}  // namespace tremorline::app
