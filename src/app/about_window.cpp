// SPDX-License-Identifier: MIT
#include "app/about_window.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "app/twips.h"

#if !defined(TREMORLINE_VERSION_MAJOR) || !defined(TREMORLINE_VERSION_MINOR) || \
    !defined(TREMORLINE_VERSION_PATCH)
#error "The build passes the project's version as TREMORLINE_VERSION_MAJOR/MINOR/PATCH."
#endif

// The icon lives in a resource compiled into a static library; naming its
// initialiser keeps the linker from dropping it.
static void InitIconResource() {
    Q_INIT_RESOURCE(tremorline);
}

namespace tremorline::app {

QIcon ProgramIcon() {
    static const bool initialised = (InitIconResource(), true);
    (void)initialised;
    return QIcon(QStringLiteral(":/tremorline.png"));
}

const ProgramIdentity& Identity() {
    static constexpr ProgramIdentity identity{
        "Tremorline",
        TREMORLINE_VERSION_MAJOR,
        TREMORLINE_VERSION_MINOR,
        TREMORLINE_VERSION_PATCH,
        "Reads SAC or miniSEED file header contents, and converts file to PSNTYPE4. Plays and "
        "saves WAV "
        "sound files.",
        "Tremorline contributors",
    };
    return identity;
}

QString VersionText(const ProgramIdentity& identity) {
    return QStringLiteral("Version %1.%2.%3")
        .arg(identity.major)
        .arg(identity.minor)
        .arg(identity.revision);
}

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect twips) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(Twips(twips.x()), Twips(twips.y()), Twips(twips.width()),
                       Twips(twips.height()));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    const ProgramIdentity& identity = Identity();
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("About ") + QString::fromLatin1(identity.title));
    setWindowIcon(ProgramIcon());
    setFixedSize(Twips(5730), Twips(3555));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(Twips(240), Twips(240), Twips(540), Twips(540));
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(ProgramIcon().pixmap(32, 32));

    lblTitle = MakeLabel(this, "lblTitle", QString::fromLatin1(identity.title),
                         QRect(1050, 240, 3885, 480));
    QFont title_font = lblTitle->font();
    title_font.setPointSizeF(title_font.pointSizeF() * 1.5);
    title_font.setBold(true);
    lblTitle->setFont(title_font);
    lblVersion = MakeLabel(this, "lblVersion", VersionText(identity), QRect(1050, 780, 3885, 225));
    lblDescription = MakeLabel(this, "lblDescription", QString::fromLatin1(identity.description),
                               QRect(1050, 1125, 3885, 1170));

    // The etched separator: a dark line over a light one, one pixel apart.
    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(Twips(90), Twips(2445), Twips(5655 - 90), 2);

    lblDisclaimer = MakeLabel(this, "lblDisclaimer", QString::fromLatin1(identity.company),
                              QRect(255, 2625, 3870, 825));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips(4245), Twips(2625), Twips(1260), Twips(345));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

void frmAbout::cmdOK_Click() {
    close();
}

frmAbout* ShowAbout(QPointer<frmAbout>& the_one, QWidget* parent) {
    if (the_one.isNull()) {
        the_one = new frmAbout(parent);
    }
    the_one->show();
    the_one->raise();
    the_one->activateWindow();
    return the_one.data();
}

}  // namespace tremorline::app
