#include "procedures/COCells.h"
#include "procedures/COProcedures.h"

namespace kvcal3 {

void COZeroCalFigaro(kvCalProcedure&) {
    writeThrough(kCOHeaterCell, liveCOSignal());
}

}  // namespace kvcal3
