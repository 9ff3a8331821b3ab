#pragma once

// Which certificates the web requests trust besides the system's store. Every
// request verifies peer and host name; this only widens the set of anchors.

#include <string>

namespace sw {

// The PEM bundle trusted in addition to the system store: the one set for
// testing when there is one, else the CaFile of services.ini, else empty.
std::string ExtraCaFile();

// Lets a test trust its own certificate without a services.ini; an empty path
// goes back to the settings.
void SetExtraCaFileForTesting(std::string path);

} // namespace sw
