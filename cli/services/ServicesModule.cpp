// The entry point of q64-services.so: the table of what q64 takes from Qt and libcrypto.

#include <QString>

#include "cli/Services.h"
#include "cli/services/ServicesModule.h"
#include "settings/SettingsStore.h"

namespace {

q64::Settings LoadSettingsFrom(const char* iniPath) {
    if (iniPath) return q64::SettingsStore(QString::fromLocal8Bit(iniPath)).Load();
    return q64::SettingsStore().Load();
}

} // namespace

extern "C" __attribute__((visibility("default"))) const q64::cli::CliServices* q64_cli_services() {
    static const q64::cli::CliServices services{LoadSettingsFrom, q64::cli::VerifyImagesCommand, q64::GuessSaveType};
    return &services;
}
