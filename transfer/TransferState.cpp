#include "transfer/TransferState.h"

#include "transfer/DirectPortBackend.h"

namespace q64 {

void ConfigureTransfer(TransferState& state, RomImage& image, int unit, int byteOrderSetting, int parallelBase,
                       int osKind, int cd64Base, std::uint8_t cd64Command, std::uint8_t cd64ReceiveSource) {
    state.unit = unit;
    state.byteOrderSetting = byteOrderSetting;
    state.parallelBase = parallelBase;
    state.useDriver = osKind == 0;
    state.cd64Base = cd64Base;
    state.cd64Command = cd64Command;
    state.cd64ReceiveSource = cd64ReceiveSource;
    image.Clear();
}

void ConfigureSc64(TransferState& state, const std::string& device, int saveType, int bootMode, int tvType) {
    state.sc64Device = device;
    state.sc64SaveType = saveType;
    state.sc64BootMode = bootMode;
    state.sc64TvType = tvType;
}

void ConfigureEd64(TransferState& state, const std::string& device, std::optional<SaveType> saveType) {
    state.ed64Device = device;
    state.ed64SaveType = saveType;
}

int OsKind() {
    return DirectPortAccessAvailable() ? 2 : 0;
}

} // namespace q64
