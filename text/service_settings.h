#pragma once

// The addresses of the outside services, read from "services.ini" (section
// "services") in the "db" folder beside the running binary. A missing file or
// key gives the built-in default. A host may carry a port ("127.0.0.1:18443").

#include <filesystem>
#include <optional>
#include <string>

namespace sw {

struct ServiceSettings {
    std::string shopSearchHost;
    std::string connectivityProbeAddress;
    std::string updateHost;
    std::string makerAddress;
    std::string homePageAddress;
    std::string itemSearchHost;
    std::string suggestHost;
    // Empty: the system's trust store only; otherwise a PEM bundle trusted in
    // addition (a relative path counts from the "db" folder).
    std::string caFile;
};

// The built-in defaults.
ServiceSettings DefaultServiceSettings();
// The settings of one services.ini file; defaults for whatever it lacks.
ServiceSettings LoadServiceSettings(const std::filesystem::path& iniPath);
// The settings of this binary's program folder, read once per process.
const ServiceSettings& Services();

// Makes Services() answer these settings instead (nullopt goes back to the
// file), for tests that point the program at servers on loopback. Call it
// before the code under test runs, not while it runs.
void SetServicesForTesting(std::optional<ServiceSettings> settings);

} // namespace sw
