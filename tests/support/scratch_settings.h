// SPDX-License-Identifier: MIT
#pragma once

// Window tests keep what the windows remember (their sizes) in a folder of
// their own, which goes with the test: a test never reads or writes the
// user's settings.

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

namespace tremorline::testing {

class ScratchSettings {
  public:
    // `program` names the test, so that two tests never share a file.
    explicit ScratchSettings(const char* program) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
        QCoreApplication::setOrganizationName("TremorlineTest");
        QCoreApplication::setApplicationName(program);
    }
    bool IsValid() const { return dir_.isValid(); }

  private:
    QTemporaryDir dir_;
};

}  // namespace tremorline::testing
