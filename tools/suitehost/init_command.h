// `suitehost init DIR [--sample]`: a new installation folder with the
// catalog database, the membership directory and the configuration file.
#pragma once

#include <string>

namespace suitehost {

// Creates DIR when missing and writes DIR/catalog.db, DIR/directory.db,
// DIR/suite.ini and DIR/references.ini, and makes the download folder
// DIR/XMLDownload/ (kept when there). Refuses, changing nothing, when any of
// the four files exists.
// Every file is built under a temporary name and moved into place at the
// end, so a failure leaves no half-built installation. Answers the process's
// exit code; messages go to stderr.
int InitInstallation(const std::string& dir, bool withSample);

// `suitehost upgrade DIR`: brings DIR/catalog.db, made by an earlier
// version, to the present form (data::UpgradeDatabase with the schema of
// this version): text columns with the system's own collation, values
// guarded by CHECK constraints. Refuses, changing nothing, when a value does
// not fit its column, naming it. Answers the exit code.
int UpgradeInstallation(const std::string& dir);

// The configuration file's text for an installation in `absoluteDir`.
std::string SuiteIniText(const std::string& absoluteDir);

}  // namespace suitehost
