// SPDX-License-Identifier: MIT
#pragma once

// HelpText: the modal viewer that shows a plain-text file kept with the
// program, such as the help file Tremorline.txt. Its caption is the file's
// name; DISPLAY loads the file and shows it until OK is pressed.

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;

namespace tremorline::app {

// The folders searched for a file kept with the program, in order: the
// program's own folder, then ../share/tremorline beside it, where an
// installed tree keeps its data.
QStringList HelpFolders(const QString& program_folder);

// The first regular file called `name` in HelpFolders(program_folder), or an
// empty string when there is none.
QString FindHelpFile(const QString& program_folder, const QString& name);

// File bytes as text for Text1: each byte is one Latin-1 character; CR LF and
// a lone CR end a line like LF does, so no carriage return is left over.
QString HelpBytesToText(const QByteArray& bytes);

class HelpText : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString Title READ windowTitle WRITE SetTitle)

  public:
    explicit HelpText(QWidget* parent = nullptr);

    // The caption, which is also the name of the file to show.
    void SetTitle(const QString& title);

    // Where the file is looked for; the program's folder unless a test says
    // otherwise.
    void SetProgramFolder(const QString& folder);

    // Fills Text1 from the file named by the caption and shows the window
    // modally; returns when it is closed.
    void DISPLAY();

    // The loading half of DISPLAY, without showing anything.
    void LoadText();

    // The full path of the shown file; empty when it was not found.
    const QString& FilePath() const { return file_path_; }

  private:
    void OKButton_Click();

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* OKButton = nullptr;
    QString program_folder_;
    QString file_path_;
};

}  // namespace tremorline::app
