// SPDX-License-Identifier: MIT
#pragma once

// frmAbout: the modeless window that names the program, its version, what it
// does and who makes it. There is at most one at a time: ShowAbout brings the
// open one forward instead of making another.

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

namespace tremorline::app {

// The program's identity, as its version record gives it.
struct ProgramIdentity {
    const char* title;
    int major;
    int minor;
    int revision;
    const char* description;
    const char* company;
};

const ProgramIdentity& Identity();

// The program's icon (32 x 32), for the main window and the about box.
QIcon ProgramIcon();

// "Version 1.1.5": major, minor and revision as plain numbers.
QString VersionText(const ProgramIdentity& identity);

class frmAbout : public QDialog {
    Q_OBJECT

  public:
    // Closing the window deletes it, so a QPointer to it becomes null.
    explicit frmAbout(QWidget* parent = nullptr);

  private:
    void cmdOK_Click();

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
};

// Help > About: shows the window held in `the_one`, making it first when
// there is none (or it was closed), and brings it to the front. The caller
// keeps `the_one` for the run, e.g. as a member of the main window.
frmAbout* ShowAbout(QPointer<frmAbout>& the_one, QWidget* parent);

}  // namespace tremorline::app
