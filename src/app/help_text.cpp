// SPDX-License-Identifier: MIT
#include "app/help_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/courier_font.h"
#include "app/twips.h"

namespace tremorline::app {

QStringList HelpFolders(const QString& program_folder) {
    const QDir program(program_folder);
    return {program.path(),
            QDir::cleanPath(program.filePath(QStringLiteral("../share/tremorline")))};
}

QString FindHelpFile(const QString& program_folder, const QString& name) {
    for (const QString& folder : HelpFolders(program_folder)) {
        const QFileInfo candidate(QDir(folder).filePath(name));
        if (candidate.isFile()) {
            return candidate.filePath();
        }
    }
    return {};
}

QString HelpBytesToText(const QByteArray& bytes) {
    QByteArray unified = bytes;
    unified.replace("\r\n", "\n");
    unified.replace('\r', '\n');
    return QString::fromLatin1(unified);
}

HelpText::HelpText(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpText"));
    setWindowTitle(QStringLiteral("Help"));
    setModal(true);
    setFixedSize(Twips(10545), Twips(6810));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips(120), Twips(480), Twips(10335), Twips(6255));
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setFont(CourierFont(false));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(Twips(9240), Twips(120), Twips(1215), Twips(375));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &HelpText::OKButton_Click);

    program_folder_ = QCoreApplication::applicationDirPath();
}

void HelpText::SetTitle(const QString& title) {
    setWindowTitle(title);
}

void HelpText::SetProgramFolder(const QString& folder) {
    program_folder_ = folder;
}

void HelpText::LoadText() {
    const QString caption = windowTitle();
    file_path_ = FindHelpFile(program_folder_, caption);
    if (file_path_.isEmpty()) {
        Text1->setPlainText(QStringLiteral("Sorry. ") + caption + QStringLiteral(" not found."));
        return;
    }
    QFile file(file_path_);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
    }
    // A file that is there but cannot be read must not pass for an empty one.
    if (file.error() != QFileDevice::NoError) {
        Text1->setPlainText(QStringLiteral("Sorry. ") + caption +
                            QStringLiteral(" could not be read: ") + file.errorString() +
                            QStringLiteral("."));
        return;
    }
    Text1->setPlainText(HelpBytesToText(bytes));
}

void HelpText::DISPLAY() {
    LoadText();
    exec();
}

void HelpText::OKButton_Click() {
    accept();
}

}  // namespace tremorline::app
