#include "engine/EngineTypes.h"

namespace q64 {

const char* ResultName(EngineResult r) {
    switch (r) {
    case EngineResult::Ok: return "Ok";
    case EngineResult::ErrOpen: return "ErrOpen";
    case EngineResult::ErrFormat: return "ErrFormat";
    case EngineResult::ErrNotLoaded: return "ErrNotLoaded";
    case EngineResult::ErrReceive: return "ErrReceive";
    case EngineResult::ErrTransfer: return "ErrTransfer";
    case EngineResult::ErrBackup: return "ErrBackup";
    case EngineResult::ErrCompressed: return "ErrCompressed";
    case EngineResult::ErrNotCompressed: return "ErrNotCompressed";
    case EngineResult::ErrNotPatch: return "ErrNotPatch";
    case EngineResult::ErrCancelled: return "ErrCancelled";
    case EngineResult::ErrFailed: return "ErrFailed";
    }
    return "Unknown";
}

} // namespace q64
