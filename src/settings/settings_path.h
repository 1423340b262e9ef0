#pragma once

#include <QString>

namespace tesselka {

// The settings file of a program installed in `appDir`: "Tesselka.ini" beside the
// executable when that file exists and can be replaced there (a portable copy carries
// its settings with it), otherwise "Tesselka.ini" in the user's configuration folder,
// which is created so that the first save can write into it. A folder such as /usr/bin
// is never written, and a build folder is not shared by every run of the build.
QString SettingsFilePath(const QString& appDir);

} // namespace tesselka
