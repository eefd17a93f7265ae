#include "app/OsKindProbe.h"

#include "transfer/TransferState.h"

namespace q64 {

int DetectOsKind() { return OsKind(); }

} // namespace q64
