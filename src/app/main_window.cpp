#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <string_view>

#include "app/about_window.h"
#include "app/command_guard.h"
#include "app/courier_font.h"
#include "app/help_text.h"
#include "app/psn_command.h"
#include "app/segment_chooser.h"
#include "app/sound_commands.h"
#include "app/trace_commands.h"
#include "app/twips.h"

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

}  // namespace

const QStringList& Form1::RateItems() {
    static const QStringList items = {"0", "44100", "22050", "16000", "11025", "8000", "4000"};
    return items;
}

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle(kTitle);
    setWindowIcon(ProgramIcon());
    BuildControls();
    BuildMenus();
    position_timer_.setInterval(kPositionIntervalMs);
    connect(&position_timer_, &QTimer::timeout, this, &Form1::ShowSoundState);
    connect(&player_, &QtSoundPlayer::ended, this, &Form1::ShowSoundState);
    connect(&player_, &QtSoundPlayer::failed, this, &Form1::ShowSoundState);
}

Form1::~Form1() = default;

void Form1::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(Twips(5520), Twips(6315));
    setCentralWidget(client);

    Label1 = new QLabel(client);
    Label1->setObjectName("Label1");
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(Twips(255), Twips(75), Twips(5175), Twips(345));

    Text1 = new QPlainTextEdit(client);
    Text1->setObjectName("Text1");
    Text1->setGeometry(Twips(60), Twips(525), Twips(5385), Twips(4800));
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setFont(CourierFont(true));

    Frame1 = new QGroupBox("Sound Box", client);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(Twips(60), Twips(5400), Twips(5415), Twips(795));

    Command1 = MakeWrappingButton("Set Up Sound", Frame1);
    Command1->setObjectName("Command1");
    Command1->setGeometry(Twips(180), Twips(240), Twips(675), Twips(435));
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName("Combo1");
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
}

void Form1::BuildMenus() {
    QMenu* mnuFile = menuBar()->addMenu("&File");
    mnuFile->setObjectName("mnuFile");
    QAction* open = mnuFile->addAction("&Open", this, &Form1::mnuItemOpen_Click);
    open->setObjectName("mnuItemOpen");
    QAction* close = mnuFile->addAction("&Close", this, &Form1::mnuItemClose_Click);
    close->setObjectName("mnuItemClose");
    QAction* exit = mnuFile->addAction("&Exit", this, &Form1::mnuItemExit_Click);
    exit->setObjectName("mnuItemExit");

    mnuMakePSN = menuBar()->addAction("&Make PSN", this, &Form1::mnuMakePSN_Click);
    mnuMakePSN->setObjectName("mnuMakePSN");

    QMenu* mnuHelp = menuBar()->addMenu("&Help");
    mnuHelp->setObjectName("mnuHelp");
    QAction* about = mnuHelp->addAction("About", this, &Form1::mnuItemAbout_Click);
    about->setObjectName("mnuItemAbout");
    QAction* details = mnuHelp->addAction("SAC Header Details", this, &Form1::mnuItemDetails_Click);
    details->setObjectName("mnuItemDetails");
}

void Form1::StartUp(const std::string& argument_string) {
    app::StartUp(state_, *this, argument_string);
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
    QMessageBox box(QMessageBox::NoIcon, kTitle, FromLocal(text), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool Form1::AskYesNo(const std::string& text) {
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
}

void Form1::mnuItemClose_Click() {
    RunCommand(*this, [&] { CloseTraceFile(state_, *this); });
}

void Form1::mnuItemExit_Click() {
    // Ends the program at once: the state, its open file and any sound go with
    // the window.
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

void Form1::Command1_Click() {
    app::SetUpSound(state_, *this);
}

void Form1::PlaySound_Click() {
    const WaveImageBytes before = state_.SoundState.PlayBuffer;
    app::PlaySound(state_, *this, player_);
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
    app::StopSound(*this, player_);
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

}  // namespace tremorline::app
